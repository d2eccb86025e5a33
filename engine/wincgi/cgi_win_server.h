// The Windows CGI resident server: one copy of the program serves the request files that the
// short-lived processes started by the web server queue for it. The queue is the server list
// of the CGI server modes (Temp/ + program + "_S", 268-byte records); a Windows CGI record
// names a request file, so it never ends in "_REQ". The server writes each response to the
// output file that the request file names; the request process only waits for its record to go.
#pragma once

#include <string>

namespace tallyhouse::engine {

class TCGIWinEngine;

namespace CgiWinServer {

constexpr int TimerMilliseconds = 60;
constexpr int WaitSeconds = 180;

// A Windows CGI record: a request file path, not a standard CGI request ("_REQ").
bool IsWinRequestName(const std::string& name);
// The upper-cased path fits the 255 characters of a record's name.
bool FitsRecord(const std::string& requestFile);
// The file on disk whose path equals Name without regard to letter case; empty when there is
// none or more than one.
std::string FindFileIgnoringCase(const std::string& name);

// Run at program start, before any form exists: removes a queue file left by a server that is
// gone, then, in a request process, hands the request to a running server; ends the process
// when one took it.
void UnitStartup();
// Request process: appends a waiting record for RequestFile when a server shows its mark.
bool QueueRequest(const std::string& requestFile);
// Request process: waits until the server has answered, closed or gone; ends the process.
[[noreturn]] void WaitForResult(const std::string& requestFile);
// Request process in a server mode with no server running: starts one, queues the request and
// waits; when no server takes it, the request is served by this process.
void StartServerAndQueue(TCGIWinEngine& engine, const std::string& requestFile);

// Server: removes the record of RequestFile from the queue.
void MarkRequestDone(const std::string& requestFile);
// Server: claims the server's mark, makes the queue anew and serves it until closed, then
// ends the program.
[[noreturn]] void RunResidentServer(TCGIWinEngine& engine);

}  // namespace CgiWinServer

}  // namespace tallyhouse::engine
