// libpq, the PostgreSQL client library, loaded when the program first needs a database. A
// program started for every request (standard CGI) would otherwise load libpq and the two dozen
// libraries it needs at each start, a few milliseconds, also where answers stay in poll files.
#pragma once

#include <libpq-fe.h>

#include "app/store/store_errors.h"

namespace tallyhouse::app {

// The libpq functions the program calls, with libpq's own declarations.
#define TALLYHOUSE_LIBPQ_FUNCTIONS(X)                                                            \
    X(PQconnectdbParams) X(PQexec) X(PQstatus) X(PQerrorMessage) X(PQfinish)                    \
    X(PQconsumeInput) X(PQtransactionStatus) X(PQsetNoticeProcessor) X(PQexecParams) X(PQprepare) \
    X(PQexecPrepared) X(PQresultStatus) X(PQresultErrorField) X(PQresultErrorMessage) X(PQclear)  \
    X(PQntuples) X(PQgetvalue) X(PQgetlength) X(PQgetisnull) X(PQputCopyData) X(PQputCopyEnd)     \
    X(PQgetCopyData) X(PQgetResult) X(PQfreemem)

struct TLibPq {
#define TALLYHOUSE_LIBPQ_MEMBER(name) decltype(&::name) name = nullptr;
    TALLYHOUSE_LIBPQ_FUNCTIONS(TALLYHOUSE_LIBPQ_MEMBER)
#undef TALLYHOUSE_LIBPQ_MEMBER
};

// libpq's functions, loaded at the first call; EStoreError when libpq is not installed.
const TLibPq& LibPq();

}  // namespace tallyhouse::app
