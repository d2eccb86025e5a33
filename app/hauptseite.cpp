#include "app/hauptseite.h"

#include "app/chart_key.h"
#include "app/pages.h"
#include "app/store/store_choice.h"
#include "app/store/store_errors.h"
#include "app/tally_data.h"
#include "image/response/http_stream.h"
#include "platform/system_module.h"

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

void THauptseite::HTTPFirstExecRequest(THttpEngine&) {
    Pfad = ModuleFolder() + "/";
    store_ = OpenAnswerStore(Pfad);
}

// A store that cannot be reached now fails the request with 503 and a page that says so; an
// add then reports nothing as saved.
void THauptseite::HTTPExecRequest(THttpEngine& Sender) {
    Gesperrt = false;
    const std::string command = HttpGetField("command", "");
    if (command.empty()) httphilfe.Execute();
    try {
        if (command == "view") AnswerView();
        if (command == "add") AnswerAdd();
    } catch (const EStoreUnavailable& failure) {
        Sender.LogError(failure.Message());
        HttpSetStatus("503 Service Unavailable");
        SendMessage(command == "add" ? kAnswersNotSavedMessage : kPollUnavailableMessage);
    }
}

// A view answer (the chart, or the tally as data) carries the entity tag of its key. An
// unchanged answer is given from the cache, or with 304 when the client has it already; the
// tally and the parameters are checked before a 304 that the cache cannot vouch for.
void THauptseite::AnswerView() {
    const std::optional<TViewFormat> format = ViewFormatOf(HttpGetFieldValues("format"));
    if (!format) {
        SendMessage(kFormatMessage);
        return;
    }
    viewFormat_ = *format;
    const std::optional<std::string> key = RequestedChartKey();
    if (key && AnswerFromCache(*key)) return;
    if (!datenzuordnen()) return;
    TCachedAnswer answer{std::string(ContentTypeOf(viewFormat_)), ViewBody()};
    // A poll that changed while it was read is answered without a tag and kept nowhere.
    const bool tagged = key && !countedPollKey_.empty() && ChartKey(countedPollKey_) == key;
    const std::string tag = tagged ? EntityTag(*key) : std::string();
    if (tagged && AnswerNotModified(tag)) return;
    if (tagged) HttpWriteHeader("ETag", tag);
    SendViewAnswer(answer);
    if (tagged) chartCache_.Store(*key, std::move(answer));
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

std::optional<std::string> THauptseite::RequestedChartKey() {
    const std::optional<std::string> poll = PollKey(HttpGetField("filename", "testdeutsch"), *store_);
    if (!poll) return std::nullopt;
    return ChartKey(*poll);
}

bool THauptseite::AnswerFromCache(const std::string& key) {
    const TCachedAnswer* answer = chartCache_.Find(key);
    if (!answer) return false;
    const std::string tag = EntityTag(key);
    if (AnswerNotModified(tag)) return true;
    HttpWriteHeader("ETag", tag);
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

void THauptseite::AnswerAdd() {
    datenhinzu();
    if (Gesperrt) {
        SendMessage(kLockedMessage);
        return;
    }
    const std::string backurl = HttpGetField("backurl", "");
    if (!backurl.empty())
        HttpWrite(RedirectPage(backurl));
    else
        SendMessage(kSavedMessage);
}

void THauptseite::SendMessage(std::string_view message) {
    Meldung = message;
    httpMessage.Execute();
}

void THauptseite::httpMessageHttpEntry(const std::string& EntryName, bool&) {
    if (EntryName == "message") HttpWrite(Meldung);
}

void THauptseite::httphilfeHttpEntry(const std::string& EntryName, bool&) {
    if (EntryName == "version") HttpWrite(std::string(kVersionText));
}
