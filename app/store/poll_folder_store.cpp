#include "app/store/poll_folder_store.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdint>

#include "app/answer_line.h"
#include "app/one_answer.h"
#include "app/poll_answers.h"
#include "app/poll_count.h"
#include "app/poll_file.h"
#include "app/request_refusal.h"
#include "platform/os/keyed_hash.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

// The answers of one poll, in the order they came, as the lines they are written as.
struct TPollLines {
    std::string name;
    std::string lines;
};

std::vector<TPollLines> LinesByPoll(const std::vector<TNewAnswer>& answers) {
    std::vector<TPollLines> polls;
    for (const TNewAnswer& answer : answers) {
        auto poll = std::find_if(polls.begin(), polls.end(), [&](const TPollLines& p) { return p.name == answer.poll; });
        if (poll == polls.end()) poll = polls.insert(polls.end(), {answer.poll, ""});
        if (!poll->lines.empty()) poll->lines += "\r\n";
        poll->lines += AnswerLine(answer.stamp, answer.address, answer.answer);
    }
    return polls;
}

// Checked before anything is written. A link, folder or device in place of a poll file is
// refused (answers never go through a link); with the key file no poll file is created at all.
void RefuseFilesOfAnswers(const std::vector<TPollLines>& polls, const std::string& folder) {
    for (const TPollLines& poll : polls)
        if (PollFileExists(folder + poll.name) && !IsPlainFile(folder + poll.name))
            throw EAnswersRefused("Answers refused: not a plain poll file: " + poll.name);
    if (PollFileExists(folder + kKeyFileName)) return;
    const auto created = std::count_if(polls.begin(), polls.end(),
                                       [&folder](const TPollLines& poll) { return !PollFileExists(folder + poll.name); });
    if (static_cast<size_t>(created) > kMaxNewPollFiles) throw TooManyNewPolls();
    CheckRoomForPolls(folder, static_cast<size_t>(created));
}

// A closed poll among those named: nothing of the request is recorded.
void RefuseClosedPolls(const std::vector<TPollLines>& polls, const std::string& folder) {
    for (const TPollLines& poll : polls)
        if (IsClosedPollFile(folder + poll.name)) throw ClosedPollRefusal(poll.name);
}

// The key file forbids creating a poll that the request names: then nothing of the request is
// recorded, so a visitor told "locked" has left no answer behind.
bool KeyForbidsAPoll(const std::vector<TPollLines>& polls, const std::string& folder) {
    return PollFileExists(folder + kKeyFileName) &&
           std::any_of(polls.begin(), polls.end(),
                       [&folder](const TPollLines& poll) { return !PollFileExists(folder + poll.name); });
}

std::string Identity(const struct stat& info) {
    std::string text;
    for (const long long n : {static_cast<long long>(info.st_dev), static_cast<long long>(info.st_ino),
                              static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
                              static_cast<long long>(info.st_mtim.tv_nsec)})
        text += std::to_string(n) + ".";
    return text;
}

// The change time also moves with the permissions: a poll made unreadable is not answered
// from a chart drawn while it was readable.
std::string FileIdentity(const struct stat& info) {
    return Identity(info) + std::to_string(info.st_ctim.tv_sec) + "." + std::to_string(info.st_ctim.tv_nsec);
}

// File times move once a clock tick (a few milliseconds, a second or two on some file systems),
// so a poll rewritten to the same size within one tick would keep its identity. While a poll is
// that young, its identity also holds a checksum of its content.
constexpr time_t kRacySeconds = 2;

// Decided once per identity: a view that asks for the identity before and after counting must
// get the same one even when the window ends in between. An identity found old stays old, since
// a rewrite gives the file a time of now.
bool ChangedLately(const struct stat& info, const std::string& identity) {
    thread_local std::string lastIdentity;
    thread_local bool lastYoung = false;
    if (identity == lastIdentity) return lastYoung;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    lastIdentity = identity;
    lastYoung = std::max(info.st_mtim.tv_sec, info.st_ctim.tv_sec) + kRacySeconds >= now.tv_sec;
    return lastYoung;
}

// The same in every process (a fixed key), piece by piece as the poll file is read.
std::string ContentChecksum(const std::string& path) {
    std::uint64_t hash = 0;
    ReadPollFile(path, [&hash](std::string_view piece) { hash = SipHash13(piece, {hash, 0x706f6c6c66696c65ull}); });
    return std::to_string(hash);
}

}  // namespace

// The one-answer rule checks and notes each poll's visitors under the poll file's lock.
TAddResult TPollFolderStore::AddAnswers(const TAddRequest& request) {
    const std::vector<TPollLines> polls = LinesByPoll(request.answers);
    RefuseFilesOfAnswers(polls, folder_);
    RefuseClosedPolls(polls, folder_);
    TAddResult result;
    result.locked = KeyForbidsAPoll(polls, folder_);
    if (result.locked) return result;
    TOneAnswerRule rule(request.visitorKeys, request.windowHours, request.now);
    for (const TPollLines& poll : polls) {
        const std::string path = folder_ + poll.name;
        const TAppendGuard guard{[&] { return rule.MayAnswer(path); }, [&] { rule.Answered(); }};
        const AppendResult appended = AppendAnswer(path, folder_ + kKeyFileName, poll.lines, guard);
        if (appended == AppendResult::Withheld) result.withheld.push_back(poll.name);
        if (appended == AppendResult::Refused) {
            result.locked = true;
            return result;
        }
    }
    return result;
}

const TInstallationSecret& TPollFolderStore::Secret() { return InstallationSecret(folder_); }

std::optional<std::string> TPollFolderStore::PollIdentity(const std::string& name) {
    struct stat info {};
    const std::string path = folder_ + name;
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const std::string identity = "file:" + FileIdentity(info);
    return ChangedLately(info, identity) ? identity + ":" + ContentChecksum(path) : identity;
}

// The identity is taken after the reading: a poll that changed meanwhile has another one than
// the chart key asked for before (or none, when it went away), and its chart is not kept.
std::optional<TCountedPoll> TPollFolderStore::CountPoll(const std::string& name) {
    TallyCounter counter;
    if (!ReadPollFile(folder_ + name, [&](std::string_view piece) { counter.Feed(piece); })) return std::nullopt;
    return TCountedPoll{std::move(counter).Finish(), PollIdentity(name).value_or("")};
}

bool TPollFolderStore::ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) {
    return ReadPollFile(folder_ + name, onPiece);
}

}  // namespace tallyhouse::app
