#include "MathHtml.h"

#include "base/Text.h"
#include "docserver/html/HtmlText.h"
#include "docserver/package/XmlPart.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// A column of pieces stacked on each other, centred, standing in the line.
constexpr const char* kStack = "<span style=\"display:inline-block;vertical-align:middle;text-align:center;\">";
constexpr const char* kRow = "<span style=\"display:block;\">";
constexpr const char* kSmallRow = "<span style=\"display:block;font-size:70%;\">";

std::string Property(const pugi::xml_node& element, const char* propertiesName, const char* name,
                     const std::string& fallback) {
    const pugi::xml_node property = Child(Child(element, propertiesName), name);
    if (!property)
        return fallback;
    const pugi::xml_attribute value = Attribute(property, "val");
    return value ? std::string(value.value()) : fallback;
}

// Combining accents as the spacing marks that can stand above a base on their own.
std::string SpacingAccent(const std::string& accent) {
    static const std::pair<const char*, const char*> kSpacing[] = {{"\xCC\x82", "^"},
                                                                   {"\xCC\x83", "~"},
                                                                   {"\xCC\x87", "\xCB\x99"},
                                                                   {"\xCC\x88", "\xC2\xA8"},
                                                                   {"\xCC\x84", "\xC2\xAF"},
                                                                   {"\xCC\x85", "\xC2\xAF"},
                                                                   {"\xCC\x81", "\xC2\xB4"},
                                                                   {"\xCC\x80", "`"},
                                                                   {"\xCC\x8C", "\xCB\x87"},
                                                                   {"\xCC\x86", "\xCB\x98"},
                                                                   {"\xE2\x83\x97", "\xE2\x86\x92"},
                                                                   {"\xE2\x83\x96", "\xE2\x86\x90"}};
    for (const auto& [combining, spacing] : kSpacing)
        if (accent == combining)
            return spacing;
    return accent;
}

// m:fPr, m:naryPr, m:ctrlPr and the like.
bool IsProperties(const char* name) {
    const size_t length = std::strlen(name);
    return length > 2 && std::strcmp(name + length - 2, "Pr") == 0;
}

