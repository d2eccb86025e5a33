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
    TallyCounter counter;
    const bool found =
        IsSafeFileName(Dateiname) && ReadPollFile(Pfad + Dateiname, [&](std::string_view piece) { counter.Feed(piece); });
    if (!found) {
        SendMessage(NotFoundMessage(Dateiname));
        return false;
    }
    Daten = std::move(counter).Finish();
    return ChartParameters();
}
