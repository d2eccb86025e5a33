// Tallying the poll of a view request and showing the answers it lists; then, for a chart, its
// first chart parameters.
#include "app/answer_list.h"
#include "app/hauptseite.h"
#include "app/pages.h"
#include "app/poll_name.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

bool THauptseite::datenzuordnen() {
    Dateiname = HttpGetField("filename", "testdeutsch");
    if (!TallyPoll()) {
        SendRefusal("404 Not Found", NotFoundMessage(Dateiname));
        return false;
    }
    answerTotal_ = TotalCount(Daten);
    if (!ListAnswers()) return false;
    return !IsChartFormat(viewFormat_) || ChartParameters();
}

bool THauptseite::TallyPoll() {
    if (std::optional<Tally> sample = SampleTally(Dateiname)) {
        Daten = std::move(*sample);
        countedPollKey_ = "sample:" + Dateiname;
        return true;
    }
    std::optional<TCountedPoll> counted = IsChartablePoll(Dateiname) ? store_->CountPoll(Dateiname) : std::nullopt;
    if (!counted) return false;
    Daten = std::move(counted->tally);
    countedPollKey_ = std::move(counted->identity);
    return true;
}

// One "answers" field at most, and a list that makes sense.
bool THauptseite::ListAnswers() {
    const std::vector<std::string> values = HttpGetFieldValues("answers");
    if (values.empty()) return true;
    const std::optional<std::vector<std::string>> listed =
        values.size() == 1 ? ParseAnswerList(values[0]) : std::nullopt;
    if (!listed) {
        SendRefusal(kBadRequest, kAnswersMessage);
        return false;
    }
    Daten = ListedTally(Daten, *listed);
    return true;
}

}  // namespace tallyhouse::app
