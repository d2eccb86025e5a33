#include "tests/support/svg_facts.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace testsupport {

namespace {

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return "";
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

std::string Content(xmlNode* node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

double Number(const std::string& text, double fallback) { return text.empty() ? fallback : std::atof(text.c_str()); }

// The box of a text element: from a font size above the baseline to a third below it, as long
// as its textLength (or an estimate), turned about the point a rotate() transform names.
Box TextBox(xmlNode* node) {
    const double x = Number(Attribute(node, "x"), 0), y = Number(Attribute(node, "y"), 0);
    const double size = Number(Attribute(node, "font-size"), 16);
    const double length = Number(Attribute(node, "textLength"), 0.6 * size * static_cast<double>(Content(node).size()));
    std::array<std::array<double, 2>, 4> corners{{{x, y - size}, {x + length, y - size}, {x, y + size / 3}, {x + length, y + size / 3}}};
    double angle = 0, cx = 0, cy = 0;
    if (std::sscanf(Attribute(node, "transform").c_str(), "rotate(%lf %lf,%lf)", &angle, &cx, &cy) == 3) {
        const double a = angle * std::numbers::pi / 180;
        for (auto& [px, py] : corners) {
            const double dx = px - cx, dy = py - cy;
            px = cx + dx * std::cos(a) - dy * std::sin(a);
            py = cy + dx * std::sin(a) + dy * std::cos(a);
        }
    }
    Box box{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
    for (const auto& [px, py] : corners) {
        box.left = std::min(box.left, static_cast<int>(std::floor(px)) - 2);
        box.top = std::min(box.top, static_cast<int>(std::floor(py)) - 2);
        box.right = std::max(box.right, static_cast<int>(std::ceil(px)) + 2);
        box.bottom = std::max(box.bottom, static_cast<int>(std::ceil(py)) + 2);
    }
    return box;
}

void NoteOutside(xmlNode* node, SvgFacts& facts) {
    const std::string name = reinterpret_cast<const char*>(node->name);
    if (name == "script" || name == "foreignObject" || name == "image" || name == "use") facts.outside.push_back(name);
    for (xmlAttr* a = node->properties; a != nullptr; a = a->next) {
        const std::string attribute = reinterpret_cast<const char*>(a->name);
        const std::string value = Attribute(node, attribute.c_str());
        const bool event = attribute.rfind("on", 0) == 0;
        const bool link = attribute == "href" && value.rfind('#', 0) != 0;
        const bool url = value.find("url(") != std::string::npos && value.find("url(#") == std::string::npos;
        if (event || link || url) facts.outside.push_back(attribute + "=" + value);
    }
}

void Walk(xmlNode* node, SvgFacts& facts) {
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        const std::string name = reinterpret_cast<const char*>(node->name);
        NoteOutside(node, facts);
        if (name == "title" && facts.title.empty()) facts.title = Content(node);
        if (name == "desc" && facts.description.empty()) facts.description = Content(node);
        if (name == "text") {
            ++facts.textCount;
            facts.textBoxes.push_back(TextBox(node));
        }
        Walk(node->children, facts);
    }
}

}  // namespace

SvgFacts ReadSvg(const std::string& bytes) {
    SvgFacts facts;
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "chart.svg", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) {
        const xmlError* error = xmlGetLastError();
        facts.error = error != nullptr && error->message != nullptr ? error->message : "not XML";
        return facts;
    }
    xmlNode* root = xmlDocGetRootElement(doc);
    if (root == nullptr || std::string(reinterpret_cast<const char*>(root->name)) != "svg") {
        facts.error = "the root element is not svg";
    } else {
        facts.width = Attribute(root, "width");
        facts.height = Attribute(root, "height");
        facts.viewBox = Attribute(root, "viewBox");
        Walk(root, facts);
    }
    xmlFreeDoc(doc);
    return facts;
}

}  // namespace testsupport
