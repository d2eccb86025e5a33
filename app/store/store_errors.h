// How a store of answers fails.
#pragma once

#include <string>

#include "platform/os/exception.h"

namespace tallyhouse::app {

// The store cannot be reached now (the database server is down, restarting or refuses more
// connections): the request is answered with 503 and may be tried again later.
class EStoreUnavailable : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// The store answered with an error that trying again will not mend (a missing permission, a
// schema of a newer program, a rule of the program's own that the database checks), with the
// database's code for it (SQLSTATE) when it gave one.
class EStoreError : public platform::Exception {
public:
    explicit EStoreError(const std::string& message, std::string sqlState = "")
        : platform::Exception(message), sqlState_(std::move(sqlState)) {}
    const std::string& SqlState() const { return sqlState_; }

private:
    std::string sqlState_;
};

}  // namespace tallyhouse::app
