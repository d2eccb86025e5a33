// What both resident servers (standard CGI and Windows CGI) do alike: hold the folder's server
// mark, poll the server list, serve requests on the polling thread or on counted threads of
// their own, and at the end wait for those threads and remove the server's files.
#pragma once

#include <functional>

namespace tallyhouse::engine {

class TServerMark;

namespace ResidentServer {

enum class TPollResult { Idle, Served, Stop };

// This process's mark as the folder's server.
TServerMark& Mark();
// Makes this process the folder's server; ends the program when another live server is.
void ClaimMarkOrEnd();
// Polls until a close signal, the removal of the server list or a poll that says Stop,
// sleeping IdleMilliseconds after each poll that found nothing; then waits for every request
// thread to end.
void ServeUntilStopped(int idleMilliseconds, const std::function<TPollResult()>& poll);
// Serves Work on a thread of its own; the thread is counted until it ends and always joined.
void StartRequestThread(std::function<void()> work);
// Waits for every request thread still running.
void JoinRequestThreads();
// Removes the server's files from Temp/ (the server list, the mark, request and output files).
void RemoveServerFiles();

}  // namespace ResidentServer

}  // namespace tallyhouse::engine
