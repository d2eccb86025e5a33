// The cookie component's rename rule.
#include "engine/core/http_cookie.h"

#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

void THttpCookie::SetName(const std::string& NewName) {
    name_ = NewName;
    if (designTime_ && CookieName.empty())
        CookieName = NewName;
    else if (UpperCase(CookieName) == UpperCase(previousName_))
        CookieName = NewName;
    previousName_ = NewName;
}

}  // namespace tallyhouse::engine
