#include "tests/support/cgi_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" /
            (std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
    std::error_code ec;
    fs::create_hard_link(TALLYHOUSE_CGI, path_ / "tallyhouse.cgi", ec);
    if (ec) fs::copy_file(TALLYHOUSE_CGI, path_ / "tallyhouse.cgi");
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (!getenv("TALLYHOUSE_KEEP_SCRATCH")) fs::remove_all(path_, ec);
}

void ScratchDir::Write(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << content;
}

std::string ScratchDir::Read(const std::string& name) const { return ReadFile(path_ / name); }

bool ScratchDir::Exists(const std::string& name) const { return fs::exists(path_ / name); }

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ETagOf(const std::string& header) {
    const size_t at = header.find("ETag:");
    if (at == std::string::npos) return "";
    return header.substr(at + 5, header.find("\r\n", at) - at - 5);
}

void SplitResponse(CgiResult& result) {
    const std::string& out = result.output;
    size_t crlf = out.find("\r\n\r\n");
    size_t lf = out.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        result.header = out.substr(0, crlf);
        result.body = out.substr(crlf + 4);
    } else if (lf != std::string::npos) {
        result.header = out.substr(0, lf);
        result.body = out.substr(lf + 2);
    } else {
        result.header = out;
        result.body.clear();
    }
}

namespace {

// Writes the input and drains both outputs without blocking on either pipe.
void Exchange(int inFd, int outFd, int errFd, const std::string& input, CgiResult& result, pid_t pid,
              int timeoutSeconds) {
    size_t written = 0;
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    char buffer[65536];
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0) fds[n++] = {errFd, POLLIN, 0};
        if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, static_cast<nfds_t>(n), static_cast<int>(left.count())) < 0) continue;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inFd) {
                const ssize_t w = write(inFd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w < 0 || written == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            std::string& sink = fds[i].fd == outFd ? result.output : result.errors;
            if (r > 0) {
                sink.append(buffer, static_cast<size_t>(r));
            } else {
                close(fds[i].fd);
                (fds[i].fd == outFd ? outFd : errFd) = -1;
            }
        }
    }
    if (inFd >= 0) close(inFd);
    if (outFd >= 0) close(outFd);
    if (errFd >= 0) close(errFd);
}

}  // namespace

CgiResult RunProgram(const std::string& program, const CgiRequest& request) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : request.env) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), request.args.begin(), request.args.end());
    std::vector<char*> argv;
    for (auto& s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        const std::string dir = std::filesystem::path(program).parent_path().string();
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        signal(SIGPIPE, SIG_DFL);
        if (request.inChild) request.inChild();
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    CgiResult result;
    Exchange(in[1], out[0], err[0], request.input, result, pid, request.timeoutSeconds);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.maxResidentKb = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    SplitResponse(result);
    return result;
}

CgiRequest GetRequest(const std::string& query) {
    CgiRequest request;
    request.env = {{"SERVER_SOFTWARE", "lighttpd/1.4.69"},
                   {"GATEWAY_INTERFACE", "CGI/1.1"},
                   {"SERVER_PROTOCOL", "HTTP/1.1"},
                   {"SERVER_NAME", "127.0.0.1"},
                   {"SERVER_PORT", "8080"},
                   {"REQUEST_METHOD", "GET"},
                   {"SCRIPT_NAME", "/cgi-bin/tallyhouse.cgi"},
                   {"QUERY_STRING", query},
                   {"REMOTE_ADDR", "127.0.0.1"}};
    return request;
}

CgiRequest PostRequest(const std::string& body, const std::string& contentType) {
    CgiRequest request = GetRequest("");
    request.env["REQUEST_METHOD"] = "POST";
    request.env["CONTENT_TYPE"] = contentType;
    request.env["CONTENT_LENGTH"] = std::to_string(body.size());
    request.input = body;
    return request;
}

}  // namespace testsupport
