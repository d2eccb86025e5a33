// Letter case and blanks as the engine and the poll application compare text: ASCII letters
// only, so Latin-1 bytes above 127 stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::platform {

// Delphi's UpperCase and Trim: ASCII letters only, and every character up to the blank.
std::string UpperCase(std::string_view s);
std::string Trim(std::string_view s);
// The text without the spaces and tabs around it (the blanks a header may put around a value).
std::string_view StripBlanks(std::string_view text);
// True when Text begins with Prefix, ASCII letters compared without regard to case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace tallyhouse::platform
