// Where the poll application keeps its answers: the poll files of the program's folder (the
// default) or a PostgreSQL database shared by several web hosts. The application asks only
// what this interface offers and never learns which of the two answers it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tally.h"

// One answer of an add request, in the fields of its poll-file line.
struct TNewAnswer {
    std::string poll;     // the poll's name, "question1.pol"
    std::string stamp;    // the time stamp, as the line holds it
    std::string address;  // the client's address
    std::string answer;   // the answer as it is recorded (control bytes already blanked)
};

enum class TAddResult { Saved, Locked };

// A poll's tally and the identity of the answers it was counted from (empty when the poll went
// away as it was counted).
struct TCountedPoll {
    Tally tally;
    std::string identity;
};

class TAnswerStore {
public:
    virtual ~TAnswerStore() = default;

    // Records every answer of one request in the order given, or none of them: Locked when one
    // names a poll that does not exist while the key file forbids new polls; EAnswersRefused
    // when the request would create more than kMaxNewPollFiles polls (or a poll's name is taken
    // by something that is no poll); EStoreUnavailable when the store cannot be reached (then
    // nothing was recorded, or the store cannot tell and the visitor is told it failed).
    virtual TAddResult AddAnswers(const std::vector<TNewAnswer>& answers) = 0;

    // What tells this state of the poll's answers from every other: each answer added changes
    // it, in every process that asks. None when there is no such poll.
    virtual std::optional<std::string> PollIdentity(const std::string& name) = 0;

    // The poll's tally, with the identity of the answers it counted; none when there is no such
    // poll.
    virtual std::optional<TCountedPoll> CountPoll(const std::string& name) = 0;

    // Hands on the poll as the bytes of its poll file, piece by piece; false when there is no
    // such poll.
    virtual bool ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) = 0;
};
