// A small FastCGI client for the tests: plays the web server's side of one connection to the
// program's FastCGI socket, and starts the program as a FastCGI server of its own.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/wait_until.h"

namespace testsupport {

// One FastCGI connection to a unix socket or a port of 127.0.0.1, as a web server uses it for
// one request.
class FastCgiConnection {
public:
    explicit FastCgiConnection(const std::filesystem::path& socket);
    explicit FastCgiConnection(int port);
    ~FastCgiConnection();
    FastCgiConnection(const FastCgiConnection&) = delete;
    FastCgiConnection& operator=(const FastCgiConnection&) = delete;

    bool Connected() const { return fd_ >= 0; }
    // The request's start and its variables.
    void Begin(const std::map<std::string, std::string>& params);
    // Body bytes; End sends the empty record that ends the body.
    void Body(const std::string& bytes);
    void EndBody();
    // Bytes as they are, a record's or a part of one; false when they cannot be sent.
    bool SendRaw(const std::string& bytes);
    // The bytes of one record of the request (type 5 is the body, STDIN).
    static std::string RecordBytes(int type, const std::string& content);
    // Reads the answer until the end-of-request record or the connection closes.
    std::string Answer(int timeoutMs = 20000);
    // True once the connection has been closed by the other side (waits up to timeoutMs).
    bool ClosedByPeer(int timeoutMs);
    void Close();

private:
    void Record(int type, const std::string& content);
    int fd_ = -1;
};

// The whole exchange of a CGI request over FastCGI; the answer is the STDOUT stream.
std::string FastCgiAnswer(const std::filesystem::path& socket, const CgiRequest& request);

// The program started as "--fastcgi unix:<folder>/fcgi.sock --workers N" (or on 127.0.0.1:port
// when a port is given) in a process group of its own; stopped with SIGTERM (then SIGKILL of
// the group) when the object goes.
class FastCgiServer {
public:
    FastCgiServer(const ScratchDir& dir, int workers, const std::map<std::string, std::string>& env = {}, int port = 0);
    ~FastCgiServer();
    FastCgiServer(const FastCgiServer&) = delete;
    FastCgiServer& operator=(const FastCgiServer&) = delete;

    bool Running() const { return running_; }
    pid_t Pid() const { return pid_; }
    const std::filesystem::path& Socket() const { return socket_; }
    // A new connection to where the server listens.
    std::unique_ptr<FastCgiConnection> Connect() const;
    // Sends SIGTERM and waits for the exit status (-1 when it did not end within the timeout).
    int Stop(int timeoutMs = 20000);

private:
    std::filesystem::path socket_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool running_ = false;
    bool reaped_ = false;
};

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid);
// The number of sockets a process holds open.
int OpenSockets(pid_t pid);

}  // namespace testsupport
