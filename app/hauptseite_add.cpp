// Recording the answers of an add request.
#include <ctime>

#include "app/answer_line.h"
#include "app/hauptseite.h"
#include "app/poll_file.h"
#include "app/poll_name.h"

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// Control bytes would garble the log line; they are shown as "?".
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return text;
}

}  // namespace

void THauptseite::datenhinzu() {
    Gesperrt = false;
    for (const std::string& name : HttpGetFieldNames()) {
        if (!IsPollFieldName(name)) continue;
        if (!IsSafeFileName(name)) {
            if (THttpEngine* engine = CurrentHttpEngine())
                engine->LogError("Poll field ignored, its name leaves the program's folder: " + Printable(name));
            continue;
        }
        if (Gesperrt) continue;
        const std::string line = AnswerLine(LocalNow(), HttpGetRemoteAddr(), HttpGetField(name, ""));
        if (AppendAnswer(Pfad + name, Pfad + "tallyhouse.key", line) == AppendResult::Refused) Gesperrt = true;
    }
}
