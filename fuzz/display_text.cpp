// Fuzzes reading received bytes as characters and drawing them: the width measured straight from
// the bytes must equal the width of the decoded characters, and drawing must not fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text/display_text.h"
#include "platform/text/font_face.h"
#include "platform/raster/raster_canvas.h"

using namespace tallyhouse::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TBitmap bitmap(40, 20);
    TRasterCanvas canvas(&bitmap);
    canvas.Font.Size = 8;
    TFontFace& face = TFontFace::For(canvas.Font);
    if (face.TextWidth(std::string_view(text)) != face.TextWidth(std::u32string_view(DecodeDisplayText(text)))) std::abort();
    if (DecodeDisplayText(DisplayTextUtf8(text)) != DecodeDisplayText(text)) std::abort();
    canvas.TextOut(2, 2, text);
    canvas.RotatedText(20, 10, text, 30);
    return 0;
}
