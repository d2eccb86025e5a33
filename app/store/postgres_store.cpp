#include "app/store/postgres_store.h"

#include <algorithm>

#include "app/answer_line.h"
#include "app/one_answer.h"
#include "app/poll_answers.h"
#include "app/poll_count.h"
#include "app/poll_file.h"
#include "app/store/imported_lines.h"
#include "app/store/packed_tally.h"
#include "app/store/pg_binary.h"
#include "app/store/pg_schema.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

// The longest name a poll file can have (NAME_MAX): the database takes no longer poll names, so
// a request is recorded or refused as it would be with poll files.
constexpr std::size_t kMaxPollNameBytes = 255;

std::string Bool(bool value) { return std::string(1, value ? '\1' : '\0'); }

// The refusals tallyhouse.add_answers raises, by SQLSTATE (app/store/pg_schema.cpp).
constexpr std::string_view kNewPollForbidden = "TH001";
constexpr std::string_view kTooManyNewPolls = "TH002";
constexpr std::string_view kPollClosed = "TH003";
constexpr std::string_view kTooManyPolls = "TH004";

constexpr TPgPrepared kAddAnswers{
    "tallyhouse_add",
    "SELECT withheld_poll, repeats_to_log FROM tallyhouse.add_answers($1::bytea[], $2::bytea[], $3::bytea[], "
    "$4::bytea[], $5::bytea[], $6::boolean, $7::integer, $8::bigint, $9::bigint[], $10::bigint, $11::bigint)"};
// The one answer of a request to an open poll that exists, the visitors not looked at: the same
// as add_answers does then, in one statement that changes no row another answer changes. It
// records nothing (and returns no row) for a poll that is missing or closed.
constexpr TPgPrepared kAddOneAnswer{"tallyhouse_add_one", R"sql(
WITH p AS (SELECT id FROM tallyhouse.polls WHERE name = $1::bytea AND NOT closed),
     a AS (INSERT INTO tallyhouse.answers (poll, stamp, address, answer)
           SELECT id, $2::bytea, $3::bytea, $4::bytea FROM p RETURNING poll, id)
INSERT INTO tallyhouse.pending (poll, id, label) SELECT poll, id, $5::bytea FROM a RETURNING poll)sql"};
constexpr TPgPrepared kPollId{"tallyhouse_poll", "SELECT id FROM tallyhouse.polls WHERE name = $1::bytea"};
// The poll's id, its number of lines (counted and pending, from one snapshot) and the id of its
// last line: one text for both statements below, so a view's counts and a cached chart's key
// always name the poll alike.
#define TALLYHOUSE_POLL_IDENTITY \
    "SELECT p.id, p.answers + (SELECT count(*) FROM tallyhouse.pending q WHERE q.poll = $1::bigint),\n" \
    "       (SELECT coalesce(max(a.id), 0) FROM tallyhouse.answers a WHERE a.poll = $1::bigint)"
constexpr TPgPrepared kPollIdentity{"tallyhouse_identity",
                                    TALLYHOUSE_POLL_IDENTITY " FROM tallyhouse.polls p WHERE p.id = $1::bigint"};
// The identity, then the counts of the poll's tallies and of its pending answers
// (app/store/packed_tally.h). Not prepared: planned for the poll at hand, whose share of all
// labels may be tiny or nearly all of them.
constexpr const char* kCountPoll = TALLYHOUSE_POLL_IDENTITY R"sql(,
       (SELECT string_agg(int8send(t.count) || int8send(t.first_answer) || int4send(length(t.label)) || t.label, ''::bytea)
          FROM tallyhouse.tallies t WHERE t.poll = $1::bigint),
       (SELECT string_agg(int8send(q.count) || int8send(q.first_answer) || int4send(length(q.label)) || q.label, ''::bytea)
          FROM (SELECT label, count(*) AS count, min(id) AS first_answer FROM tallyhouse.pending
                WHERE poll = $1::bigint GROUP BY label) q)
  FROM tallyhouse.polls p WHERE p.id = $1::bigint)sql";
#undef TALLYHOUSE_POLL_IDENTITY
constexpr TPgPrepared kFold{"tallyhouse_fold", "SELECT tallyhouse.fold($1::bigint)"};

// Hands on the bytes of the rows (line, stamp, address, answer) in pieces of a useful size, each
// row's line as the poll file holds it.
class TExportWriter {
public:
    explicit TExportWriter(const std::function<void(std::string_view)>& onPiece) : onPiece_(onPiece) {}

