#include "app/pages.h"

#include "engine/core/html_escape.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

std::string NotFoundMessage(std::string_view pollName) {
    return "Pollfile \"" + HtmlEscape(pollName) + "\"not found !";
}

std::string RedirectPage(std::string_view backurl) {
    return std::string("<html><head><title>Brightloom TALLYHOUSE</title>") +
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">" +
           "<meta http-equiv=\"REFRESH\" content=\"0;URL=" + HtmlEscape(backurl) + "\">" +
           "</head><body></body></html>";
}

std::string OnwardLink(std::string_view backurl) { return "<br><a href=\"" + HtmlEscape(backurl) + "\">Continue</a>"; }

}  // namespace tallyhouse::app
