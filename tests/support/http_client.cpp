#include "tests/support/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string ReceiveAll(int fd, int timeoutMs) {
    std::string data;
    char buffer[65536];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    return data;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

HttpResponse Parse(const std::string& raw) {
    HttpResponse response;
    const size_t end = raw.find("\r\n\r\n");
    if (end == std::string::npos) return response;
    size_t line = 0;
    bool first = true;
    while (line < end) {
        size_t next = raw.find("\r\n", line);
        if (next == std::string::npos || next > end) next = end;
        const std::string text = raw.substr(line, next - line);
        if (first) {
            response.statusLine = text;
            const size_t space = text.find(' ');
            if (space != std::string::npos) response.status = std::atoi(text.c_str() + space + 1);
            first = false;
        } else if (const size_t colon = text.find(':'); colon != std::string::npos) {
            size_t value = colon + 1;
            while (value < text.size() && text[value] == ' ') ++value;
            response.headers.emplace(Lower(text.substr(0, colon)), text.substr(value));
        }
        line = next + 2;
    }
    response.body = raw.substr(end + 4);
    return response;
}

}  // namespace

bool SendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string HttpResponse::Header(const std::string& lowerName) const {
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpResponse HttpRequest(int port, const std::string& method, const std::string& target,
                         const std::string& body, const std::string& contentType, const std::string& extraHeaders) {
    const int fd = Connect(port);
    if (fd < 0) return {};
    std::string request = method + " " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\n";
    if (method == "POST")
        request += "Content-Type: " + contentType + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    request += extraHeaders + "\r\n" + body;
    HttpResponse response;
    if (SendAll(fd, request)) response = Parse(ReceiveAll(fd, 30000));
    close(fd);
    return response;
}

PortReservation::PortReservation() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    if (fd_ < 0) throw std::runtime_error("socket failed");
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd_);
        throw std::runtime_error("no port of 127.0.0.1 to reserve");
    }
    port_ = ntohs(address.sin_port);
}

PortReservation::~PortReservation() { close(fd_); }

bool WaitForPort(int port, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = Connect(port);
        if (fd >= 0) {
            close(fd);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace testsupport
