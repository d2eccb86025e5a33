// Field lookup in a form-data string (URL-encoded name=value pairs joined by "&").
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The decoded value of the field Name (matched without regard to letter case and surrounding
// blanks); further fields of that name follow, each after CR LF. Default when there is none.
std::string FindField(std::string_view formData, std::string_view name, const std::string& defaultValue);
// The decoded field names in order, letter case kept; a name repeating the one just before is dropped.
std::vector<std::string> FieldNames(std::string_view formData);
// Delphi's UpperCase and Trim: ASCII letters only, and every character up to the blank.
std::string UpperCase(std::string_view s);
std::string Trim(std::string_view s);
