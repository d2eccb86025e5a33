// A small FastCGI client for the tests: plays the web server's side of one connection to the
// program's FastCGI socket, and starts the program as a FastCGI server of its own.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/cgi_runner.h"

namespace testsupport {

// One FastCGI connection to a unix socket, as a web server uses it for one request.
class FastCgiConnection {
public:
    explicit FastCgiConnection(const std::filesystem::path& socket);
    ~FastCgiConnection();
    FastCgiConnection(const FastCgiConnection&) = delete;
    FastCgiConnection& operator=(const FastCgiConnection&) = delete;

    bool Connected() const { return fd_ >= 0; }
    // The request's start and its variables.
    void Begin(const std::map<std::string, std::string>& params);
    // Body bytes; End sends the empty record that ends the body.
    void Body(const std::string& bytes);
    void EndBody();
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

// The program started as "--fastcgi unix:<folder>/fcgi.sock --workers N" in a process group of
// its own; stopped with SIGTERM (then SIGKILL of the group) when the object goes.
class FastCgiServer {
public:
    FastCgiServer(const ScratchDir& dir, int workers, const std::map<std::string, std::string>& env = {});
    ~FastCgiServer();
    FastCgiServer(const FastCgiServer&) = delete;
    FastCgiServer& operator=(const FastCgiServer&) = delete;

    bool Running() const { return running_; }
    pid_t Pid() const { return pid_; }
    const std::filesystem::path& Socket() const { return socket_; }
    // Sends SIGTERM and waits for the exit status (-1 when it did not end within the timeout).
    int Stop(int timeoutMs = 20000);

private:
    std::filesystem::path socket_;
    pid_t pid_ = -1;
    bool running_ = false;
    bool reaped_ = false;
};

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid);
// The number of sockets a process holds open.
int OpenSockets(pid_t pid);
// Polls the condition every 20 ms up to timeoutMs.
bool WaitUntil(int timeoutMs, const std::function<bool()>& condition);

}  // namespace testsupport
