// A cookie of the web application: its name, domain, path, whether it goes over secure
// connections only and whether its value is kept coded. The engine makes one per request as
// the session cookie; nothing in this program sends or parses cookies.
#pragma once

#include <string>

namespace tallyhouse::engine {

class THttpCookie {
public:
    // At design time a cookie dropped onto a form takes its component name as CookieName.
    explicit THttpCookie(bool designTime = false) : designTime_(designTime) {}

    std::string CookieName;
    std::string Domain;
    std::string Path;
    bool Secure = false;
    bool Coded = false;
    int CodeKey = 0;

    const std::string& Name() const { return name_; }
    // Renames the component; a CookieName that still is the old name follows the rename.
    void SetName(const std::string& NewName);

private:
    bool designTime_;
    std::string name_;
    std::string previousName_;
};

// The key of the session cookie's coding.
inline constexpr int SessionCookieCodeKey = 371;

}  // namespace tallyhouse::engine
