// What an SVG chart holds, read with libxml2 as any XML reader would: whether it is well-formed,
// its size, title and description, where its texts lie, and anything that would run code or
// fetch something from outside.
#pragma once

#include <string>
#include <vector>

#include "tests/support/picture_compare.h"

namespace testsupport {

struct SvgFacts {
    std::string error;  // empty when the document is well-formed XML with an svg root element
    std::string width, height, viewBox;
    std::string title, description;
    int textCount = 0;
    std::vector<Box> textBoxes;         // around each text as drawn, in the document's units
    std::vector<std::string> outside;   // scripts, event attributes, references outside the document
};

SvgFacts ReadSvg(const std::string& bytes);

}  // namespace testsupport
