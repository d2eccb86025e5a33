// Long texts for tests of limits: a piece written many times over.
#pragma once

#include <string>

namespace testsupport {

inline std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

}  // namespace testsupport
