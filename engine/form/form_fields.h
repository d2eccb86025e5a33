// The fields of a form-data string (URL-encoded name=value pairs joined by "&"), decoded once
// per request into a table that every field lookup of the request reads.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallyhouse::engine {

class TFormFields {
public:
    TFormFields() = default;
    explicit TFormFields(std::string_view formData);

    // The decoded value of the field Name (matched without regard to letter case and
    // surrounding blanks); further fields of that name follow, each after CR LF. Default when
    // there is none.
    std::string Find(std::string_view name, const std::string& defaultValue) const;
    // Each decoded value of the field Name by itself, in order; none when there is none.
    std::vector<std::string> Values(std::string_view name) const;
    // The decoded field names in order, letter case kept; a name repeating the one just before
    // is dropped.
    const std::vector<std::string>& Names() const { return names_; }

private:
    void DecodeValues(std::string_view formData);
    void DecodeNames(std::string_view formData);

    std::unordered_map<std::string, std::vector<std::string>> values_;  // by upper-cased, trimmed name
    std::vector<std::string> names_;
};

// One-off lookups in a form-data string, for callers that hold no table.
std::string FindField(std::string_view formData, std::string_view name, const std::string& defaultValue);
std::vector<std::string> FieldNames(std::string_view formData);
// The values of one field as a field lookup answers them: joined by CR LF.
std::string JoinFieldValues(const std::vector<std::string>& values);

}  // namespace tallyhouse::engine
