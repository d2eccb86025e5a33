#include "engine/core/random_number.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>

namespace tallyhouse::engine {

int RandomNumber(int limit) {
    if (limit <= 0) return 0;
    static std::mutex lock;
    // A small generator: a CGI process draws one or two numbers, and seeding a large one would
    // cost more than the rest of its start.
    static std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count() ^ (static_cast<long long>(getpid()) << 16)));
    std::lock_guard<std::mutex> guard(lock);
    return std::uniform_int_distribution<int>(0, limit - 1)(generator);
}

std::string NewRequestId() {
    char id[8];
    std::snprintf(id, sizeof id, "%04X", static_cast<unsigned>(RandomNumber(65535)));
    return id;
}

}  // namespace tallyhouse::engine
