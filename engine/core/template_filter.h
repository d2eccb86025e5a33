// Template filters: an HTML page with %tag% / #tag# places written to the response, each tag
// replaced by text from the application, the request or the filter, with IF / ELSEIF / ELSE /
// ENDIF sections that the application decides.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyhouse::engine {

// Called for each ordinary tag on an active level; Handled comes preset to true. A handler writes
// the replacement itself (HttpWrite); setting Handled to false lets the filter look it up.
using THttpEntryEvent = std::function<void(const std::string& EntryName, bool& Handled)>;
// Decides an IF or ELSEIF condition: Value true takes the branch.
using THttpLogicalEntryEvent = std::function<void(const std::string& EntryName, bool& Value)>;

class THttpTextFilterComponent {
public:
    virtual ~THttpTextFilterComponent() = default;

    THttpEntryEvent OnHttpEntry;
    THttpLogicalEntryEvent OnHttpLogicalEntry;

    // Writes one line (given with its line end) with its tags replaced.
    void FilterLine(const std::string& L);

protected:
    // Starts a page: back to level 0, which is active.
    static void ResetConditions();

private:
    void HandleTag(const std::string& tag);
    void WriteEntry(const std::string& name);
};

class THttpMemoFilter : public THttpTextFilterComponent {
public:
    // The template's lines, each ended by CR LF or LF (the last one may end without), split
    // while they are written. Not copied: the text must outlive the filter, as the program's
    // page templates do, so a program that never sends the page pays nothing for it.
    std::string_view Text;

    void SetText(std::string_view lines) { Text = lines; }
    // Writes the filtered Text, each line followed by CR LF.
    void Execute();
};

// True when every character of the text between two delimiters may stand in a tag.
bool IsValidTag(std::string_view tag);
// The hidden input element written for the tag RANDOM_HIDDEN_INPUT.
std::string RandomHiddenInput(int secondsSinceMidnight);

}  // namespace tallyhouse::engine
