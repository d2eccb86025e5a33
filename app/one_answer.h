// The one-answer rule for the polls of one add request: under each poll's lock, whether the
// visitor answered it before (within the operator's window), and noting the answer once its
// line is in. Two requests of one visitor at the same moment thus record one answer, whichever
// processes, workers or threads serve them.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace tallyhouse::app {

class TAnswerRecord;

// The log line of repeat answers to a poll that were not recorded (none for 0).
void LogRepeats(const std::string& poll, std::uint64_t repeats);

class TOneAnswerRule {
public:
    // No keys: every visitor may answer (the rule is off). A window of 0 hours: once ever.
    TOneAnswerRule(std::vector<std::uint64_t> keys, int windowHours, std::time_t now);
    ~TOneAnswerRule();
    TOneAnswerRule(const TOneAnswerRule&) = delete;
    TOneAnswerRule& operator=(const TOneAnswerRule&) = delete;

    // With the poll file's lock held: true when the visitor may answer the poll. A repeat is
    // counted in the poll's record, and logged at most once a minute per poll.
    bool MayAnswer(const std::string& pollPath);
    // With the same lock still held, after the answer's line was written.
    void Answered();

private:
    std::vector<std::uint64_t> keys_;
    std::int64_t windowSeconds_;
    std::int64_t now_;
    std::unique_ptr<TAnswerRecord> record_;
};

}  // namespace tallyhouse::app
