// Answers kept in a PostgreSQL database (app/store/pg_schema.h), which several web hosts share:
// an answer is appended (its line and a pending count) without waiting for other answers, a view
// counts the poll's kept and pending counts together, and a poll's identity is the database's
// count of its lines and the id of its last one, the same on every host.
#pragma once

#include <unordered_map>

#include "app/store/answer_store.h"
#include "app/store/pg_connection.h"

namespace tallyhouse::app {

enum class TImportResult { Imported, Unchanged, Differs };

class TPostgresStore : public TAnswerStore {
public:
    // conninfo is a libpq connection string or URI; folder (ending with "/") holds the key file.
    TPostgresStore(std::string conninfo, std::string folder);

    TAddResult AddAnswers(const TAddRequest& request) override;
    std::optional<std::string> PollIdentity(const std::string& name) override;
    std::optional<TCountedPoll> CountPoll(const std::string& name) override;
    bool ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) override;
    // Kept in the database, so every host signs visitor ids and keys one-answer notes alike.
    const TInstallationSecret& Secret() override;

    // Copies a poll file's text into the poll of that name, in one transaction. A poll the
    // database does not have yet gets every line; a poll whose lines in the database are the
    // start of the text (ending with a line break) gets the rest; a poll holding exactly the
    // text is left alone (Unchanged), and so is one that holds anything else (Differs). The
    // number of lines added goes to added.
    TImportResult ImportPoll(const std::string& name, std::string_view text, std::int64_t& added);

private:
    struct TLockedPoll {
        std::int64_t id = 0;
        std::int64_t lines = 0;
        bool created = false;
    };
    // The poll, locked for this transaction; made when missing.
    TLockedPoll LockPoll(const std::string& name);
    // Records a request's one answer by the short way; false, with nothing recorded, when its
    // poll is missing or closed.
    bool AddOneAnswer(const TNewAnswer& answer);
    std::optional<std::int64_t> PollId(const std::string& name);
    // The one row query gives for the poll's id (as a binary parameter); none without the poll.
    std::optional<TPgResult> PollRow(const std::string& name, const std::function<TPgResult(const std::string& id)>& query);
    std::string Identity(const TPgResult& poll) const;
    void AppendImported(std::int64_t poll, std::string_view text, std::size_t skip, std::int64_t lines,
                        std::int64_t& added);
    std::string Export(std::int64_t poll);
    void ExportRows(std::int64_t poll, const std::function<void(std::string_view)>& onPiece);

    TPgConnection connection_;
    std::string folder_;
    std::string storeId_;
    std::unordered_map<std::string, std::int64_t> pollIds_;
    std::optional<TInstallationSecret> secret_;
};

}  // namespace tallyhouse::app
