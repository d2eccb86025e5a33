// A minimal HTTP/1.0 client for integration tests against a real local web server.
#pragma once

#include <map>
#include <string>

namespace testsupport {

// Sends every byte on a connected socket (no SIGPIPE when the peer has gone); false when it failed.
bool SendAll(int fd, const std::string& data);

struct HttpResponse {
    int status = 0;                            // 0 when no answer could be read
    std::string statusLine;
    std::multimap<std::string, std::string> headers;  // names lower-cased
    std::string body;
    std::string Header(const std::string& lowerName) const;
};

// Sends one request to 127.0.0.1:port and reads the whole answer (the connection closes).
// extraHeaders are further header lines, each ending in CR LF.
HttpResponse HttpRequest(int port, const std::string& method, const std::string& target,
                         const std::string& body = "",
                         const std::string& contentType = "application/x-www-form-urlencoded",
                         const std::string& extraHeaders = "");
inline HttpResponse HttpGet(int port, const std::string& target) { return HttpRequest(port, "GET", target); }

// A port of 127.0.0.1 kept bound, not listening, for a server about to start: no other socket
// is given the port meanwhile, and the server binds it beside this one (lighttpd, Apache and
// nginx bind with SO_REUSEADDR, which Linux allows next to a bound socket that does not listen).
class PortReservation {
public:
    PortReservation();
    ~PortReservation();
    PortReservation(const PortReservation&) = delete;
    PortReservation& operator=(const PortReservation&) = delete;
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};
// Waits until something accepts connections on the port; false after the timeout.
bool WaitForPort(int port, int timeoutMs);

}  // namespace testsupport
