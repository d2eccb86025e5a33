// One answer line of a poll file and how it joins the text already in the file.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace tallyhouse::app {

// The local date in the time locale's short format, a blank and its long time format (in the
// C or POSIX locale "2026-12-08 14:07:09"); at exactly midnight the date alone.
std::string AnswerTimeStamp(const std::tm& local);

// time stamp "," client address "," answer. An answer that holds a comma (or starts with a
// double quote) is written as one quoted field, cut between characters where the line would
// be longer than a poll file's line is read; any other answer as it came.
std::string AnswerLine(std::string_view stamp, std::string_view remoteAddr, std::string_view answer);

// The three fields of a line read as the program writes them: the answer is the quoted field
// at the line's end or else the text after its last comma, the address the text back to the
// comma before that, the time stamp the rest. For every line the program wrote, AnswerLine of
// the fields gives the line again; for any other line they are only the best reading.
struct TAnswerFields {
    std::string stamp;
    std::string address;
    std::string answer;
};
TAnswerFields AnswerFieldsOf(std::string_view line);

// The bytes that go after a file's existing text when lines (joined by CR LF) are added: the
// lines and CR LF after an empty text or one that ends with a line break, else CR LF and the
// lines.
std::string AppendedBytes(bool textEndsInsideLine, std::string_view line);

}  // namespace tallyhouse::app
