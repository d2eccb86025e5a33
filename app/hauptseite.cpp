#include "app/hauptseite.h"

#include "app/pages.h"
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

void THauptseite::HTTPFirstExecRequest(THttpEngine&) { Pfad = ModuleFolder() + "/"; }

void THauptseite::HTTPExecRequest(THttpEngine&) {
    Gesperrt = false;
    const std::string command = HttpGetField("command", "");
    if (command.empty()) httphilfe.Execute();
    if (command == "view") AnswerView();
    if (command == "add") AnswerAdd();
}

void THauptseite::AnswerView() {
    if (!datenzuordnen()) return;
    grafikerstellen();
    Ausgabegrafik.SendChart();
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
