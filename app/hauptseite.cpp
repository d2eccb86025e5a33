#include "app/hauptseite.h"

#include "app/pages.h"
#include "engine/cgi_std_engine.h"
#include "platform/system_module.h"

THauptseite::THauptseite() {
    ApplyStoredSettings();
    StartEngine();
}

THauptseite::~THauptseite() = default;

void THauptseite::ApplyStoredSettings() {
    HTTP.AutoContentType = "text/html";
    HTTP.AutoReadLimit = 10000;
    HTTP.BufferedOutput = false;
    HTTP.CGIMode = NormalMode;
    CgiAutoTerminate = true;
    HTTP.SessionName = "DefaultSession";
    HTTP.NoCache = false;
    HTTP.OnExecRequest = [this](THttpEngine& Sender) { HTTPExecRequest(Sender); };
    HTTP.OnFirstExecRequest = [this](THttpEngine& Sender) { HTTPFirstExecRequest(Sender); };
    httpMessage.SetText(MessagePageTemplate());
    httpMessage.OnHttpEntry = [this](const std::string& EntryName, bool& Handled) {
        httpMessageHttpEntry(EntryName, Handled);
    };
    httphilfe.SetText(HelpPageTemplate());
    httphilfe.OnHttpEntry = [this](const std::string& EntryName, bool& Handled) {
        httphilfeHttpEntry(EntryName, Handled);
    };
}

// The one place that picks and runs the engine; under a web server it serves the request
// (and with CgiAutoTerminate ends the process) before returning.
void THauptseite::StartEngine() {
    engine_ = TCGIStdEngine::Create(StartedWithoutServer(), HTTP, CgiAutoTerminate);
}

void THauptseite::HTTPFirstExecRequest(THttpEngine&) { Pfad = ModuleFolder() + "/"; }

void THauptseite::HTTPExecRequest(THttpEngine&) {
    Gesperrt = false;
    const std::string command = HttpGetField("command", "");
    if (command.empty()) httphilfe.Execute();
    if (command == "view") datenzuordnen();
    if (command == "add") AnswerAdd();
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
