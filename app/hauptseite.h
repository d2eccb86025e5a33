// The poll application: the one object that owns the program's components and answers every
// request (help page, answers to record, chart of a poll).
#pragma once

#include <string>

#include "app/tally.h"
#include "engine/general_http_engine.h"
#include "engine/http_engine.h"
#include "engine/template_filter.h"

class THauptseite {
public:
    // Creates the components with their stored settings; then the engine serves the request.
    THauptseite();
    ~THauptseite();
    THauptseite(const THauptseite&) = delete;
    THauptseite& operator=(const THauptseite&) = delete;

    // Components, in declaration order.
    Tally Daten;
    TGeneralHttpEngine HTTP;
    THttpMemoFilter httpMessage;
    THttpMemoFilter httphilfe;

    // Request handlers and tag handlers.
    void HTTPFirstExecRequest(THttpEngine& Sender);
    void HTTPExecRequest(THttpEngine& Sender);
    void httpMessageHttpEntry(const std::string& EntryName, bool& Handled);
    void httphilfeHttpEntry(const std::string& EntryName, bool& Handled);

    // Appends the request's answers to their poll files; sets Gesperrt when the key file
    // refused a new poll file.
    void datenhinzu();
    // Tallies the poll named by "filename" into Daten; false when the poll was not found and
    // the message page has ended the request.
    bool datenzuordnen();

    // State shared by the requests of this process.
    std::string Pfad;
    std::string Dateiname;
    int Stil = 0;
    int Farbe = 0;
    std::string Meldung;
    bool Gesperrt = false;

private:
    void ApplyStoredSettings();
    void StartEngine();
    void SendMessage(std::string_view message);
    void AnswerAdd();
};
