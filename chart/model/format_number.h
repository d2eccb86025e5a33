// Number formatting with patterns such as "#,##0.###" and "##0.## %" ("." decimal, "," thousands).
#pragma once

#include <string>

namespace tallyhouse::chart {

std::string FormatNumber(const std::string& format, double value);

}  // namespace tallyhouse::chart
