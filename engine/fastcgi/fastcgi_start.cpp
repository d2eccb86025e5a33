#include "engine/fastcgi/fastcgi_start.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <thread>

#include "platform/text/convert.h"
#include "platform/os/exception.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int kMaxWorkers = 256;

[[noreturn]] void Refuse(const std::string& why) { throw Exception(why + "\n" + FastCgiUsage()); }

bool IsLoopback(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        return IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr);
    }
    return false;
}

// Every address the host name stands for must be a loopback one.
bool NamesLoopbackOnly(const std::string& host) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), "1", &hints, &found) != 0) return false;
    bool loopback = found != nullptr;
    for (const addrinfo* a = found; a; a = a->ai_next) loopback = loopback && IsLoopback(a->ai_addr);
    freeaddrinfo(found);
    return loopback;
}

TFastCgiAddress ParseAddress(const std::string& text) {
    TFastCgiAddress address;
    if (text.rfind("unix:", 0) == 0) {
        address.Path = text.substr(5);
        if (address.Path.empty()) Refuse("The unix socket needs a path: unix:/run/tallyhouse/tallyhouse.sock");
        return address;
    }
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        Refuse("Not a FastCGI address: '" + text + "'");
    address.Kind = TFastCgiAddress::Tcp;
    address.Host = text.substr(0, colon);
    address.Port = text.substr(colon + 1);
    if (address.Host.size() > 2 && address.Host.front() == '[' && address.Host.back() == ']')
        address.Host = address.Host.substr(1, address.Host.size() - 2);
    const long long port = address.Port.find_first_not_of("0123456789") == std::string::npos
                               ? std::stoll(address.Port.substr(0, 6))
                               : -1;
    if (port < 1 || port > 65535) Refuse("Not a port number: '" + address.Port + "'");
    if (!NamesLoopbackOnly(address.Host))
        Refuse("'" + address.Host + "' is no loopback address: FastCGI listens only on this host");
    return address;
}

int ParseWorkers(const std::string& text) {
    long long count = 0;
    try {
        count = StrToInt(text);
    } catch (const EConvertError&) {
        count = 0;
    }
    if (count < 1 || count > kMaxWorkers) Refuse("--workers must be 1 to " + std::to_string(kMaxWorkers) + ": '" + text + "'");
    return static_cast<int>(count);
}

int CoreCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxWorkers));
}

}  // namespace

bool StandardInputIsListeningSocket() {
    int listening = 0;
    socklen_t size = sizeof listening;
    return getsockopt(0, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening != 0;
}

bool NamesFastCgiStart(const std::vector<std::string>& parameters) {
    return !parameters.empty() && parameters[0] == FastCgiParameter;
}

// How the process was started does not change while it runs: the start-up decision and the
// engine ask for it, and standard input is looked at once.
bool IsFastCgiStart() {
    static const bool fastCgi =
        !IsLibrary() && (StandardInputIsListeningSocket() || NamesFastCgiStart(ProgramParameters()));
    return fastCgi;
}

TFastCgiStart ParseFastCgiStart(const std::vector<std::string>& parameters, int workersSetting) {
    if (!NamesFastCgiStart(parameters) || parameters.size() < 2) Refuse("The FastCGI start names an address.");
    TFastCgiStart start;
    start.Address = ParseAddress(parameters[1]);
    start.Workers = workersSetting == 0 ? CoreCount() : workersSetting;
    for (size_t i = 2; i < parameters.size(); i += 2) {
        if (parameters[i] != "--workers" || i + 1 == parameters.size())
            Refuse("Unknown parameter: '" + parameters[i] + "'");
        start.Workers = ParseWorkers(parameters[i + 1]);
    }
    return start;
}

std::string FastCgiUsage() {
    return "Usage: tallyhouse.cgi --fastcgi unix:PATH [--workers N]\n"
           "       tallyhouse.cgi --fastcgi HOST:PORT [--workers N]   (HOST: 127.0.0.1, [::1] or localhost)\n"
           "N worker processes (default: TALLYHOUSE_FASTCGI_WORKERS, else the number of cores) serve\n"
           "the socket; SIGTERM stops them once the requests in hand are answered.";
}

}  // namespace tallyhouse::engine
