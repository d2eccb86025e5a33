// The listening socket of an explicit FastCGI start: a unix socket file or a loopback TCP port.
#pragma once

#include <sys/types.h>

#include <string>

#include "engine/fastcgi/fastcgi_start.h"
#include "platform/os/file_descriptor.h"

namespace tallyhouse::engine {

class TFastCgiSocket {
public:
    // Creates, binds and listens. A unix socket file left behind by a process that is gone is
    // replaced; a live one, or a file that is no socket, is refused. Raises Exception.
    explicit TFastCgiSocket(const TFastCgiAddress& address);
    // Closes the socket and removes its file if it is still the one made then. Worker
    // processes end without taking it down (engine/fastcgi/fastcgi_pool.h).
    ~TFastCgiSocket();
    TFastCgiSocket(const TFastCgiSocket&) = delete;
    TFastCgiSocket& operator=(const TFastCgiSocket&) = delete;

    int Handle() const { return fd_.Get(); }
    // Takes the socket file's name away so no new connection can be made; connections already
    // waiting stay to be answered.
    void RemoveName();

private:
    void ListenUnix(const std::string& path);
    void ListenTcp(const std::string& host, const std::string& port);

    platform::TFileDescriptor fd_;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace tallyhouse::engine
