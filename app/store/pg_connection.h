// One connection to the database, made when it is first needed and made again after it broke:
// a resident process (a FastCGI worker, a resident server) keeps it from request to request, a
// standard CGI run makes one for its request. The store is opened at a process's first request,
// so a FastCGI worker never shares a connection with the pool it was forked from.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/store/libpq_api.h"

namespace tallyhouse::app {

struct TPgResultFree {
    void operator()(PGresult* result) const;
};
using TPgResult = std::unique_ptr<PGresult, TPgResultFree>;

// A field of a result, as the bytes the database sent (binary integers hold zero bytes).
std::string_view ResultValue(const TPgResult& result, int row, int column);
bool ResultIsNull(const TPgResult& result, int row, int column);
int ResultRows(const TPgResult& result);

// A parameter in binary form, its type given by a cast in the statement ($1::bytea).
using TPgParams = std::vector<std::string_view>;

// A statement that each connection prepares once and then runs by its name, so the database
// parses and plans it once.
struct TPgPrepared {
    const char* name;
    const char* sql;
};

// Whether a statement may run again when the connection broke while it ran: a read may, a
// write may not (it could have been done, and done twice is worse than reported as failed).
enum class TRetry { Never, Once };

class TPgConnection {
public:
    // onConnect runs on every new connection before its first statement (the schema's check).
    TPgConnection(std::string conninfo, std::function<void(TPgConnection&)> onConnect);
    ~TPgConnection();
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    // Runs one statement with binary parameters and a binary result. EStoreUnavailable when
    // the database cannot be reached or is going down, EPollBusy when a lock was not had within
    // the session's lock_timeout, EStoreError for any other failure.
    TPgResult Run(const char* sql, const TPgParams& params = {}, TRetry retry = TRetry::Never);
    TPgResult Run(const TPgPrepared& statement, const TPgParams& params = {}, TRetry retry = TRetry::Never);
    // Runs statements without parameters (a script, BEGIN, COMMIT).
    void Script(const char* sql);
    // COPY ... FROM STDIN with the data given.
    void CopyIn(const std::string& sql, std::string_view data);
    // COPY ... TO STDOUT, each piece of the data handed to onData as it comes.
    void CopyOut(const std::string& sql, const std::function<void(std::string_view)>& onData);
    // Rolls back an open transaction after a failure; the connection is dropped if that fails.
    void Abandon() noexcept;

private:
    PGconn* Live();
    void Connect();
    void Drop() noexcept;
    [[noreturn]] void Fail(const PGresult* result);
    void Expect(PGresult* result, ExecStatusType wanted);
    // Runs what send sends on the live connection, once more on a new one when retry allows.
    TPgResult Execute(const std::function<PGresult*(PGconn*)>& send, TRetry retry);
    // The result that ends a COPY, and nothing after it.
    void FinishCopy();

    std::string conninfo_;
    std::function<void(TPgConnection&)> onConnect_;
    PGconn* conn_ = nullptr;
    std::set<std::string> prepared_;  // the names prepared on conn_
    // A connection that could not be made is not tried again at once: every request meanwhile
    // would wait for the same refusal.
    std::chrono::steady_clock::time_point retryAfter_{};
    std::string lastFailure_;
};

}  // namespace tallyhouse::app
