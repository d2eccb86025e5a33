// Conversion of a multipart/form-data body into form data: text parts become name=value pairs,
// file parts are stored in a folder and described by three fields.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tallyhouse::engine {

// Reads up to Count body bytes into Buffer; returns how many came (0 at the end of the body),
// or a negative number on a read error.
using TBodyReader = std::function<int(char* Buffer, int Count)>;

struct TMultipartUploads {
    std::string Folder;                  // where uploaded files are stored
    std::vector<std::string>* Created;   // every stored file's path is added here
    std::function<int(int Limit)> Random;  // random number 0 .. Limit-1 for the stored names
};

inline constexpr int MultipartBufferSize = 131072;
inline constexpr int MultipartHeaderLineLimit = 2048;
inline constexpr int MultipartBoundaryLimit = 254;

// Whether a request's content type announces a multipart form ("multipart/form-data;" in any case).
bool IsMultipartForm(const std::string& contentType);

// Converts a body of ContentLength bytes. The result ends with "&" after each field. A body that
// ends early, lacks a boundary, or holds a header line or text part too large for the buffer
// gives the fields that were complete; a read error gives empty form data.
std::string ConvertMultipart(const TBodyReader& read, long long contentLength, const TMultipartUploads& uploads);

// The stored name of an uploaded file: the number, then the client's file name without its
// path, the text from its first dot replaced by ".tmp" (4711 and C:\pics\cat.gif: 4711cat.tmp).
std::string StoredUploadName(int number, const std::string& clientFileName);

}  // namespace tallyhouse::engine
