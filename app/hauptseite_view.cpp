// Tallying the poll of a view request, then its first chart parameters.
#include "app/hauptseite.h"
#include "app/pages.h"
#include "app/poll_file.h"
#include "app/poll_name.h"

bool THauptseite::datenzuordnen() {
    Dateiname = HttpGetField("filename", "testdeutsch");
    if (std::optional<Tally> sample = SampleTally(Dateiname)) {
        Daten = std::move(*sample);
        return ChartParameters();
    }
    const std::optional<PollFileText> text =
        IsSafeFileName(Dateiname) ? ReadPollFile(Pfad + Dateiname) : std::nullopt;
    if (!text) {
        SendMessage(NotFoundMessage(Dateiname));
        return false;
    }
    Daten = CountAnswers(text->View());
    return ChartParameters();
}
