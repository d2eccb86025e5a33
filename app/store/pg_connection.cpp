#include "app/store/pg_connection.h"

#include <algorithm>
#include <cstring>

#include "app/poll_file.h"

namespace tallyhouse::app {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kReconnectPause = std::chrono::seconds(1);

std::string Trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Failures that pass: the server is down, starting, stopping or out of connections; the
// statement timed out; a deadlock or a conflict; a server in recovery (a replica) that cannot
// take writes until the next connection reaches the primary.
bool Transient(const char* sqlstate) {
    if (!sqlstate) return false;
    const std::string_view code = sqlstate;
    for (const std::string_view prefix : {"08", "53", "40", "57P0", "57014", "25006"})
        if (code.starts_with(prefix)) return true;
    return false;
}

// The lock a statement waited for was held longer than its session's lock_timeout.
bool LockNotAvailable(const char* sqlstate) { return sqlstate && std::strcmp(sqlstate, "55P03") == 0; }

// A replica, or a primary that became one, is left: the next connection may reach the primary.
bool WantsNewConnection(const char* sqlstate) { return sqlstate && std::strcmp(sqlstate, "25006") == 0; }

}  // namespace

void TPgResultFree::operator()(PGresult* result) const { LibPq().PQclear(result); }

std::string_view ResultValue(const TPgResult& result, int row, int column) {
    const TLibPq& pq = LibPq();
    return {pq.PQgetvalue(result.get(), row, column), static_cast<std::size_t>(pq.PQgetlength(result.get(), row, column))};
}

bool ResultIsNull(const TPgResult& result, int row, int column) {
    return LibPq().PQgetisnull(result.get(), row, column) != 0;
}

int ResultRows(const TPgResult& result) { return LibPq().PQntuples(result.get()); }

TPgConnection::TPgConnection(std::string conninfo, std::function<void(TPgConnection&)> onConnect)
    : conninfo_(std::move(conninfo)), onConnect_(std::move(onConnect)) {}

TPgConnection::~TPgConnection() { Drop(); }

PGconn* TPgConnection::Live() {
    const TLibPq& pq = LibPq();
    // A server that went away meanwhile has closed the socket: reading shows it at once.
    if (conn_ && (!pq.PQconsumeInput(conn_) || pq.PQstatus(conn_) != CONNECTION_OK)) Drop();
    if (!conn_) Connect();
    return conn_;
}

void TPgConnection::Connect() {
    if (Clock::now() < retryAfter_) throw EStoreUnavailable(lastFailure_);
    const TLibPq& pq = LibPq();
    // Defaults before the operator's string, which may set its own.
    const char* const keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* const values[] = {"5", "tallyhouse", conninfo_.c_str(), nullptr};
    conn_ = pq.PQconnectdbParams(keys, values, 1);
    if (!conn_ || pq.PQstatus(conn_) != CONNECTION_OK) {
        lastFailure_ = "The database cannot be reached: " + Trimmed(conn_ ? pq.PQerrorMessage(conn_) : "out of memory");
        Drop();
        retryAfter_ = Clock::now() + kReconnectPause;
        throw EStoreUnavailable(lastFailure_);
    }
    // Notices ("relation already exists, skipping") would land in the web server's error log.
    pq.PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    try {
        onConnect_(*this);
    } catch (const std::exception&) {
        Drop();
        throw;
    }
}

void TPgConnection::Drop() noexcept {
    if (conn_) LibPq().PQfinish(conn_);
    conn_ = nullptr;
    prepared_.clear();
}

void TPgConnection::Fail(const PGresult* result) {
    const TLibPq& pq = LibPq();
    const char* sqlstate = result ? pq.PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string message = Trimmed(result ? pq.PQresultErrorMessage(result) : pq.PQerrorMessage(conn_));
    if (!conn_ || pq.PQstatus(conn_) != CONNECTION_OK) {
        Drop();
        throw EStoreUnavailable("The database connection broke: " + message);
    }
    if (LockNotAvailable(sqlstate)) {
        Abandon();
        throw EPollBusy("The database held a poll's lock for longer than the program waits: " + message);
    }
    if (Transient(sqlstate)) {
        Abandon();
        if (WantsNewConnection(sqlstate)) Drop();
        throw EStoreUnavailable("The database is not available now: " + message);
    }
    Abandon();
    throw EStoreError("The database refused a statement: " + message, sqlstate ? sqlstate : "");
}

