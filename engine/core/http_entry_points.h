// The engine entry points that the utility routines (field conversion, template filter, image
// output) call, handed over by the engine unit so those routines never name an engine.
#pragma once

#include <cstdint>
#include <string>

namespace tallyhouse::engine {

struct THttpEntryPoints {
    void (*Write)(const std::string& S);
    void (*WriteLn)(const std::string& S);
    void (*WriteBuffer)(const void* Buffer, int Count);
    int (*ReadClient)(void* Buffer, int Count);
    void (*WriteHeader)(const std::string& Name, const std::string& Value);
    std::string (*GetVariable)(const std::string& Name);
    std::string (*GetField)(const std::string& Name, const std::string& Default);
    std::string (*GetQueryString)();
    std::string (*GetHttpCookie)();
    std::string (*GetExecutablePath)();
    std::string (*GetUserAgent)();
    void (*SetImageKind)(std::uint8_t Kind);
};

// The table, filled with the engine unit's free-standing routines at constant initialisation.
extern const THttpEntryPoints HttpEntryPoints;

}  // namespace tallyhouse::engine
