#include "app/failure_answer.h"

#include "app/poll_answers.h"
#include "app/request_refusal.h"
#include "chart/model/chart_exception.h"
#include "engine/core/html_escape.h"
#include "engine/settings/operator_settings.h"

namespace {

constexpr char kBadRequest[] = "400 Bad Request";
constexpr char kServerError[] = "500 Internal Server Error";

}  // namespace

TFailureAnswer FailureAnswerOf(const std::exception& failure) {
    if (const auto* refused = dynamic_cast<const ERequestRefused*>(&failure)) return {refused->Status, refused->Page, refused->Headers};
    if (dynamic_cast<const EClientGone*>(&failure)) return {};
    // The request's own fields were wrong: the message quotes them back, made safe for HTML.
    if (dynamic_cast<const EAnswersRefused*>(&failure) || dynamic_cast<const EConvertError*>(&failure) ||
        dynamic_cast<const ChartException*>(&failure))
        return {kBadRequest, HtmlEscape(failure.what()), {}};
    if (dynamic_cast<const ESettingsError*>(&failure))
        return {kServerError, "The poll program is not set up correctly; its log names the setting to mend.", {}};
    return {kServerError, "The request could not be completed: the server failed. Its log says why.", {}};
}
