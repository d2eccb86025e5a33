// Fuzzes the reading of the operator's settings: the input is split at NUL bytes into the
// values of the settings in their listed order. Reading succeeds or raises ESettingsError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings/operator_settings.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> values(1);
    for (const char c : input) {
        if (c == '\0')
            values.emplace_back();
        else
            values.back() += c;
    }
    try {
        ReadOperatorSettings([&](const std::string& name) {
            const std::vector<TSettingDescription>& all = SettingDescriptions();
            for (size_t i = 0; i < all.size() && i < values.size(); ++i)
                if (name == all[i].Name) return values[i];
            return std::string();
        });
    } catch (const ESettingsError&) {
        // A bad value is refused with its reason; that is the outcome wanted.
    }
    return 0;
}