void TPgConnection::Expect(PGresult* result, ExecStatusType wanted) {
    const TPgResult owned(result);
    if (!result || LibPq().PQresultStatus(result) != wanted) Fail(result);
}

TPgResult TPgConnection::Execute(const std::function<PGresult*(PGconn*)>& send, TRetry retry) {
    const TLibPq& pq = LibPq();
    for (int attempt = 0;; ++attempt) {
        PGconn* conn = Live();
        TPgResult result(send(conn));
        const ExecStatusType status = result ? pq.PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) return result;
        if (retry == TRetry::Once && attempt == 0 && pq.PQstatus(conn) != CONNECTION_OK) {
            Drop();
            continue;
        }
        Fail(result.get());
    }
}

namespace {

struct TBinaryParams {
    explicit TBinaryParams(const TPgParams& params) : formats(params.size(), 1) {
        for (const std::string_view param : params) {
            values.push_back(param.data());
            lengths.push_back(static_cast<int>(param.size()));
        }
    }
    int Count() const { return static_cast<int>(values.size()); }
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
};

}  // namespace

TPgResult TPgConnection::Run(const char* sql, const TPgParams& params, TRetry retry) {
    const TBinaryParams binary(params);
    return Execute(
        [&](PGconn* conn) {
            return LibPq().PQexecParams(conn, sql, binary.Count(), nullptr, binary.values.data(), binary.lengths.data(),
                                        binary.formats.data(), 1);
        },
        retry);
}

TPgResult TPgConnection::Run(const TPgPrepared& statement, const TPgParams& params, TRetry retry) {
    const TBinaryParams binary(params);
    return Execute(
        [&](PGconn* conn) {
            const TLibPq& pq = LibPq();
            if (!prepared_.contains(statement.name)) {
                Expect(pq.PQprepare(conn, statement.name, statement.sql, 0, nullptr), PGRES_COMMAND_OK);
                prepared_.insert(statement.name);
            }
            return pq.PQexecPrepared(conn, statement.name, binary.Count(), binary.values.data(),
                                     binary.lengths.data(), binary.formats.data(), 1);
        },
        retry);
}

void TPgConnection::Script(const char* sql) {
    PGconn* conn = Live();
    Expect(LibPq().PQexec(conn, sql), PGRES_COMMAND_OK);
}

void TPgConnection::FinishCopy() {
    const TLibPq& pq = LibPq();
    Expect(pq.PQgetResult(conn_), PGRES_COMMAND_OK);
    while (PGresult* rest = pq.PQgetResult(conn_)) pq.PQclear(rest);
}

void TPgConnection::CopyIn(const std::string& sql, std::string_view data) {
    const TLibPq& pq = LibPq();
    PGconn* conn = Live();
    Expect(pq.PQexec(conn, sql.c_str()), PGRES_COPY_IN);
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        const std::size_t size = std::min(kPiece, data.size() - at);
        if (pq.PQputCopyData(conn, data.data() + at, static_cast<int>(size)) != 1) Fail(nullptr);
    }
    if (pq.PQputCopyEnd(conn, nullptr) != 1) Fail(nullptr);
    FinishCopy();
}

void TPgConnection::CopyOut(const std::string& sql, const std::function<void(std::string_view)>& onData) {
    const TLibPq& pq = LibPq();
    PGconn* conn = Live();
    Expect(pq.PQexec(conn, sql.c_str()), PGRES_COPY_OUT);
    const auto free = [&pq](char* data) { pq.PQfreemem(data); };
    int size = 0;
    char* data = nullptr;
    try {
        while ((size = pq.PQgetCopyData(conn, &data, 0)) > 0) {
            const std::unique_ptr<char, decltype(free)> owned(data, free);
            onData(std::string_view(data, static_cast<std::size_t>(size)));
        }
    } catch (const std::exception&) {
        // The rest of the data is still on its way: the connection cannot be used again.
        Drop();
        throw;
    }
    if (size == -2) Fail(nullptr);
    FinishCopy();
}

void TPgConnection::Abandon() noexcept {
    if (!conn_) return;
    const TLibPq& pq = LibPq();
    if (pq.PQtransactionStatus(conn_) == PQTRANS_IDLE) return;
    PGresult* result = pq.PQexec(conn_, "ROLLBACK");
    const bool rolledBack = result && pq.PQresultStatus(result) == PGRES_COMMAND_OK;
    pq.PQclear(result);
    if (!rolledBack) Drop();
}

}  // namespace tallyhouse::app
