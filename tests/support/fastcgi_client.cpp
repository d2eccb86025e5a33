#include "tests/support/fastcgi_client.h"
#include "tests/support/http_client.h"

#include "tests/support/child_processes.h"

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

enum : int { kBegin = 1, kEnd = 3, kParams = 4, kStdin = 5, kStdout = 6 };
constexpr int kRequestId = 1;

std::string Length(size_t n) {
    if (n < 128) return std::string(1, static_cast<char>(n));
    return {static_cast<char>(0x80 | ((n >> 24) & 0x7f)), static_cast<char>((n >> 16) & 0xff),
            static_cast<char>((n >> 8) & 0xff), static_cast<char>(n & 0xff)};
}

bool ReadExactly(int fd, char* into, size_t count, int timeoutMs) {
    size_t got = 0;
    pollfd p{fd, POLLIN, 0};
    while (got < count) {
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        const ssize_t n = recv(fd, into + got, count - got, 0);
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

FastCgiConnection::FastCgiConnection(const fs::path& socket) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Close();
}

FastCgiConnection::FastCgiConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Close();
}

FastCgiConnection::~FastCgiConnection() { Close(); }

void FastCgiConnection::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::string FastCgiConnection::RecordBytes(int type, const std::string& content) {
    const std::string header = {1, static_cast<char>(type), 0, static_cast<char>(kRequestId),
                                static_cast<char>((content.size() >> 8) & 0xff), static_cast<char>(content.size() & 0xff),
                                0, 0};
    return header + content;
}

bool FastCgiConnection::SendRaw(const std::string& bytes) { return SendAll(fd_, bytes); }

void FastCgiConnection::Record(int type, const std::string& content) {
    for (size_t at = 0; at < content.size() || (at == 0 && content.empty()); at += 65535) {
        SendAll(fd_, RecordBytes(type, content.substr(at, 65535)));
        if (content.empty()) break;
    }
}

void FastCgiConnection::Begin(const std::map<std::string, std::string>& params) {
    Record(kBegin, std::string{0, 1, 0, 0, 0, 0, 0, 0});
    std::string pairs;
    for (const auto& [name, value] : params) pairs += Length(name.size()) + Length(value.size()) + name + value;
    if (!pairs.empty()) Record(kParams, pairs);
    Record(kParams, "");
}

void FastCgiConnection::Body(const std::string& bytes) {
    if (!bytes.empty()) Record(kStdin, bytes);
}

void FastCgiConnection::EndBody() { Record(kStdin, ""); }

std::string FastCgiConnection::Answer(int timeoutMs) {
    std::string out;
    char header[8];
    while (fd_ >= 0 && ReadExactly(fd_, header, sizeof header, timeoutMs)) {
        const size_t length = (static_cast<unsigned char>(header[4]) << 8) | static_cast<unsigned char>(header[5]);
        std::string content(length + static_cast<unsigned char>(header[6]), '\0');
        if (!ReadExactly(fd_, content.data(), content.size(), timeoutMs)) break;
        if (header[1] == kStdout) out.append(content, 0, length);
        if (header[1] == kEnd) break;
    }
    return out;
}

bool FastCgiConnection::ClosedByPeer(int timeoutMs) {
    return WaitUntil(timeoutMs, [this] {
        char byte;
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 0) > 0 && recv(fd_, &byte, 1, MSG_DONTWAIT) <= 0;
    });
}

std::string FastCgiAnswer(const fs::path& socket, const CgiRequest& request) {
    FastCgiConnection connection(socket);
    if (!connection.Connected()) return "(no connection)";
    connection.Begin(request.env);
    connection.Body(request.input);
    connection.EndBody();
    return connection.Answer();
}

FastCgiServer::FastCgiServer(const ScratchDir& dir, int workers, const std::map<std::string, std::string>& env, int port)
    : socket_(dir.Path() / "fcgi.sock"), port_(port) {
    const std::string program = dir.Program();
    const std::string address = port > 0 ? "127.0.0.1:" + std::to_string(port) : "unix:" + socket_.string();
    const std::string count = std::to_string(workers);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        const std::string log = (dir.Path() / "server.log").string();
        if (!freopen("/dev/null", "r", stdin) || !freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr))
            _exit(126);
        execl(program.c_str(), program.c_str(), "--fastcgi", address.c_str(), "--workers", count.c_str(), nullptr);
        _exit(127);
    }
    setpgid(pid_, pid_);
    running_ = WaitUntil(10000, [this] { return Connect()->Connected(); });
}

std::unique_ptr<FastCgiConnection> FastCgiServer::Connect() const {
    return port_ > 0 ? std::make_unique<FastCgiConnection>(port_) : std::make_unique<FastCgiConnection>(socket_);
}

FastCgiServer::~FastCgiServer() {
    Stop();
    StopProcessGroup(pid_, 10);
}

int FastCgiServer::Stop(int timeoutMs) {
    static constexpr int kNotEnded = -1;
    if (pid_ <= 0) return kNotEnded;
    if (reaped_) return 0;
    kill(pid_, SIGTERM);
    int status = 0;
    if (!WaitUntil(timeoutMs, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) return kNotEnded;
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == pid && state != 'Z')
            children.push_back(std::stoi(name));
    }
    return children;
}

int OpenSockets(pid_t pid) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::error_code readError;
        if (fs::read_symlink(entry.path(), readError).string().rfind("socket:", 0) == 0) ++count;
    }
    return count;
}

}  // namespace testsupport
