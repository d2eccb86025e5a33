#include "app/poll_name.h"

namespace tallyhouse::app {

bool IsPollFieldName(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot);
    if (extension.find_first_of("\\:") != std::string_view::npos) return false;
    return extension == ".pol";
}

bool IsSafeFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsChartablePoll(std::string_view name) { return IsPollFieldName(name) && IsSafeFileName(name); }

}  // namespace tallyhouse::app
