// Fuzzes URL decoding and field lookup: the first byte splits the input into a wanted field
// name and the form data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/form/form_fields.h"
#include "engine/form/url_coding.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = std::min<size_t>(data[0], input.size());
    const std::string name = input.substr(0, split);
    const std::string form = input.substr(split);
    FindField(form, name, "#1NOT_AVAILABLE#1");
    for (const std::string& field : FieldNames(form)) FindField(form, field, "");
    if (UrlDecode(UrlEncode(form)) != form) std::abort();
    return 0;
}
