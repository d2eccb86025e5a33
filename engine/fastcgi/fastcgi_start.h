// How a FastCGI start is recognised and what it names: started by a FastCGI server or process
// manager with the listening socket as standard input, or started by hand (or by a service
// manager) as
//     tallyhouse.cgi --fastcgi unix:/run/tallyhouse/tallyhouse.sock [--workers N]
//     tallyhouse.cgi --fastcgi 127.0.0.1:9000 [--workers N]
// A Windows CGI server passes a request file's path as the first parameter and a resident CGI
// server start passes "START_SERVER"; neither begins with "--", so neither is taken for this.
#pragma once

#include <string>
#include <vector>

namespace tallyhouse::engine {

inline constexpr char FastCgiParameter[] = "--fastcgi";

// Standard input is a socket that listens for connections (a connected socket or a pipe is not).
bool StandardInputIsListeningSocket();
// The first parameter asks for a FastCGI start.
bool NamesFastCgiStart(const std::vector<std::string>& parameters);
// This process is to serve FastCGI: the program (not the library) started either way above.
bool IsFastCgiStart();

// Where an explicit start listens and how many worker processes serve it.
struct TFastCgiAddress {
    enum { Unix, Tcp } Kind = Unix;
    std::string Path;  // Unix: the socket's file
    std::string Host;  // Tcp: a loopback host (127.0.0.0/8, ::1 or localhost)
    std::string Port;
};

struct TFastCgiStart {
    TFastCgiAddress Address;
    int Workers = 0;
};

// Reads "--fastcgi ADDRESS [--workers N]"; Workers defaults to workersSetting (the setting
// TALLYHOUSE_FASTCGI_WORKERS, 0 when unset), else the number of cores, whatever the machine's
// cores: "--workers" wins over both. Raises Exception with a usage text for anything else,
// including a worker count outside 1 to 256 and an address that is not a unix socket or a
// loopback one: FastCGI has no authentication.
TFastCgiStart ParseFastCgiStart(const std::vector<std::string>& parameters, int workersSetting = 0);

// The usage text printed when the start cannot be read.
std::string FastCgiUsage();

}  // namespace tallyhouse::engine
