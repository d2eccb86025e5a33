#include "app/answer_line.h"

#include <clocale>

#include "app/quoted_answer.h"
#include "platform/os/system_time.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

std::string Format(const char* pattern, const std::tm& local) {
    char text[128];
    const size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

// Web servers run the program without a locale, and the C locale's date (12/09/26) puts the
// month first and drops the century; such a stamp is written in ISO 8601 instead.
bool PlainTimeLocale() {
    UseHostTimeLocale();
    const char* name = std::setlocale(LC_TIME, nullptr);
    const std::string_view locale = name ? name : "C";
    return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

}  // namespace

std::string AnswerTimeStamp(const std::tm& local) {
    const bool plain = PlainTimeLocale();
    const std::string date = Format(plain ? "%Y-%m-%d" : "%x", local);
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) return date;
    return date + " " + Format(plain ? "%H:%M:%S" : "%X", local);
}

std::string AnswerLine(std::string_view stamp, std::string_view remoteAddr, std::string_view answer) {
    std::string line(stamp);
    line += ',';
    line += remoteAddr;
    line += ',';
    if (!NeedsQuoting(answer)) {
        line += answer;
        return line;
    }
    // The quoted field must lie within the part of the line that is read, or the answer would
    // be read by the comma rule.
    const std::size_t room = kAnswerLineBytes > line.size() ? kAnswerLineBytes - line.size() : 0;
    const std::string_view fitting = FittingAnswer(answer, room);
    line += NeedsQuoting(fitting) ? QuotedAnswer(fitting) : std::string(fitting);
    return line;
}

TAnswerFields AnswerFieldsOf(std::string_view line) {
    TAnswerFields fields;
    std::size_t answerComma = line.rfind(',');
    if (std::optional<std::string> quoted = QuotedAnswerAtEnd(line)) {
        answerComma = line.size() - QuotedAnswer(*quoted).size() - 1;
        fields.answer = std::move(*quoted);
    } else if (answerComma != std::string_view::npos) {
        fields.answer = line.substr(answerComma + 1);
    }
    if (answerComma == std::string_view::npos) {
        fields.answer = line;
        return fields;
    }
    const std::string_view before = line.substr(0, answerComma);
    const std::size_t addressComma = before.rfind(',');
    if (addressComma == std::string_view::npos) {
        fields.address = before;
        return fields;
    }
    fields.stamp = before.substr(0, addressComma);
    fields.address = before.substr(addressComma + 1);
    return fields;
}

std::string AppendedBytes(bool textEndsInsideLine, std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    if (textEndsInsideLine) bytes += "\r\n";
    bytes += line;
    if (!textEndsInsideLine) bytes += "\r\n";
    return bytes;
}

}  // namespace tallyhouse::app
