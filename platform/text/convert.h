// Text to number conversions with the runtime's messages.
#pragma once

#include <string>

namespace tallyhouse::platform {

// Decimal integer with optional leading blanks and sign, or "$" / "0x" hexadecimal;
// anything else raises EConvertError "'<text>' ist kein g\xFCltiger Integerwert" (Latin-1).
int StrToInt(const std::string& text);
// The same conversion, with Fallback for any text StrToInt refuses.
int StrToIntOr(const std::string& text, int fallback);

}  // namespace tallyhouse::platform
