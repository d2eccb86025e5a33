#include "app/one_answer.h"

#include <algorithm>

#include "app/answer_record.h"
#include "engine/core/engine_log.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

void LogRepeats(const std::string& poll, std::uint64_t repeats) {
    if (repeats == 0) return;
    LogEngineMessage("One answer per visitor: " + std::to_string(repeats) + " repeat answer" + (repeats == 1 ? "" : "s") +
                     " to " + poll + " not recorded since the last line about it");
}

TOneAnswerRule::TOneAnswerRule(std::vector<std::uint64_t> keys, int windowHours, std::time_t now)
    : keys_(std::move(keys)), windowSeconds_(std::int64_t{windowHours} * 3600), now_(now) {}

TOneAnswerRule::~TOneAnswerRule() = default;

bool TOneAnswerRule::MayAnswer(const std::string& pollPath) {
    record_.reset();
    if (keys_.empty()) return true;
    record_ = std::make_unique<TAnswerRecord>(pollPath);
    const bool answered = std::any_of(keys_.begin(), keys_.end(), [this](std::uint64_t key) {
        return record_->Answered(key, now_, windowSeconds_);
    });
    if (!answered) return true;
    LogRepeats(FileName(pollPath), record_->CountRepeat(now_));
    record_.reset();
    return false;
}

void TOneAnswerRule::Answered() {
    if (!record_) return;
    for (const std::uint64_t key : keys_) record_->Note(key, now_);
    record_.reset();
}

}  // namespace tallyhouse::app
