// The multipart conversion streams the body through a fixed ring buffer: bytes are addressed by
// their offset in the body, kept from begin_ to end_, stored at offset modulo the buffer size.
#include "engine/form/multipart.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/text/ascii_text.h"
#include "engine/form/url_coding.h"
#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr long long RingSize = MultipartBufferSize;
constexpr int UploadNameLimit = 9000000;
constexpr int UploadNameAttempts = 20;
constexpr size_t ClientNameLimit = 200;

bool IsControl(char c) { return static_cast<unsigned char>(c) < ' '; }

// Field names go into the form data as they are, except the characters that would change the
// pairs or be decoded differently.
std::string FieldNameText(const std::string& name) {
    std::string text;
    for (const char c : name) {
        if (c == '%' || c == '&' || c == '=' || c == '+' || IsControl(c))
            text += UrlEncode(std::string(1, c));
        else
            text += c;
    }
    return text;
}

// The text after the first `key` followed by a double quote, up to the next double quote.
bool QuotedValue(const std::string& line, const std::string& key, std::string& value) {
    const size_t at = line.find(key + "\"");
    if (at == std::string::npos) return false;
    const size_t start = at + key.size() + 1;
    const size_t end = line.find('"', start);
    value = Trim(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    return true;
}

class TMultipartConverter {
public:
    TMultipartConverter(const TBodyReader& read, long long length, const TMultipartUploads& uploads)
        : read_(read), remaining_(std::max(0LL, length)), uploads_(uploads), ring_(static_cast<size_t>(RingSize)) {}

    std::string Run();

private:
    enum class Phase { Skipping, Headers, TextData, FileData };

    char At(long long pos) const { return ring_[static_cast<size_t>(pos % RingSize)]; }
    bool Available(long long pos);
    bool Refill();
    bool MakeRoom();
    void Discard(long long upTo) { begin_ = std::max(begin_, std::min(upTo, end_)); }

    bool ReadBoundary();
    bool DelimiterEndsAt(long long pos) const;
    void OnDelimiter();
    bool SkipLine();
    bool ReadHeaders();
    void TakeHeaderLine(const std::string& line);
    void OpenPart();
    void ClosePart(long long matchStart);
    std::string Bytes(long long from, long long to) const;
    void StoreBytes(long long from, long long to);
    void CreateStoredFile();

    const TBodyReader& read_;
    long long remaining_;
    const TMultipartUploads& uploads_;
    std::vector<char> ring_;
    long long begin_ = 0;
    long long end_ = 0;
    bool failed_ = false;

    std::string delimiter_;
    long long keep_ = 100;
    long long pos_ = 0;
    long long regionStart_ = 0;
    Phase phase_ = Phase::Skipping;
    bool finished_ = false;

    std::string name_, fileName_, contentType_;
    bool hasContentType_ = false;
    long long dataStart_ = 0;
    size_t fieldsMark_ = 0;
    std::unique_ptr<TFileStream> stored_;
    std::string data_;
};

bool TMultipartConverter::Refill() {
    long long wanted = std::min(RingSize - (end_ - begin_), remaining_);
    while (wanted > 0) {
        const long long slot = end_ % RingSize;
        const int piece = static_cast<int>(std::min(wanted, RingSize - slot));
        const int got = read_(ring_.data() + slot, piece);
        if (got < 0) {
            failed_ = true;
            return false;
        }
        if (got == 0) {
            remaining_ = 0;
            break;
        }
        end_ += got;
        remaining_ -= got;
        wanted -= got;
    }
    return true;
}

// Makes the byte at pos readable; false at the end of the body, on a read error, or when the
// buffer is full of bytes that must stay.
bool TMultipartConverter::Available(long long pos) {
    while (pos >= end_) {
        if (remaining_ == 0 || failed_) return false;
        if (end_ - begin_ == RingSize && !MakeRoom()) return false;
        if (!Refill()) return false;
    }
    return true;
}

bool TMultipartConverter::MakeRoom() {
    switch (phase_) {
    case Phase::Skipping: Discard(pos_ - keep_); break;
    case Phase::Headers: Discard(pos_); break;
    case Phase::TextData: Discard(dataStart_); break;
    case Phase::FileData:
        if (pos_ - keep_ > dataStart_) {
            StoreBytes(dataStart_, pos_ - keep_);
            dataStart_ = pos_ - keep_;
        }
        Discard(dataStart_);
        break;
    }
    return end_ - begin_ < RingSize;
}

std::string TMultipartConverter::Bytes(long long from, long long to) const {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(std::max(0LL, to - from)));
    for (long long p = from; p < to; ++p) bytes += At(p);
    return bytes;
}

void TMultipartConverter::StoreBytes(long long from, long long to) {
    while (from < to) {
        const long long slot = from % RingSize;
        const long long piece = std::min(to - from, RingSize - slot);
        stored_->Write(ring_.data() + slot, static_cast<size_t>(piece));
        from += piece;
    }
}

// The boundary is the first line up to its first control character (at most 254 characters);
// the delimiter looked for is the boundary without its leading "--".
bool TMultipartConverter::ReadBoundary() {
    std::string boundary;
    for (long long p = 0; Available(p) && !IsControl(At(p)) && boundary.size() < MultipartBoundaryLimit; ++p)
        boundary += At(p);
    if (boundary.size() <= 2) return false;
    delimiter_ = boundary.substr(2);
    keep_ = std::max(100LL, static_cast<long long>(delimiter_.size()) + 4);
    return true;
}