    void Row(const TCopyRow& row) {
        if (row.size() != 4 || !row[1] || !row[2] || !row[3]) throw EStoreError("The database sent an answer row without its fields");
        buffer_ += ExportedLine({std::string(*row[1]), std::string(*row[2]), std::string(*row[3])}, row[0], insideLine_);
        if (buffer_.size() >= kPiece) Flush();
    }

    void Flush() {
        if (!buffer_.empty()) onPiece_(buffer_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    const std::function<void(std::string_view)>& onPiece_;
    std::string buffer_;
    bool insideLine_ = false;
};

// What the answer's line counts for in the poll's tally.
std::string LabelOf(const TNewAnswer& answer) {
    return LineAnswer(AnswerLine(answer.stamp, answer.address, answer.answer)).value_or("");
}

// The answers in the order of their polls' names (app/store/pg_schema.cpp), each poll's in the
// order they came.
std::vector<const TNewAnswer*> ByPollName(const std::vector<TNewAnswer>& answers) {
    std::vector<const TNewAnswer*> ordered;
    for (const TNewAnswer& answer : answers) ordered.push_back(&answer);
    std::stable_sort(ordered.begin(), ordered.end(), [](const TNewAnswer* a, const TNewAnswer* b) { return a->poll < b->poll; });
    return ordered;
}

}  // namespace

TPostgresStore::TPostgresStore(std::string conninfo, std::string folder)
    : connection_(std::move(conninfo),
                  [this](TPgConnection& connection) {
                      // A poll's lock is waited for as long as a poll file's.
                      connection.Script(("SET lock_timeout = " + std::to_string(PollLockWait.count())).c_str());
                      const std::string store = PrepareSchema(connection);
                      if (store != storeId_) {
                          pollIds_.clear();
                          secret_.reset();
                      }
                      storeId_ = store;
                  }),
      folder_(std::move(folder)) {}

// A poll keeps its id for good: it is asked once per process.
std::optional<std::int64_t> TPostgresStore::PollId(const std::string& name) {
    if (const auto known = pollIds_.find(name); known != pollIds_.end()) return known->second;
    const TPgResult result = connection_.Run(kPollId, {name}, TRetry::Once);
    if (ResultRows(result) == 0) return std::nullopt;
    return pollIds_[name] = ReadInt8(ResultValue(result, 0, 0));
}

// A poll whose row has gone (an operator deleted it) is looked for by name once more.
std::optional<TPgResult> TPostgresStore::PollRow(const std::string& name,
                                                 const std::function<TPgResult(const std::string& id)>& query) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::optional<std::int64_t> id = PollId(name);
        if (!id) return std::nullopt;
        TPgResult result = query(Int8Bytes(*id));
        if (ResultRows(result) == 1) return result;
        pollIds_.erase(name);
    }
    return std::nullopt;
}

// One statement, so one transaction: the database records all of the request or nothing. It is
// never sent twice: a connection that broke meanwhile may have recorded it.
TAddResult TPostgresStore::AddAnswers(const TAddRequest& request) {
    for (const TNewAnswer& answer : request.answers)
        if (answer.poll.size() > kMaxPollNameBytes)
            throw EFileError("Cannot open file \"" + folder_ + answer.poll + "\": File name too long");
    if (request.answers.size() == 1 && request.visitorKeys.empty() && AddOneAnswer(request.answers.front())) return {};
    std::vector<std::string_view> polls, stamps, addresses, texts, labels;
    std::vector<std::string> labelTexts;
    labelTexts.reserve(request.answers.size());
    for (const TNewAnswer* answer : ByPollName(request.answers)) {
        polls.push_back(answer->poll);
        stamps.push_back(answer->stamp);
        addresses.push_back(answer->address);
        texts.push_back(answer->answer);
        labelTexts.push_back(LabelOf(*answer));
        labels.push_back(labelTexts.back());
    }
    const std::vector<std::int64_t> visitors(request.visitorKeys.begin(), request.visitorKeys.end());
    const std::string params[] = {ByteaArray(polls), ByteaArray(stamps), ByteaArray(addresses), ByteaArray(texts),
                                  ByteaArray(labels), Bool(!PollFileExists(folder_ + kKeyFileName)),
                                  Int4Bytes(static_cast<std::int32_t>(kMaxNewPollFiles)),
                                  Int8Bytes(static_cast<std::int64_t>(MaxPollFiles())), Int8Array(visitors),
                                  Int8Bytes(std::int64_t{request.windowHours} * 3600), Int8Bytes(request.now)};
    TAddResult result;
    try {
        const TPgResult withheld = connection_.Run(kAddAnswers, TPgParams(std::begin(params), std::end(params)));
        for (int row = 0; row < ResultRows(withheld); ++row) {
            result.withheld.emplace_back(ResultValue(withheld, row, 0));
            LogRepeats(result.withheld.back(), static_cast<std::uint64_t>(ReadInt8(ResultValue(withheld, row, 1))));
        }
    } catch (const EStoreError& refused) {
        if (refused.SqlState() == kNewPollForbidden) result.locked = true;
        if (refused.SqlState() == kTooManyNewPolls) throw TooManyNewPolls();
        if (refused.SqlState() == kPollClosed) throw ClosedPollRefusal("a poll the request names");
        if (refused.SqlState() == kTooManyPolls) throw PollFolderFull(MaxPollFiles());
        if (!result.locked) throw;
    }
    return result;
}

