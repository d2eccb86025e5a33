// How the program ends once a CGI request is answered or handed over: by unwinding to main,
// so that every destructor runs and no thread is cut off inside engine code.
#pragma once

namespace tallyhouse::engine {

// Thrown only by EndProgram and caught only by main; it is no std::exception, so the
// per-request handlers that catch failures let it pass.
struct TProgramEnd {
    int exitCode = 0;
};

// Flushes the C streams and unwinds to main, which returns the exit code.
[[noreturn]] void EndProgram(int exitCode = 0);

}  // namespace tallyhouse::engine
