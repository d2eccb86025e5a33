// The server list: the shared file of server records through which request processes hand
// requests to the resident server. Every access locks the whole file and retries while
// another process or thread holds it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/resident/cgi_server_files.h"
#include "engine/resident/server_record.h"

namespace tallyhouse::engine {

// What a request process learns about its request.
enum class TRequestState {
    Waiting,
    Taken,
    Done,          // no record left: the server has answered
    NoServerList,  // the server list has gone
    Unreadable,    // the server list could not be opened
};

// The state of the first record named RequestName (Done when there is none).
TRequestState ReadRequestState(const std::string& listPath, const std::string& requestName);

// Appends a waiting record while the list is held: WriteRequest runs under the lock and
// returns the request file's name. False when the list could not be opened.
bool AppendRequestRecord(const std::string& listPath, const std::function<std::string()>& writeRequest);

// The first waiting record; one that OwnsRecord accepts is marked taken in place. With none
// waiting the list's date is set to now, the server's heartbeat.
std::optional<TServerRecord> TakeNextRecord(const std::string& listPath,
                                            bool (*OwnsRecord)(const std::string& name) = IsRequestName);

// Removes the records named RequestName (and any other done record) in one locked access,
// so that records appended meanwhile are kept.
void RemoveRequestRecords(const std::string& listPath, const std::string& requestName);

// Creates the list empty (replacing any content) with its date set to now.
bool CreateEmptyServerList(const std::string& listPath);
// Creates the list empty unless it exists.
void CreateServerListIfMissing(const std::string& listPath);

// Seconds since the file's date; negative when the file is missing.
double FileAgeSeconds(const std::string& path);

constexpr double StaleServerListSeconds = 30;

}  // namespace tallyhouse::engine