bool TPostgresStore::AddOneAnswer(const TNewAnswer& answer) {
    const std::string label = LabelOf(answer);
    const TPgResult added = connection_.Run(kAddOneAnswer, {answer.poll, answer.stamp, answer.address, answer.answer, label});
    return ResultRows(added) == 1;
}

// Made by the first host that needs it, and the same for every host after.
const TInstallationSecret& TPostgresStore::Secret() {
    if (secret_) return *secret_;
    const std::string made = NewSecretText();
    connection_.Run("INSERT INTO tallyhouse.secret (keys) VALUES ($1::text) ON CONFLICT DO NOTHING", {made});
    const TPgResult kept = connection_.Run("SELECT keys FROM tallyhouse.secret", {}, TRetry::Once);
    secret_ = ResultRows(kept) == 1 ? SecretOfText(std::string(ResultValue(kept, 0, 0))) : std::nullopt;
    if (!secret_) throw EStoreError("tallyhouse.secret does not hold one secret");
    return *secret_;
}

// The store, the poll's id, its number of lines and the id of its last: the first three columns.
std::string TPostgresStore::Identity(const TPgResult& poll) const {
    return "db:" + storeId_ + ":" + std::to_string(ReadInt8(ResultValue(poll, 0, 0))) + "." +
           std::to_string(ReadInt8(ResultValue(poll, 0, 1))) + "." + std::to_string(ReadInt8(ResultValue(poll, 0, 2)));
}

std::optional<std::string> TPostgresStore::PollIdentity(const std::string& name) {
    const std::optional<TPgResult> poll =
        PollRow(name, [this](const std::string& id) { return connection_.Run(kPollIdentity, {id}, TRetry::Once); });
    if (!poll) return std::nullopt;
    return Identity(*poll);
}

// The counts and the identity come from one statement, so they belong together. Pending answers
// seen are folded afterwards, so the next view reads fewer of them.
std::optional<TCountedPoll> TPostgresStore::CountPoll(const std::string& name) {
    std::string pollId;
    const std::optional<TPgResult> poll = PollRow(name, [this, &pollId](const std::string& id) {
        pollId = id;
        return connection_.Run(kCountPoll, {id}, TRetry::Once);
    });
    if (!poll) return std::nullopt;
    const auto packed = [&poll](int column) {
        return ResultIsNull(*poll, 0, column) ? std::string_view() : ResultValue(*poll, 0, column);
    };
    TCountedPoll counted{UnpackTally(packed(3), packed(4)), Identity(*poll)};
    if (!packed(4).empty()) connection_.Run(kFold, {pollId}, TRetry::Once);
    return counted;
}

void TPostgresStore::ExportRows(std::int64_t poll, const std::function<void(std::string_view)>& onPiece) {
    TExportWriter writer(onPiece);
    TCopyReader reader([&writer](const TCopyRow& row) { writer.Row(row); });
    connection_.CopyOut("COPY (SELECT line, stamp, address, answer FROM tallyhouse.answers WHERE poll = " +
                            std::to_string(poll) + " ORDER BY id) TO STDOUT (FORMAT binary)",
                        [&reader](std::string_view piece) { reader.Feed(piece); });
    reader.Finish();
    writer.Flush();
}

bool TPostgresStore::ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) {
    const std::optional<std::int64_t> id = PollId(name);
    if (id) ExportRows(*id, onPiece);
    return id.has_value();
}

