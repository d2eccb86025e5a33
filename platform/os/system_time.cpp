#include "platform/os/system_time.h"

#include <clocale>
#include <cstdio>
#include <mutex>

namespace tallyhouse::platform {

void UseHostTimeLocale() {
    static std::once_flag locale;
    std::call_once(locale, [] { std::setlocale(LC_TIME, ""); });
}

namespace {

std::tm LocalTime(std::time_t moment) {
    UseHostTimeLocale();
    std::tm parts{};
    localtime_r(&moment, &parts);
    return parts;
}

std::string Format(const char* pattern, const std::tm& parts) {
    char text[128];
    const size_t n = std::strftime(text, sizeof text, pattern, &parts);
    return std::string(text, n);
}

}  // namespace

std::string HttpDate(std::time_t moment) {
    static const char days[] = "SunMonTueWedThuFriSat";
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    std::tm utc{};
    gmtime_r(&moment, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%.3s, %02d %.3s %04d %02d:%02d:%02d GMT", days + 3 * utc.tm_wday,
                  utc.tm_mday, months + 3 * utc.tm_mon, utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

std::string ShortDateString(std::time_t moment) { return Format("%x", LocalTime(moment)); }

std::string LongTimeString(std::time_t moment) { return Format("%X", LocalTime(moment)); }

std::string DateTimeString(std::time_t moment) { return Format("%x %X", LocalTime(moment)); }

int SecondsSinceMidnight(std::time_t moment) {
    const std::tm parts = LocalTime(moment);
    return parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
}

}  // namespace tallyhouse::platform
