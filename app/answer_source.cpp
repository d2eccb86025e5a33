#include "app/answer_source.h"

#include "app/request_refusal.h"
#include "engine/client/site_checks.h"
#include "engine/core/http_engine.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

// Headers quoted in the log are cut short: they are the visitor's to make as long as they like.
std::string Quoted(const std::string& header) { return "'" + header.substr(0, 200) + "'"; }

}  // namespace

void RefuseAnswerSource(const TOperatorSettings& settings) {
    if (settings.AnswerPostOnly) {
        const std::string method = HttpGetVariable("REQUEST METHOD");
        if (UpperCase(method) != "POST") {
            ERequestRefused refused("405 Method Not Allowed",
                                    "Answers are taken only from forms sent with the method POST: nothing was recorded !",
                                    "Answers refused: sent with the method " + Quoted(method) + ", not POST");
            refused.Headers.emplace_back("Allow", "POST");
            throw refused;
        }
    }
    if (settings.AnswerOrigins.empty()) return;
    const std::string origin = HttpGetVariable("HTTP ORIGIN");
    const std::string referer = HttpGetVariable("HTTP REFERER");
    if (!FromListedSite(origin, referer, settings.AnswerOrigins))
        throw ERequestRefused("403 Forbidden", "Answers are taken only from this site's own pages: nothing was recorded !",
                              "Answers refused: not from a listed site (Origin " + Quoted(origin) + ", Referer " +
                                  Quoted(referer) + ")");
}

}  // namespace tallyhouse::app