std::string TPostgresStore::Export(std::int64_t poll) {
    std::string text;
    ExportRows(poll, [&text](std::string_view piece) { text += piece; });
    return text;
}

// Holding pending exclusively, the import waits for the answers in flight and holds back new ones
// until it ends, so the poll's lines stay as they are read and its new lines follow them. Its
// lines are counted, not taken from the tallies, which may not hold the pending ones yet.
TPostgresStore::TLockedPoll TPostgresStore::LockPoll(const std::string& name) {
    connection_.Script("LOCK TABLE tallyhouse.pending IN EXCLUSIVE MODE");
    const TPgResult created = connection_.Run(
        "INSERT INTO tallyhouse.polls (name) VALUES ($1::bytea) ON CONFLICT (name) DO NOTHING RETURNING id", {name});
    const TPgResult result = connection_.Run(
        "SELECT id, (SELECT count(*) FROM tallyhouse.answers a WHERE a.poll = p.id) FROM tallyhouse.polls p "
        "WHERE name = $1::bytea FOR UPDATE",
        {name});
    return {ReadInt8(ResultValue(result, 0, 0)), ReadInt8(ResultValue(result, 0, 1)), ResultRows(created) == 1};
}

TImportResult TPostgresStore::ImportPoll(const std::string& name, std::string_view text, std::int64_t& added) {
    added = 0;
    connection_.Script("BEGIN");
    try {
        const TLockedPoll poll = LockPoll(name);
        const std::string held = poll.lines > 0 ? Export(poll.id) : std::string();
        TImportResult result = TImportResult::Imported;
        if (held == text && !poll.created)
            result = TImportResult::Unchanged;
        else if (!text.starts_with(held) || !EndsWithLineBreak(held))
            result = TImportResult::Differs;
        else
            AppendImported(poll.id, text, held.size(), poll.lines, added);
        connection_.Script(result == TImportResult::Imported ? "COMMIT" : "ROLLBACK");
        return result;
    } catch (const Exception&) {
        connection_.Abandon();
        throw;
    }
}

// The lines go in by COPY, in file order, so their ids follow it; the tally of the new lines is
// added to the poll's counts, a new label's first line found by its number among the poll's lines.
void TPostgresStore::AppendImported(std::int64_t poll, std::string_view text, std::size_t skip, std::int64_t lines,
                                    std::int64_t& added) {
    TCopyWriter rows;
    const std::vector<TImportedTally> tally =
        ImportLines(text, skip, lines, [&](const TAnswerFields& fields, std::string_view raw) {
            rows.BeginRow(5);
            rows.Int8(poll);
            rows.Field(fields.stamp);
            rows.Field(fields.address);
            rows.Field(fields.answer);
            if (raw.empty())
                rows.Null();
            else
                rows.Field(raw);
            ++added;
        });
    TCopyWriter counts;
    for (const TImportedTally& entry : tally) {
        counts.BeginRow(3);
        counts.Field(entry.label);
        counts.Int8(entry.count);
        counts.Int8(entry.firstLine);
    }
    connection_.CopyIn("COPY tallyhouse.answers (poll, stamp, address, answer, line) FROM STDIN (FORMAT binary)",
                       std::move(rows).Finish());
    connection_.Script("CREATE TEMPORARY TABLE imported_tally (label bytea, count bigint, first_line bigint) ON COMMIT DROP");
    connection_.CopyIn("COPY imported_tally FROM STDIN (FORMAT binary)", std::move(counts).Finish());
    // Planned without the table's size, the join to the lines' numbers would compare every pair.
    connection_.Script("ANALYZE imported_tally");
    const std::string pollId = Int8Bytes(poll);
    connection_.Run(
        "INSERT INTO tallyhouse.tallies AS t (poll, label_hash, label, count, first_answer) "
        "SELECT $1::bigint, sha256(i.label), i.label, i.count, n.id FROM imported_tally i "
        "JOIN (SELECT id, row_number() OVER (ORDER BY id) AS line FROM tallyhouse.answers WHERE poll = $1::bigint) n "
        "ON n.line = i.first_line "
        "ON CONFLICT (poll, label_hash) DO UPDATE SET count = t.count + excluded.count",
        {pollId});
    const std::string addedLines = Int8Bytes(added);
    connection_.Run("UPDATE tallyhouse.polls SET answers = answers + $2::bigint WHERE id = $1::bigint", {pollId, addedLines});
}

}  // namespace tallyhouse::app
