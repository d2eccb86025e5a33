#include "engine/core/program_end.h"

#include <cstdio>

void EndProgram(int exitCode) {
    std::fflush(nullptr);
    throw TProgramEnd{exitCode};
}