bool TMultipartConverter::DelimiterEndsAt(long long pos) const {
    const long long size = static_cast<long long>(delimiter_.size());
    const long long start = pos - size + 1;
    if (start < regionStart_ || start < begin_) return false;
    for (long long k = 0; k < size; ++k)
        if (At(pos - k) != delimiter_[static_cast<size_t>(size - 1 - k)]) return false;
    return true;
}

std::string TMultipartConverter::Run() {
    if (!ReadBoundary()) return failed_ ? std::string() : data_;
    while (!finished_ && Available(pos_)) {
        if (DelimiterEndsAt(pos_))
            OnDelimiter();
        else
            ++pos_;
    }
    if (phase_ == Phase::TextData || phase_ == Phase::FileData) data_.resize(fieldsMark_);
    stored_.reset();
    return failed_ ? std::string() : data_;
}

void TMultipartConverter::OnDelimiter() {
    ClosePart(pos_ - static_cast<long long>(delimiter_.size()) + 1);
    if (Available(pos_ + 2) && At(pos_ + 1) == '-' && At(pos_ + 2) == '-') {
        finished_ = true;
        return;
    }
    if (!SkipLine() || !ReadHeaders()) {
        finished_ = true;
        return;
    }
    OpenPart();
}

// Moves past the end of the current line (its LF).
bool TMultipartConverter::SkipLine() {
    while (Available(pos_)) {
        if (At(pos_++) == '\n') return true;
    }
    return false;
}

// Header lines up to the blank line; false when the body ends first or a line is too long.
bool TMultipartConverter::ReadHeaders() {
    phase_ = Phase::Headers;
    name_.clear();
    fileName_.clear();
    contentType_.clear();
    hasContentType_ = false;
    for (;;) {
        std::string line;
        bool cut = false;
        while (Available(pos_) && At(pos_) != '\n') {
            const char c = At(pos_++);
            if (IsControl(c)) cut = true;
            if (!cut) line += c;
            if (line.size() > MultipartHeaderLineLimit) return false;
        }
        if (!Available(pos_)) return false;
        ++pos_;
        if (line.empty()) return true;
        TakeHeaderLine(line);
    }
}

void TMultipartConverter::TakeHeaderLine(const std::string& line) {
    std::string value;
    if (QuotedValue(line, "name=", value)) name_ = value;
    if (QuotedValue(line, "filename=", value)) fileName_ = value;
    const size_t type = line.find("Content-Type:");
    if (type != std::string::npos) {
        const size_t start = type + std::strlen("Content-Type:");
        contentType_ = line.substr(start, line.find(';', start) - start);
        hasContentType_ = true;
    }
}

void TMultipartConverter::OpenPart() {
    dataStart_ = regionStart_ = pos_;
    fieldsMark_ = data_.size();
    if (name_.empty()) {
        phase_ = Phase::Skipping;
        return;
    }
    const std::string field = FieldNameText(name_);
    if (hasContentType_) data_ += field + "_CONTENT_TYPE=" + UrlEncode(contentType_) + "&";
    if (fileName_.empty()) {
        phase_ = Phase::TextData;
        return;
    }
    data_ += field + "=" + UrlEncode(fileName_) + "&";
    CreateStoredFile();
    phase_ = Phase::FileData;
}

void TMultipartConverter::CreateStoredFile() {
    for (int attempt = 0; attempt < UploadNameAttempts; ++attempt) {
        const std::string path =
            uploads_.Folder + "/" + StoredUploadName(uploads_.Random(UploadNameLimit), fileName_);
        TFileDescriptor file = TryOpenFile(path, {.Access = O_WRONLY | O_CREAT | O_EXCL, .CreationMode = 0600});
        if (!file.IsOpen() && errno == EEXIST) continue;
        if (!file.IsOpen()) throw EFileError("Cannot create file " + path + ": " + std::strerror(errno));
        stored_ = std::make_unique<TFileStream>(std::move(file));
        if (uploads_.Created) uploads_.Created->push_back(path);
        data_ += FieldNameText(name_) + "_FILENAME=" + UrlEncode(path) + "&";
        return;
    }
    throw EFileError("Cannot create a file for the upload " + fileName_ + " in " + uploads_.Folder);
}

// Ends the open part where its delimiter starts: its data runs to the line break before the
// "--" of the delimiter line, without one trailing LF and then one trailing CR.
void TMultipartConverter::ClosePart(long long matchStart) {
    if (phase_ == Phase::TextData || phase_ == Phase::FileData) {
        long long end = std::max(dataStart_, matchStart - 2);
        if (end > dataStart_ && At(end - 1) == '\n') --end;
        if (end > dataStart_ && At(end - 1) == '\r') --end;
        if (phase_ == Phase::FileData) {
            StoreBytes(dataStart_, end);
        } else {
            std::string value = Bytes(dataStart_, end);
            value.resize(std::min(value.size(), value.find('\0')));
            data_ += FieldNameText(name_) + "=" + UrlEncode(value) + "&";
        }
    }
    stored_.reset();
    phase_ = Phase::Skipping;
    regionStart_ = pos_ + 1;
}

}  // namespace

bool IsMultipartForm(const std::string& contentType) {
    return UpperCase(contentType).find("MULTIPART/FORM-DATA;") != std::string::npos;
}

std::string StoredUploadName(int number, const std::string& clientFileName) {
    std::string base = clientFileName.substr(clientFileName.find_last_of("/\\") + 1);
    base = base.substr(0, base.find('.'));
    if (base.size() > ClientNameLimit) base.resize(ClientNameLimit);
    return std::to_string(number) + base + ".tmp";
}

std::string ConvertMultipart(const TBodyReader& read, long long contentLength, const TMultipartUploads& uploads) {
    TMultipartConverter converter(read, contentLength, uploads);
    return converter.Run();
}

}  // namespace tallyhouse::engine
