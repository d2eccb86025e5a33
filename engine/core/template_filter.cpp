#include "engine/core/template_filter.h"

#include <ctime>

#include "platform/text/ascii_text.h"
#include "engine/core/html_escape.h"
#include "engine/core/http_engine.h"
#include "engine/core/http_entry_points.h"
#include "platform/os/system_time.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

struct TConditionLevel {
    bool Active = true;   // text and tags of this level are written
    bool Pending = true;  // no branch of this IF has been taken yet
};

// Shared by every filter of the thread. The levels grow with the nesting, so any depth of IF
// stays within bounds; level 0 is the page itself.
struct TConditions {
    size_t IfDepth = 0;
    std::vector<TConditionLevel> Levels{TConditionLevel{}};
};

TConditions& Conditions() {
    thread_local TConditions conditions;
    return conditions;
}

TConditionLevel& Level() { return Conditions().Levels[Conditions().IfDepth]; }

bool Active() { return Level().Active; }

bool EnclosingActive() {
    const TConditions& c = Conditions();
    return c.IfDepth == 0 || c.Levels[c.IfDepth - 1].Active;
}

void Put(const std::string& text) {
    if (!text.empty()) HttpEntryPoints.Write(text);
}

bool AllowedInTag(unsigned char c) {
    return c >= '/' || c == '$' || c == '\'' || c == '*' || c == '+' || c == '-';
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool IsValidTag(std::string_view tag) {
    for (size_t i = 0; i < tag.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(tag[i]);
        if (AllowedInTag(c)) continue;
        if (c != ' ') return false;
        const std::string before = Trim(tag.substr(0, i));
        if (before != "IF" && before != "ELSEIF") return false;
    }
    return true;
}

void THttpTextFilterComponent::ResetConditions() {
    TConditions& c = Conditions();
    c.IfDepth = 0;
    c.Levels[0] = TConditionLevel{};
}

void THttpTextFilterComponent::FilterLine(const std::string& L) {
    size_t at = 0;
    for (;;) {
        const size_t open = L.find_first_of("%#", at);
        if (open == std::string::npos) break;
        if (Active()) Put(L.substr(at, open - at));
        const size_t close = L.find(L[open], open + 1);
        if (close == std::string::npos || !IsValidTag(std::string_view(L).substr(open + 1, close - open - 1))) {
            if (Active()) Put(std::string(1, L[open]));
            at = open + 1;
            continue;
        }
        HandleTag(L.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    if (Active()) Put(L.substr(at));
}

void THttpTextFilterComponent::HandleTag(const std::string& tag) {
    const std::string T = Trim(tag);
    const std::string U = UpperCase(T);
    TConditions& c = Conditions();
    if (StartsWith(U, "IF ")) {
        const bool enclosing = Active();
        if (++c.IfDepth == c.Levels.size()) c.Levels.emplace_back();
        const size_t depth = c.IfDepth;
        c.Levels[depth].Pending = true;
        if (!enclosing) {
            c.Levels[depth].Active = false;
            return;
        }
        bool value = false;
        if (OnHttpLogicalEntry) OnHttpLogicalEntry(Trim(std::string_view(T).substr(2)), value);
        c.Levels[depth] = TConditionLevel{value, !value};
    } else if (StartsWith(T, "ELSEIF ")) {
        if (c.IfDepth == 0) return;
        const size_t depth = c.IfDepth;
        if (!c.Levels[depth].Pending || !EnclosingActive()) {
            c.Levels[depth].Active = false;
            return;
        }
        bool value = false;
        if (OnHttpLogicalEntry && !c.Levels[depth].Active)
            OnHttpLogicalEntry(Trim(std::string_view(T).substr(6)), value);
        c.Levels[depth] = TConditionLevel{value, !value};
    } else if (StartsWith(U, "ELSE")) {
        if (c.IfDepth == 0) return;
        TConditionLevel& level = Level();
        const bool opens = level.Pending && EnclosingActive();
        level.Active = opens;
        if (opens) level.Pending = false;
    } else if (U == "ENDIF") {
        Level() = TConditionLevel{};
        if (c.IfDepth > 0) --c.IfDepth;
    } else if (Active()) {
        WriteEntry(T);
    }
}

// An ordinary tag: the handler, else a request variable, a form field, or the filter's own
// RANDOM_HIDDEN_INPUT, TIME and DATE. Request data is escaped, as it lands inside HTML.
void THttpTextFilterComponent::WriteEntry(const std::string& name) {
    if (OnHttpEntry) {
        bool handled = true;
        OnHttpEntry(name, handled);
        if (handled) return;
    }
    const std::string variable = HttpEntryPoints.GetVariable(name);
    if (!variable.empty() && variable != NotAvailable) {
        Put(HtmlEscape(variable));
        return;
    }
    const std::string field = HttpEntryPoints.GetField(name, NotAvailable);
    const std::time_t now = std::time(nullptr);
    if (name == "RANDOM_HIDDEN_INPUT")
        Put(RandomHiddenInput(SecondsSinceMidnight(now)));
    else if (field != NotAvailable)
        Put(HtmlEscape(field));
    else if (name == "TIME")
        Put(LongTimeString(now));
    else if (name == "DATE")
        Put(ShortDateString(now));
}

std::string RandomHiddenInput(int secondsSinceMidnight) {
    return "<INPUT TYPE=\"HIDDEN\" NAME=\"RANDOM_HIDDEN_INPUT\" VALUE=\"" + std::to_string(secondsSinceMidnight) +
           "\">";
}

void THttpMemoFilter::Execute() {
    ResetConditions();
    const std::string_view lines = Text;
    size_t at = 0;
    while (at < lines.size()) {
        size_t end = lines.find('\n', at);
        if (end == std::string_view::npos) end = lines.size();
        std::string_view line = lines.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        FilterLine(std::string(line) + "\r\n");
        at = end + 1;
    }
}

}  // namespace tallyhouse::engine
