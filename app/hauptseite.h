// The poll application: the one object that owns the program's components and answers every
// request (help page, answers to record, chart of a poll).
//
// Its own names are German; in English:
//   THauptseite      main page: the application's (never shown) main window
//   datenhinzu       add data: record the request's answers in their poll files
//   datenzuordnen    assign data: tally the poll named by "filename" and read the first chart parameters
//   grafikerstellen  make the chart: apply the other chart parameters and fill the chosen series
//   Ausgabegrafik    output graphic: the component that draws the chart and sends it as a GIF
//   Grafik           graphic: the chart of the current view request
//   Daten            data: the tally of the poll being charted
//   Antworten        answers (the German sample's title word)
//   Pfad             path: the program's folder, where the poll files live
//   Dateiname        file name: the poll (file or sample) being charted
//   Stil             style: 0 bars, 1 horizontal bars, 2 area, 3 pie
//   Farbe            colour: the palette number of the chart's colour
//   Meldung          message: the text of the message page
//   Gesperrt         locked: the key file refused a new poll file during this add
//   httpMessage, httphilfe  the message page and help page (Hilfe) template filters
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/chart_cache.h"
#include "app/store/answer_store.h"
#include "app/poll_chart.h"
#include "app/tally.h"
#include "app/view_format.h"
#include "engine/facade/general_http_engine.h"
#include "engine/core/http_engine.h"
#include "engine/core/template_filter.h"
#include "image/response/http_chart.h"

namespace tallyhouse::app {

class THauptseite {
public:
    // Creates the components with their stored settings; then the engine serves the request.
    THauptseite();
    ~THauptseite();
    THauptseite(const THauptseite&) = delete;
    THauptseite& operator=(const THauptseite&) = delete;

    // Components, in declaration order.
    Tally Daten;
    engine::TGeneralHttpEngine HTTP;
    engine::THttpMemoFilter httpMessage;
    engine::THttpMemoFilter httphilfe;
    // The chart of the current view request, made afresh from its stored settings each time.
    std::unique_ptr<TPollChart> Grafik;
    image::THttpChartImage Ausgabegrafik{"Ausgabegrafik"};

    // Request handlers and tag handlers.
    void HTTPFirstExecRequest(engine::THttpEngine& Sender);
    void HTTPExecRequest(engine::THttpEngine& Sender);
    // A request that failed gets the log line and, while its answer has not begun, its status
    // and a message page.
    void HTTPRequestError(engine::THttpEngine& Sender, const std::exception& ErrorReason);
    void httpMessageHttpEntry(const std::string& EntryName, bool& Handled);
    void httphilfeHttpEntry(const std::string& EntryName, bool& Handled);

    // Appends the request's answers to their poll files, each unless the one-answer rule
    // withholds it; sets Gesperrt when the key file refused a new poll file. Raises
    // ERequestRefused when a poll named is closed.
    void datenhinzu();
    // Tallies the poll named by "filename" into Daten, in the order of its "answers" list when
    // it has one, and for a chart reads the first chart parameters; false when the poll was not
    // found, the list or the size was refused, and the message page has ended the request.
    bool datenzuordnen();
    // Reads the rest of the chart parameters and fills the chosen series with the tally.
    void grafikerstellen();

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
    // The message page with a status other than 200, and header lines before it.
    void SendRefusal(const std::string& status, std::string_view message,
                     const std::vector<std::pair<std::string, std::string>>& headers = {});
    void AnswerAdd();
    // backurl when the settings let the visitor be sent there; empty otherwise.
    std::string FollowedBackurl();
    void AnswerView();
    // The poll part of the key of the chart the request asks for, with the poll as it is now;
    // none for a poll that does not exist.
    std::optional<std::string> RequestedPollKey();
    bool AnswerFromCache(const std::string& key);
    // The chart drawn, or the tally as data, by the request's format.
    std::string ViewBody();
    void SendViewAnswer(const TCachedAnswer& answer);
    bool TallyPoll();
    bool ListAnswers();
    // A 304 answer when the request's If-None-Match names the tag.
    bool AnswerNotModified(const std::string& tag);
    void NewChart();
    bool ChartParameters();
    // False when the number's colour is refused and the message page has ended the request.
    bool ShowAnswerCount(const std::string& number);
    // Ends the request with the message page; false, for the parameter readers to return.
    bool Refuse(std::string_view message);
    void ThreeDParameters();

    // What the add request in hand did.
    struct TAddOutcome {
        std::size_t Polls = 0;               // poll fields named
        std::vector<std::string> Withheld;   // polls the visitor had answered before
        std::string NewCookie;               // a Set-Cookie value with a new visitor id
    };
    TAddOutcome addOutcome_;
    std::mutex messageLock_;

    std::unique_ptr<TAnswerStore> store_;
    // The poll part of the key of the answers just counted.
    std::string countedPollKey_;

    TChartCache chartCache_;
    TViewFormat viewFormat_ = TViewFormat::Gif;
    // Every answer of the poll, also those an "answers" list leaves out.
    std::int64_t answerTotal_ = 0;
};

}  // namespace tallyhouse::app
