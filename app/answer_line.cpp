#include "app/answer_line.h"

namespace {

std::string Format(const char* pattern, const std::tm& local) {
    char text[128];
    const size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

}  // namespace

std::string AnswerTimeStamp(const std::tm& local) {
    const std::string date = Format("%x", local);
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) return date;
    return date + " " + Format("%X", local);
}

std::string AnswerLine(const std::tm& local, std::string_view remoteAddr, std::string_view answer) {
    std::string line = AnswerTimeStamp(local);
    line += ',';
    line += remoteAddr;
    line += ',';
    line += answer;
    return line;
}

std::string AppendedBytes(bool textEndsInsideLine, std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    if (textEndsInsideLine) bytes += "\r\n";
    bytes += line;
    if (!textEndsInsideLine) bytes += "\r\n";
    return bytes;
}
