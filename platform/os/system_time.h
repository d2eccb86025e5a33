// Clock readings formatted the ways responses, pages and log lines need them.
#pragma once

#include <ctime>
#include <string>

namespace tallyhouse::platform {

// Takes the host's locale for dates and times, once per process: only requests that write a date
// pay for reading it.
void UseHostTimeLocale();
// "Sun, 05 Mar 2023 14:07:09 GMT" for the given moment, in UTC.
std::string HttpDate(std::time_t moment);
// The host's short date and long time formats (strftime %x and %X in the host's locale).
std::string ShortDateString(std::time_t moment);
std::string LongTimeString(std::time_t moment);
// Short date, a blank, long time.
std::string DateTimeString(std::time_t moment);
// Whole seconds since local midnight.
int SecondsSinceMidnight(std::time_t moment);

}  // namespace tallyhouse::platform
