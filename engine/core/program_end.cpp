#include "engine/core/program_end.h"

#include <cstdio>

void EndProgram() {
    std::fflush(nullptr);
    throw TProgramEnd{};
}
