// One worker process's loop: accepts FastCGI connections on the listening socket, one request at
// a time, until SIGTERM, SIGINT, SIGHUP or SIGUSR1 ask it to stop. A request in hand is always
// finished, and after a stop the connections already waiting on the socket are answered too.
#pragma once

#include <functional>

#include <fcgiapp.h>

// A connection must deliver its request's parameters within this many seconds, and a peer that
// stalls while the body is read or the answer written is given up after IoTimeoutSeconds: no
// connection can keep a worker for ever.
inline constexpr int HandshakeSeconds = 10;
inline constexpr int IoTimeoutSeconds = 30;

void ServeConnections(int listenFd, const std::function<void(FCGX_Request&)>& serve);
