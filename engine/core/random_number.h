// The engine's random numbers (request numbers, upload names), seeded from the clock.
#pragma once

#include <string>

namespace tallyhouse::engine {

// A number in 0 .. limit-1 (0 when limit <= 0); safe to call from several threads.
int RandomNumber(int limit);
// Four upper-case hexadecimal digits of a random number 0..65534, naming a request's files.
std::string NewRequestId();

}  // namespace tallyhouse::engine
