#include "engine/core/program_end.h"

#include <cstdio>

namespace tallyhouse::engine {

void EndProgram(int exitCode) {
    std::fflush(nullptr);
    throw TProgramEnd{exitCode};
}

}  // namespace tallyhouse::engine
