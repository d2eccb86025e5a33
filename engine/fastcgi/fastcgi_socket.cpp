#include "engine/fastcgi/fastcgi_socket.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/exception.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

[[noreturn]] void Fail(const std::string& what) { throw Exception(what + ": " + std::strerror(errno)); }

sockaddr_un UnixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) throw Exception("Socket path too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// A socket file whose listener is gone refuses connections; only such a file may be replaced.
bool IsStaleSocket(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    if (!S_ISSOCK(info.st_mode)) throw Exception("Not a socket, left as it is: " + path);
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) Fail("Cannot make a socket");
    const sockaddr_un address = UnixAddress(path);
    const bool refused = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
                         errno == ECONNREFUSED;
    close(probe);
    if (!refused) throw Exception("Another server listens on " + path);
    return true;
}

}  // namespace

TFastCgiSocket::TFastCgiSocket(const TFastCgiAddress& address) {
    if (address.Kind == TFastCgiAddress::Unix)
        ListenUnix(address.Path);
    else
        ListenTcp(address.Host, address.Port);
}

TFastCgiSocket::~TFastCgiSocket() {
    RemoveName();
}

void TFastCgiSocket::ListenUnix(const std::string& path) {
    const sockaddr_un address = UnixAddress(path);
    if (IsStaleSocket(path)) unlink(path.c_str());
    fd_.Reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd_.IsOpen()) Fail("Cannot make a socket");
    if (bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) Fail("Cannot bind " + path);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        path_ = path;
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    if (listen(fd_.Get(), SOMAXCONN) == 0) return;
    // The constructor fails, so no destructor removes the file just made: it goes here.
    const int error = errno;
    RemoveName();
    errno = error;
    Fail("Cannot listen on " + path);
}

void TFastCgiSocket::ListenTcp(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0)
        throw Exception("Cannot resolve " + host + ": " + gai_strerror(error));
    const addrinfo& first = *found;
    fd_.Reset(socket(first.ai_family, first.ai_socktype | SOCK_CLOEXEC, first.ai_protocol));
    const int reuse = 1;
    const bool bound = fd_.IsOpen() && setsockopt(fd_.Get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) == 0 &&
                       bind(fd_.Get(), first.ai_addr, first.ai_addrlen) == 0;
    freeaddrinfo(found);
    if (!bound) Fail("Cannot bind " + host + ":" + port);
    if (listen(fd_.Get(), SOMAXCONN) != 0) Fail("Cannot listen on " + host + ":" + port);
}

void TFastCgiSocket::RemoveName() {
    if (path_.empty()) return;
    struct stat info {};
    if (lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_) unlink(path_.c_str());
    path_.clear();
}

}  // namespace tallyhouse::engine
