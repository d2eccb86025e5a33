// How a store of answers fails.
#pragma once

#include "platform/exception.h"

// The store cannot be reached now (the database server is down, restarting or refuses more
// connections): the request is answered with 503 and may be tried again later.
class EStoreUnavailable : public Exception {
public:
    using Exception::Exception;
};

// The store answered with an error that trying again will not mend (a missing permission, a
// schema of a newer program).
class EStoreError : public Exception {
public:
    using Exception::Exception;
};
