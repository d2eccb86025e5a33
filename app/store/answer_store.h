// Where the poll application keeps its answers: the poll files of the program's folder (the
// default) or a PostgreSQL database shared by several web hosts. The application asks only
// what this interface offers and never learns which of the two answers it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/installation_secret.h"
#include "app/tally.h"

namespace tallyhouse::app {

// One answer of an add request, in the fields of its poll-file line.
struct TNewAnswer {
    std::string poll;     // the poll's name, "question1.pol"
    std::string stamp;    // the time stamp, as the line holds it
    std::string address;  // the client's address
    std::string answer;   // the answer as it is recorded (control bytes already blanked)
};

// One add request: its answers in the order they came, and, for the one-answer rule, the keys of
// the visitor who gave them (none: the rule is off), the window in hours (0: once for the poll's
// life) and the time of the request.
struct TAddRequest {
    std::vector<TNewAnswer> answers;
    std::vector<std::uint64_t> visitorKeys;
    int windowHours = 0;
    std::time_t now = 0;
};

struct TAddResult {
    bool locked = false;                // the key file forbade a new poll: nothing was recorded
    std::vector<std::string> withheld;  // polls the visitor had answered: their answers were not
};

// A poll's tally and the identity of the answers it was counted from (empty when the poll went
// away as it was counted).
struct TCountedPoll {
    Tally tally;
    std::string identity;
};

class TAnswerStore {
public:
    virtual ~TAnswerStore() = default;

    // Records the answers of one request in the order given, each poll's unless the visitor
    // answered that poll before (checked and noted under the poll's lock), and nothing at all
    // when a rule refuses the request: Locked when one names a poll that does not exist while the
    // key file forbids new polls; EAnswersRefused when it would create more than
    // kMaxNewPollFiles polls (or a poll's name is taken by something that is no poll),
    // EPollFolderFull beyond the bound of polls, ERequestRefused for a closed poll;
    // EStoreUnavailable when the store cannot be reached (then nothing was recorded, or the store
    // cannot tell and the visitor is told it failed).
    virtual TAddResult AddAnswers(const TAddRequest& request) = 0;

    // What tells this state of the poll's answers from every other: each answer added changes
    // it, in every process that asks. None when there is no such poll.
    virtual std::optional<std::string> PollIdentity(const std::string& name) = 0;

    // The poll's tally, with the identity of the answers it counted; none when there is no such
    // poll.
    virtual std::optional<TCountedPoll> CountPoll(const std::string& name) = 0;

    // The installation's secret (app/installation_secret.h), the same wherever this store's
    // answers are kept.
    virtual const TInstallationSecret& Secret() = 0;

    // Hands on the poll as the bytes of its poll file, piece by piece; false when there is no
    // such poll.
    virtual bool ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) = 0;
};

}  // namespace tallyhouse::app
