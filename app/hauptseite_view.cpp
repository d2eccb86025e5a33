// Tallying the poll of a view request, then its first chart parameters.
#include "app/hauptseite.h"
#include "app/pages.h"
#include "app/poll_file.h"
#include "app/poll_name.h"

namespace {

// Besides the samples only poll files are charted, the names add records answers in: never the
// program, the key file or whatever else lies beside them.
bool IsChartablePoll(const std::string& name) { return IsPollFieldName(name) && IsSafeFileName(name); }

}  // namespace

bool THauptseite::datenzuordnen() {
    Dateiname = HttpGetField("filename", "testdeutsch");
    if (std::optional<Tally> sample = SampleTally(Dateiname)) {
        Daten = std::move(*sample);
        return ChartParameters();
    }
    TallyCounter counter;
    const bool found = IsChartablePoll(Dateiname) &&
                       ReadPollFile(Pfad + Dateiname, [&](std::string_view piece) { counter.Feed(piece); });
    if (!found) {
        SendMessage(NotFoundMessage(Dateiname));
        return false;
    }
    Daten = std::move(counter).Finish();
    return ChartParameters();
}
