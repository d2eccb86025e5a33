#include "engine/form/form_fields.h"

#include "engine/form/url_coding.h"

std::string UpperCase(std::string_view s) {
    std::string upper(s);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string Trim(std::string_view s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
    return std::string(s.substr(begin, end - begin));
}

// Pairs run from the current position to the next "=" (the raw name, which may span "&"s
// without "=") and on to the next "&" (the value).
std::string FindField(std::string_view formData, std::string_view name, const std::string& defaultValue) {
    const std::string wanted = Trim(UpperCase(name));
    const std::string data = std::string(formData) + "&";
    std::string value;
    bool found = false;
    size_t at = 0;
    while (at < data.size()) {
        const size_t equals = data.find('=', at);
        if (equals == std::string::npos) break;
        const size_t end = data.find('&', equals + 1);
        if (Trim(UpperCase(UrlDecode(std::string_view(data).substr(at, equals - at)))) == wanted) {
            if (found) value += "\r\n";
            value += UrlDecode(std::string_view(data).substr(equals + 1, end - equals - 1));
            found = true;
        }
        at = end + 1;
    }
    return found ? value : defaultValue;
}

std::vector<std::string> FieldNames(std::string_view formData) {
    std::vector<std::string> names;
    std::string previous;
    bool havePrevious = false;
    size_t at = 0;
    while (at <= formData.size()) {
        size_t end = formData.find('&', at);
        if (end == std::string_view::npos) end = formData.size();
        const std::string_view piece = formData.substr(at, end - at);
        const size_t equals = piece.find('=');
        if (equals != std::string_view::npos) {
            std::string name = UrlDecode(piece.substr(0, equals));
            if (!havePrevious || name != previous) names.push_back(name);
            previous = std::move(name);
            havePrevious = true;
        }
        at = end + 1;
    }
    return names;
}
