// The root of every failure the program raises; the engine catches it per request.
#pragma once

#include <stdexcept>
#include <string>

namespace tallyhouse::platform {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that should have been a number ("'x' ist kein gültiger Integerwert").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The client of a request went away before its response was complete.
class EClientGone : public Exception {
public:
    using Exception::Exception;
};

// A file could not be opened, read or written.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace tallyhouse::platform
