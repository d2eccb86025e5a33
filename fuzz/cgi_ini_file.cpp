// Fuzzes the request-file reader: arbitrary bytes parsed, then every key of every section read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/wincgi/cgi_ini_file.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TCGIIniFile ini = TCGIIniFile::FromText(std::string(reinterpret_cast<const char*>(data), size));
    if (ini.Sections().size() > TCGIIniFile::SectionLimit) std::abort();
    for (const std::string& name : ini.Sections())
        for (const auto& [key, value] : *ini.Section(name))
            if (ini.ReadString(name, key, "#") != value || value.size() > TCGIIniFile::LineLimit) std::abort();
    return 0;
}
