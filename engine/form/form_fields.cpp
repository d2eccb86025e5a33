#include "engine/form/form_fields.h"

#include "engine/form/url_coding.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

std::string FieldKey(std::string_view name) { return Trim(UpperCase(name)); }

}  // namespace

TFormFields::TFormFields(std::string_view formData) {
    DecodeValues(formData);
    DecodeNames(formData);
}

// Pairs run from the current position to the next "=" (the raw name, which may span "&"s
// without "=") and on to the next "&" (the value).
void TFormFields::DecodeValues(std::string_view formData) {
    size_t at = 0;
    while (at < formData.size()) {
        const size_t equals = formData.find('=', at);
        if (equals == std::string_view::npos) break;
        size_t end = formData.find('&', equals + 1);
        if (end == std::string_view::npos) end = formData.size();
        values_[FieldKey(UrlDecode(formData.substr(at, equals - at)))].push_back(
            UrlDecode(formData.substr(equals + 1, end - equals - 1)));
        at = end + 1;
    }
}

// Names are what stands before the "=" of each "&"-separated piece that has one.
void TFormFields::DecodeNames(std::string_view formData) {
    size_t at = 0;
    while (at <= formData.size()) {
        size_t end = formData.find('&', at);
        if (end == std::string_view::npos) end = formData.size();
        const std::string_view piece = formData.substr(at, end - at);
        const size_t equals = piece.find('=');
        if (equals != std::string_view::npos) {
            std::string name = UrlDecode(piece.substr(0, equals));
            if (names_.empty() || name != names_.back()) names_.push_back(std::move(name));
        }
        at = end + 1;
    }
}

std::string TFormFields::Find(std::string_view name, const std::string& defaultValue) const {
    const auto entry = values_.find(FieldKey(name));
    return entry == values_.end() ? defaultValue : JoinFieldValues(entry->second);
}

std::vector<std::string> TFormFields::Values(std::string_view name) const {
    const auto entry = values_.find(FieldKey(name));
    return entry == values_.end() ? std::vector<std::string>() : entry->second;
}

std::string JoinFieldValues(const std::vector<std::string>& values) {
    std::string value;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) value += "\r\n";
        value += values[i];
    }
    return value;
}

std::string FindField(std::string_view formData, std::string_view name, const std::string& defaultValue) {
    return TFormFields(formData).Find(name, defaultValue);
}

std::vector<std::string> FieldNames(std::string_view formData) { return TFormFields(formData).Names(); }

}  // namespace tallyhouse::engine