class MathWriter {
public:
    std::string Write(const pugi::xml_node& node) {
        Children(node);
        return std::move(out_);
    }

private:
    void Children(const pugi::xml_node& node) {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element)
                Element(child);
    }

    // A part written on its own (a numerator, a limit).
    std::string Part(const pugi::xml_node& node) {
        std::string saved = std::move(out_);
        out_.clear();
        if (node)
            Children(node);
        std::string part = std::move(out_);
        out_ = std::move(saved);
        return part;
    }

    void Stack(const std::string& over, const std::string& middle, const std::string& under, bool big = false) {
        out_ += kStack;
        if (!over.empty())
            out_ += kSmallRow + over + "</span>";
        out_ += std::string(big ? "<span style=\"display:block;font-size:150%;line-height:1;\">" : kRow) + middle +
                "</span>";
        if (!under.empty())
            out_ += kSmallRow + under + "</span>";
        out_ += "</span>";
    }

    void Text(const pugi::xml_node& run) {
        // Letters are variables, set in italics as Word sets them, unless the run is marked plain.
        const bool plain = Property(run, "rPr", "sty", "") == "p" || Child(Child(run, "rPr"), "nor");
        for (pugi::xml_node t = run.first_child(); t; t = t.next_sibling()) {
            if (!IsElement(t, "t"))
                continue;
            const std::u16string text = Utf8ToUtf16(t.text().get());
            auto isLetter = [&](char16_t c) { return !plain && c < 0x80 && std::isalpha(static_cast<int>(c)); };
            size_t at = 0;
            while (at < text.size()) {
                const bool letter = isLetter(text[at]);
                size_t end = at;
                while (end < text.size() && isLetter(text[end]) == letter)
                    ++end;
                const std::string escaped = EscapedText(std::u16string_view(text).substr(at, end - at));
                out_ += letter ? "<i>" + escaped + "</i>" : escaped;
                at = end;
            }
        }
    }

    void Element(const pugi::xml_node& node) {
        const char* name = LocalName(node);
        if (std::strcmp(name, "r") == 0) {
            Text(node);
        } else if (std::strcmp(name, "sSup") == 0) {
            out_ += Part(Child(node, "e")) + "<sup>" + Part(Child(node, "sup")) + "</sup>";
        } else if (std::strcmp(name, "sSub") == 0) {
            out_ += Part(Child(node, "e")) + "<sub>" + Part(Child(node, "sub")) + "</sub>";
        } else if (std::strcmp(name, "sSubSup") == 0) {
            out_ += Part(Child(node, "e"));
            Stack(Part(Child(node, "sup")), "", Part(Child(node, "sub")));
        } else if (std::strcmp(name, "sPre") == 0) {
            Stack(Part(Child(node, "sup")), "", Part(Child(node, "sub")));
            out_ += Part(Child(node, "e"));
        } else if (std::strcmp(name, "f") == 0) {
            const std::string numerator = Part(Child(node, "num"));
            const std::string denominator = Part(Child(node, "den"));
            // bar: stacked with a rule; noBar: stacked without (a binomial's n over k); lin: n/k in the line;
            // skw: a raised numerator and a lowered denominator either side of the slash.
            const std::string type = Property(node, "fPr", "type", "bar");
            if (type == "lin") {
                out_ += numerator + "/" + denominator;
            } else if (type == "skw") {
                out_ += "<sup>" + numerator + "</sup>/<sub>" + denominator + "</sub>";
            } else {
                out_ += kStack;
                out_ += std::string("<span style=\"display:block;padding:0 2px;") +
                        (type == "noBar" ? "" : "border-bottom:1px solid;") + "\">" + numerator + "</span>";
                out_ += "<span style=\"display:block;padding:0 2px;\">" + denominator + "</span></span>";
            }
        } else if (std::strcmp(name, "rad") == 0) {
            const std::string degree = Part(Child(node, "deg"));
            if (!degree.empty())
                out_ += "<sup>" + degree + "</sup>";
            out_ += "\xE2\x88\x9A<span style=\"border-top:1px solid;padding-top:1px;\">" + Part(Child(node, "e")) +
                    "</span>";
        } else if (std::strcmp(name, "nary") == 0) {
            const std::string symbol = EscapedText(Utf8ToUtf16(Property(node, "naryPr", "chr", "\xE2\x88\xAB")));
            const std::string lower = Part(Child(node, "sub"));
            const std::string upper = Part(Child(node, "sup"));
            if (Property(node, "naryPr", "limLoc", symbol == "\xE2\x88\xAB" ? "subSup" : "undOvr") == "subSup") {
                out_ += "<span style=\"font-size:150%;\">" + symbol + "</span>";
                if (!lower.empty() || !upper.empty())
                    Stack(upper, "", lower);
            } else {
                Stack(upper, symbol, lower, true);
            }
            out_ += Part(Child(node, "e"));
        } else if (std::strcmp(name, "d") == 0) {
            out_ += EscapedText(Utf8ToUtf16(Property(node, "dPr", "begChr", "(")));
            const std::string separator = EscapedText(Utf8ToUtf16(Property(node, "dPr", "sepChr", "|")));
            bool first = true;
            for (pugi::xml_node e = node.first_child(); e; e = e.next_sibling())
                if (IsElement(e, "e")) {
                    if (!first)
                        out_ += separator;
                    first = false;
                    out_ += Part(e);
                }
            out_ += EscapedText(Utf8ToUtf16(Property(node, "dPr", "endChr", ")")));
        } else if (std::strcmp(name, "m") == 0) {
            out_ += kStack;
            for (pugi::xml_node row = node.first_child(); row; row = row.next_sibling()) {
                if (!IsElement(row, "mr"))
                    continue;
                out_ += kRow;
                for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling())
                    if (IsElement(cell, "e"))
                        out_ += "<span style=\"display:inline-block;min-width:1.5em;padding:0 3px;\">" + Part(cell) +
                                "</span>";
                out_ += "</span>";
            }
            out_ += "</span>";
        } else if (std::strcmp(name, "eqArr") == 0) {
            out_ += kStack;
            for (pugi::xml_node e = node.first_child(); e; e = e.next_sibling())
                if (IsElement(e, "e"))
                    out_ += kRow + Part(e) + "</span>";
            out_ += "</span>";
        } else if (std::strcmp(name, "acc") == 0) {
            Stack(EscapedText(Utf8ToUtf16(SpacingAccent(Property(node, "accPr", "chr", "\xCC\x82")))),
                  Part(Child(node, "e")), "");
        } else if (std::strcmp(name, "bar") == 0) {
            const bool top = Property(node, "barPr", "pos", "bot") == "top";
            out_ += std::string("<span style=\"") + (top ? "border-top" : "border-bottom") + ":1px solid;\">" +
                    Part(Child(node, "e")) + "</span>";
        } else if (std::strcmp(name, "groupChr") == 0) {
            const std::string mark = EscapedText(Utf8ToUtf16(Property(node, "groupChrPr", "chr", "\xE2\x8F\x9F")));
            const bool top = Property(node, "groupChrPr", "pos", "bot") == "top";
            Stack(top ? mark : "", Part(Child(node, "e")), top ? "" : mark);
        } else if (std::strcmp(name, "limLow") == 0) {
            Stack("", Part(Child(node, "e")), Part(Child(node, "lim")));
        } else if (std::strcmp(name, "limUpp") == 0) {
            Stack(Part(Child(node, "lim")), Part(Child(node, "e")), "");
        } else if (std::strcmp(name, "func") == 0) {
            out_ += Part(Child(node, "fName")) + "&nbsp;" + Part(Child(node, "e"));
        } else if (std::strcmp(name, "borderBox") == 0) {
            out_ += "<span style=\"border:1px solid;padding:0 2px;\">" + Part(Child(node, "e")) + "</span>";
        } else if (std::strcmp(name, "oMath") == 0 && IsElement(node.parent(), "oMathPara")) {
            out_ += "<span style=\"display:block;text-align:center;\">";
            Children(node);
            out_ += "</span>";
        } else if (IsProperties(name)) {
            // properties, written through their element above
        } else {
            Children(node); // m:e, m:box, m:phant, m:oMath and whatever else only holds parts
        }
    }

    std::string out_;
};

} // namespace

std::string MathToHtml(const std::string& omml) {
    pugi::xml_document parsed;
    if (!ParseXmlPart(parsed, omml, "equation").ok())
        return {};
    const pugi::xml_node root = parsed.document_element();
    std::string html = MathWriter().Write(parsed);
    if (IsElement(root, "oMathPara"))
        return html;
    return "<span class=\"Math\">" + html + "</span>";
}
