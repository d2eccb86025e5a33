// What the program tells a person who starts it by hand: "--help" and "--version" print and end
// the program, and a start from a terminal without any CGI environment or parameter says how
// the program is meant to be run, instead of waiting silently as a resident server.
#pragma once

#include <optional>

namespace tallyhouse::app {

// The exit code when the start was one of those (the text is printed already); none otherwise.
std::optional<int> AnswerCommandLine();

}  // namespace tallyhouse::app
