#include "app/hauptseite.h"

#include "app/chart_key.h"
#include "app/failure_answer.h"
#include "app/pages.h"
#include "app/store/store_choice.h"
#include "app/tally_data.h"
#include "engine/settings/operator_settings.h"
#include "image/response/http_stream.h"
#include "platform/os/system_module.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace tallyhouse::image;

THauptseite::THauptseite() {
    ApplyStoredSettings();
    StartEngine();
}

THauptseite::~THauptseite() = default;

void THauptseite::ApplyStoredSettings() {
    HTTP.SetAutoContentType("text/html");
    HTTP.SetAutoReadLimit(10000);
    HTTP.SetBufferedOutput(false);
    HTTP.SetCGIMode(NormalMode);
    HTTP.SetCgiAutoTerminate(true);
    HTTP.SetSessionName("DefaultSession");
    HTTP.SetNoCache(false);
    HTTP.SetOnExecRequest([this](THttpEngine& Sender) { HTTPExecRequest(Sender); });
    HTTP.SetOnFirstExecRequest([this](THttpEngine& Sender) { HTTPFirstExecRequest(Sender); });
    HTTP.SetOnRequestError(
        [this](THttpEngine& Sender, const std::exception& ErrorReason) { HTTPRequestError(Sender, ErrorReason); });
    httpMessage.SetText(MessagePageTemplate());
    httpMessage.OnHttpEntry = [this](const std::string& EntryName, bool& Handled) {
        httpMessageHttpEntry(EntryName, Handled);
    };
    httphilfe.SetText(HelpPageTemplate());
    httphilfe.OnHttpEntry = [this](const std::string& EntryName, bool& Handled) {
        httphilfeHttpEntry(EntryName, Handled);
    };
}

// The components are set: the facade picks and runs the engine; under a web server it serves
// the request (and with CgiAutoTerminate ends the process) before returning.
void THauptseite::StartEngine() { HTTP.Loaded(); }

void THauptseite::HTTPFirstExecRequest(THttpEngine&) { Pfad = ModuleFolder() + "/"; }

// A bad setting fails every request, so the operator learns of it at once. The store is opened
// with the first request that the settings let through.
void THauptseite::HTTPExecRequest(THttpEngine&) {
    const TOperatorSettings& settings = OperatorSettings();
    if (!store_) store_ = OpenAnswerStore(Pfad, settings.Database);
    Gesperrt = false;
    const std::string command = HttpGetField("command", "");
    if (command.empty()) httphilfe.Execute();
    if (command == "view") AnswerView();
    if (command == "add") AnswerAdd();
}

// A view answer (the chart, or the tally as data) carries the entity tag of its key. An
// unchanged answer is given from the cache, or with 304 when the client has it already; the
// tally and the parameters are checked before a 304 that the cache cannot vouch for.
void THauptseite::AnswerView() {
    const std::optional<TViewFormat> format = ViewFormatOf(HttpGetFieldValues("format"));
    if (!format) {
        SendRefusal(kBadRequest, kFormatMessage);
        return;
    }
    viewFormat_ = *format;
    const std::optional<std::string> pollKey = RequestedPollKey();
    const std::optional<std::string> key = pollKey ? std::optional(ChartKey(*pollKey)) : std::nullopt;
    if (key && AnswerFromCache(*key)) return;
    if (!datenzuordnen()) return;
    TCachedAnswer answer{std::string(ContentTypeOf(viewFormat_)), ViewBody(), {}};
    // A poll that changed while it was read is answered without a tag and kept nowhere. The
    // rest of the key is this request's, so equal poll keys give the same chart key.
    const bool tagged = pollKey && !countedPollKey_.empty() && countedPollKey_ == *pollKey;
    const std::string tag = tagged ? EntityTag(*key) : std::string();
    if (tagged && AnswerNotModified(tag)) return;
    if (tagged) HttpWriteHeader("ETag", tag);
    SendViewAnswer(answer);
    if (!tagged) return;
    answer.tag = tag;
    chartCache_.Store(*key, std::move(answer));
}

std::string THauptseite::ViewBody() {
    if (!IsChartFormat(viewFormat_)) return TallyData(viewFormat_, Dateiname, answerTotal_, Daten);
    grafikerstellen();
    return Ausgabegrafik.ChartBytes();
}

// A GIF goes out as every chart always has; data gets its own content type.
void THauptseite::SendViewAnswer(const TCachedAnswer& answer) {
    if (answer.contentType == ContentTypeOf(TViewFormat::Gif)) {
        THttpChart::SendGif(answer.body);
        return;
    }
    HttpWriteHeader("content-type", answer.contentType);
    HttpEndHeader();
    THttpStream().Write(reinterpret_cast<const std::uint8_t*>(answer.body.data()), answer.body.size());
}

std::optional<std::string> THauptseite::RequestedPollKey() {
    return PollKey(HttpGetField("filename", "testdeutsch"), *store_);
}

bool THauptseite::AnswerFromCache(const std::string& key) {
    const TCachedAnswer* answer = chartCache_.Find(key);
    if (!answer) return false;
    if (AnswerNotModified(answer->tag)) return true;
    HttpWriteHeader("ETag", answer->tag);
    SendViewAnswer(*answer);
    return true;
}

bool THauptseite::AnswerNotModified(const std::string& tag) {
    if (!IfNoneMatchHas(HttpGetVariable("HTTP IF NONE MATCH"), tag)) return false;
    HttpSetStatus("304 Not Modified");
    HttpWriteHeader("ETag", tag);
    HttpEndHeader();
    return true;
}

// A failure's page is sent outside the turn the engine gives the application's handlers, so the
// message and its page are guarded by a lock of their own.
void THauptseite::SendMessage(std::string_view message) {
    const std::lock_guard<std::mutex> guard(messageLock_);
    Meldung = message;
    httpMessage.Execute();
}

void THauptseite::SendRefusal(const std::string& status, std::string_view message,
                              const std::vector<std::pair<std::string, std::string>>& headers) {
    HttpSetStatus(status);
    for (const auto& [name, value] : headers) HttpWriteHeader(name, value);
    SendMessage(message);
}

void THauptseite::HTTPRequestError(THttpEngine& Sender, const std::exception& ErrorReason) {
    Sender.LogError("Unhandled exception : " + std::string(ErrorReason.what()));
    const TFailureAnswer answer = FailureAnswerOf(ErrorReason);
    if (answer.Page.empty() || HttpResponseStarted()) return;
    SendRefusal(answer.Status, answer.Page, answer.Headers);
}

void THauptseite::httpMessageHttpEntry(const std::string& EntryName, bool&) {
    if (EntryName == "message") HttpWrite(Meldung);
}

void THauptseite::httphilfeHttpEntry(const std::string& EntryName, bool&) {
    if (EntryName == "version") HttpWrite(std::string(kVersionText));
}

}  // namespace tallyhouse::app
