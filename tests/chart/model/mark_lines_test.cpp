// Lines of a mark or axis label: the whole text is read by the display rule before it is cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chart/model/series_marks.h"
#include "platform/raster/raster_canvas.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

struct LinesCase {
    const char* fault;
    std::string text;
    std::vector<std::string> lines;  // in UTF-8 (a text of one line stays as it is)
};

TEST(MarkLines, ATextIsReadWholeBeforeItIsCutIntoLines) {
    const LinesCase cases[] = {
        {"ascii lines changed", "one\rtwo", {"one", "two"}},
        {"one line copied wrongly", "gr\xF6\xDF", {"gr\xF6\xDF"}},
        {"utf-8 line cut inside a character", "gr\xC3\xB6\r\xC3\x9F", {"gr\xC3\xB6", "\xC3\x9F"}},
        {"windows-1252 line read as utf-8 once cut off", "\xC3\xA9\r\xE9", {"\xC3\x83\xC2\xA9", "\xC3\xA9"}},
        {"latin-1 line differs from its utf-8 form", "Caf\xE9\r\x80", {"Caf\xC3\xA9", "\xE2\x82\xAC"}},
        {"empty lines lost", "\r", {"", ""}},
    };
    TBitmap b(4, 4);
    TRasterCanvas canvas(&b);
    for (const LinesCase& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.fault;
        EXPECT_EQ(LineCount(c.text), static_cast<int>(c.lines.size())) << c.fault;
        int widest = 0;
        for (const std::string& line : c.lines) widest = std::max(widest, canvas.TextWidth(line));
        EXPECT_EQ(WidestLine(canvas, c.text), widest) << c.fault;
    }
}

}  // namespace
