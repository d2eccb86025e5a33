#include "app/failure_answer.h"

#include "app/pages.h"
#include "app/poll_answers.h"
#include "app/poll_count.h"
#include "app/poll_file.h"
#include "app/request_refusal.h"
#include "app/store/store_errors.h"
#include "chart/model/chart_exception.h"
#include "engine/core/html_escape.h"
#include "engine/settings/operator_settings.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace tallyhouse::chart;

namespace {

constexpr char kServerError[] = "500 Internal Server Error";

// The message made safe for the page: markup escaped, control bytes (quoted from the request)
// shown as blanks.
std::string PageText(const char* message) {
    std::string text = HtmlEscape(message);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) c = ' ';
    return text;
}

}  // namespace

TFailureAnswer FailureAnswerOf(const std::exception& failure) {
    if (const auto* refused = dynamic_cast<const ERequestRefused*>(&failure)) return {refused->Status, refused->Page, refused->Headers};
    if (dynamic_cast<const EClientGone*>(&failure)) return {};
    if (dynamic_cast<const EPollFolderFull*>(&failure)) return {kForbidden, std::string(kPollFolderFullMessage), {}};
    // Nothing is written before a poll file is locked, so the page can still say why.
    if (dynamic_cast<const EPollBusy*>(&failure)) return {"503 Service Unavailable", std::string(kBusyMessage), {}};
    // The database confirmed nothing: nothing is called saved, and the visitor may try again.
    if (dynamic_cast<const EStoreUnavailable*>(&failure))
        return {"503 Service Unavailable", std::string(kStoreUnavailableMessage), {}};
    // The request's own fields were wrong: the message quotes them back, made safe for HTML.
    if (dynamic_cast<const EAnswersRefused*>(&failure) || dynamic_cast<const EConvertError*>(&failure) ||
        dynamic_cast<const ChartException*>(&failure))
        return {kBadRequest, PageText(failure.what()), {}};
    if (dynamic_cast<const ESettingsError*>(&failure))
        return {kServerError, "The poll program is not set up correctly; its log names the setting to mend.", {}};
    return {kServerError, "The request could not be completed: the server failed. Its log says why.", {}};
}

}  // namespace tallyhouse::app
