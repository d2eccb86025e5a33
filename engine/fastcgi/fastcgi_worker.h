// One worker process's loop: takes FastCGI connections from the listening socket and holds
// many at a time, reading each request and writing each answer as the peer's bytes come and
// go, so no peer keeps the worker waiting; a request is served (one at a time, the poll
// application keeps its state in the process) once the whole of it is here. Runs until
// SIGTERM, SIGINT, SIGHUP or SIGUSR1 ask it to stop: then the connections already waiting on
// the socket are taken too, and every request in hand is answered before it returns.
#pragma once

#include <functional>
#include <string>

#include "engine/fastcgi/fastcgi_connection.h"

namespace tallyhouse::engine {

// Connections one worker holds at a time; more wait on the socket for another worker.
inline constexpr int FastCgiWorkerConnections = 128;

struct TFastCgiService {
    TFastCgiLimits Limits;
    // Serves the complete request of the connection.
    std::function<void(TFastCgiConnection&)> Serve;
    // A connection refused for a reason worth a log line.
    std::function<void(const std::string&)> Log;
};

void ServeConnections(int listenFd, const TFastCgiService& service);

}  // namespace tallyhouse::engine
