#include "DocxBuilder.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace docx {

namespace {

constexpr const char* kNamespaces =
    R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture")"
    R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
    R"( xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape")"
    R"( xmlns:v="urn:schemas-microsoft-com:vml")";

constexpr const char* kRelationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string TextRun(const std::string& properties, const std::string& text) {
    return "<w:r>" + properties + "<w:t xml:space=\"preserve\">" + Escape(text) + "</w:t></w:r>";
}

std::string ParagraphsXml(const std::vector<std::string>& paragraphs) {
    std::string xml;
    for (const std::string& text : paragraphs)
        xml += "<w:p>" + (text.empty() ? std::string() : TextRun("", text)) + "</w:p>";
    return xml;
}

} // namespace

Inline Text(std::string text, RunStyle style) {
    Inline piece;
    piece.text = std::move(text);
    piece.style = std::move(style);
    return piece;
}

static Inline Simple(Inline::Kind kind, std::string text = {}, std::string target = {}) {
    Inline piece;
    piece.kind = kind;
    piece.text = std::move(text);
    piece.target = std::move(target);
    return piece;
}

Inline PageBreak() {
    return Simple(Inline::Kind::PageBreak);
}
Inline ColumnBreak() {
    return Simple(Inline::Kind::ColumnBreak);
}
Inline LineBreak() {
    return Simple(Inline::Kind::LineBreak);
}
Inline Tab() {
    return Simple(Inline::Kind::Tab);
}
Inline Symbol(std::string hexCode, std::string font) {
    Inline piece = Simple(Inline::Kind::Symbol, std::move(hexCode));
    piece.target = std::move(font);
    return piece;
}
Inline BookmarkStart(std::string name) {
    return Simple(Inline::Kind::BookmarkStart, std::move(name));
}
Inline BookmarkEnd(std::string name) {
    return Simple(Inline::Kind::BookmarkEnd, std::move(name));
}
Inline Link(std::string text, std::string url) {
    return Simple(Inline::Kind::Link, std::move(text), std::move(url));
}
Inline AnchorLink(std::string text, std::string bookmark) {
    return Simple(Inline::Kind::AnchorLink, std::move(text), std::move(bookmark));
}
Inline Field(std::string instruction, std::string result) {
    return Simple(Inline::Kind::Field, std::move(result), std::move(instruction));
}
Inline SimpleField(std::string instruction, std::string result) {
    return Simple(Inline::Kind::SimpleField, std::move(result), std::move(instruction));
}
Inline Picture(std::vector<uint8_t> bytes, bool anchored, std::string extension) {
    Inline piece = Simple(Inline::Kind::Picture);
    piece.bytes = std::move(bytes);
    piece.anchored = anchored;
    piece.extension = std::move(extension);
    return piece;
}
Inline Footnote(std::string text) {
    return Simple(Inline::Kind::Footnote, std::move(text));
}
Inline Endnote(std::string text) {
    return Simple(Inline::Kind::Endnote, std::move(text));
}
Inline VmlPicture(std::vector<uint8_t> bytes, std::string shapeStyle, std::string extension) {
    Inline piece = Picture(std::move(bytes), false, std::move(extension));
    piece.vmlStyle = std::move(shapeStyle);
    return piece;
}
Inline TextBox(std::string text, std::string fill) {
    Inline piece = Simple(Inline::Kind::TextBox, std::move(text));
    if (!fill.empty()) {
        piece.shapeProperties = "<a:solidFill><a:srgbClr val=\"" + fill + "\"/></a:solidFill>";
        piece.vmlAttributes = "fillcolor=\"#" + fill + "\"";
    }
    piece.shapeProperties += "<a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></a:ln>";
    piece.fill = std::move(fill);
    return piece;
}
Inline ShapedTextBox(std::string text, std::string shapeProperties, std::string shapeStyle, std::string vmlAttributes) {
    Inline piece = Simple(Inline::Kind::TextBox, std::move(text));
    piece.shapeProperties = std::move(shapeProperties);
    piece.shapeStyle = std::move(shapeStyle);
    piece.vmlAttributes = std::move(vmlAttributes);
    return piece;
}
std::string ChartXml(const ChartDefinition& chart) {
    auto number = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value);
        return std::string(text);
    };
    auto numbers = [&](const char* role, const std::vector<double>& values) {
        std::string xml = std::string("<c:") + role + "><c:numRef><c:f>Sheet1</c:f><c:numCache><c:ptCount val=\"" +
                          std::to_string(values.size()) + "\"/>";
        for (size_t i = 0; i < values.size(); ++i)
            if (!std::isnan(values[i]))
                xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + number(values[i]) + "</c:v></c:pt>";
        return xml + "</c:numCache></c:numRef></c:" + role + ">";
    };
    const bool scatter = chart.kind == "scatterChart";
    const bool line = scatter || chart.kind == "lineChart";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><c:chartSpace "
                      "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
                      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart>";
    if (!chart.title.empty())
        xml += "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:r><a:t>" + Escape(chart.title) +
               "</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title>";
    xml += "<c:autoTitleDeleted val=\"" + std::string(chart.title.empty() ? "1" : "0") +
           "\"/><c:plotArea><c:" + chart.kind + ">";
    if (chart.kind == "barChart")
        xml += "<c:barDir val=\"" + chart.barDirection + "\"/>";
    if (scatter)
        xml += "<c:scatterStyle val=\"lineMarker\"/>";
    if (!chart.grouping.empty())
        xml += "<c:grouping val=\"" + chart.grouping + "\"/>";
    xml += "<c:varyColors val=\"" + std::string(chart.kind == "pieChart" ? "1" : "0") + "\"/>";
    for (size_t s = 0; s < chart.series.size(); ++s) {
        const ChartSeries& series = chart.series[s];
        xml += "<c:ser><c:idx val=\"" + std::to_string(s) + "\"/><c:order val=\"" + std::to_string(s) +
               "\"/><c:tx><c:strRef><c:f>Sheet1</c:f><c:strCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>" +
               Escape(series.name) + "</c:v></c:pt></c:strCache></c:strRef></c:tx>";
        if (!series.fill.empty()) {
            const std::string fill = "<a:solidFill><a:srgbClr val=\"" + series.fill + "\"/></a:solidFill>";
            xml += "<c:spPr>" + (line ? "<a:ln w=\"28575\">" + fill + "</a:ln>" : fill) + "</c:spPr>";
        }
        if (scatter) {
            xml += numbers("xVal", series.xValues) + numbers("yVal", series.values);
        } else {
            xml += "<c:cat><c:strRef><c:f>Sheet1</c:f><c:strCache><c:ptCount val=\"" +
                   std::to_string(chart.categories.size()) + "\"/>";
            for (size_t i = 0; i < chart.categories.size(); ++i)
                xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + Escape(chart.categories[i]) + "</c:v></c:pt>";
            xml += "</c:strCache></c:strRef></c:cat>" + numbers("val", series.values);
        }
        xml += "</c:ser>";
    }
    if (chart.kind == "barChart")
        xml += "<c:gapWidth val=\"150\"/>";
    if (chart.kind != "pieChart")
        xml += "<c:axId val=\"1\"/><c:axId val=\"2\"/>";
    xml += "</c:" + chart.kind + ">";
    if (chart.kind != "pieChart")
        xml += std::string(scatter ? "<c:valAx><c:axId val=\"1\"/><c:scaling><c:orientation val=\"minMax\"/>"
                                     "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"b\"/>"
                                   : "<c:catAx><c:axId val=\"1\"/><c:scaling><c:orientation val=\"minMax\"/>"
                                     "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"b\"/>") +
               "<c:crossAx val=\"2\"/></" + (scatter ? "c:valAx" : "c:catAx") +
               "><c:valAx><c:axId val=\"2\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete "
               "val=\"0\"/><c:axPos val=\"l\"/><c:majorGridlines/><c:crossAx val=\"1\"/></c:valAx>";
    xml += "</c:plotArea>";
    if (chart.legend)
        xml += "<c:legend><c:legendPos val=\"r\"/><c:overlay val=\"0\"/></c:legend>";
    return xml + "<c:plotVisOnly val=\"1\"/></c:chart></c:chartSpace>";
}

Inline Chart(std::string partXml, int64_t widthEmu, int64_t heightEmu) {
    Inline piece = Simple(Inline::Kind::Chart, std::move(partXml));
    piece.widthEmu = widthEmu;
    piece.heightEmu = heightEmu;
    return piece;
}

Inline RawXml(std::string xml) {
    return Simple(Inline::Kind::RawXml, std::move(xml));
}

Inline FootnoteXml(std::string runsXml) {
    Inline piece = Simple(Inline::Kind::Footnote);
    piece.target = std::move(runsXml);
    return piece;
}

Inline EndnoteXml(std::string runsXml) {
    Inline piece = Simple(Inline::Kind::Endnote);
    piece.target = std::move(runsXml);
    return piece;
}

std::string IndexEntryXml(const std::string& instruction, size_t pieces) {
    const std::string hidden = "<w:rPr><w:vanish/></w:rPr>";
    std::string xml = "<w:r>" + hidden + "<w:fldChar w:fldCharType=\"begin\"/></w:r>";
    pieces = std::max<size_t>(1, std::min(pieces, instruction.size()));
    const size_t step = (instruction.size() + pieces - 1) / std::max<size_t>(pieces, 1);
    for (size_t at = 0; at < instruction.size();) {
        // Pieces end between characters, never inside one's UTF-8 bytes.
        size_t end = std::min(at + step, instruction.size());
        while (end < instruction.size() && (static_cast<unsigned char>(instruction[end]) & 0xC0) == 0x80)
            ++end;
        xml += "<w:r>" + hidden + "<w:instrText xml:space=\"preserve\">" + Escape(instruction.substr(at, end - at)) +
               "</w:instrText></w:r>";
        at = end;
    }
    return xml + "<w:r>" + hidden + "<w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string SimpleIndexEntryXml(const std::string& instruction) {
    return "<w:fldSimple w:instr=\"" + Escape(instruction) + "\"/>";
}

std::vector<uint8_t> TinyPng() {
    return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
            0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
            0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF,
            0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
}

DocxBuilder::DocxBuilder(bool defaultStyles) {
    if (!defaultStyles)
        return;
    AddStyle({.id = "Normal", .name = "Normal", .isDefault = true});
    for (int level = 1; level <= 9; ++level)
        AddStyle(
            {.id = "Heading" + std::to_string(level), .name = "heading " + std::to_string(level), .basedOn = "Normal"});
    AddStyle({.id = "Title", .name = "Title", .basedOn = "Normal", .outlineLevel = 0});
    AddStyle({.id = "Hyperlink", .name = "Hyperlink", .type = "character"});
    AddStyle({.id = "Header", .name = "header", .basedOn = "Normal"});
    AddStyle({.id = "Footer", .name = "footer", .basedOn = "Normal"});
}

DocxBuilder& DocxBuilder::AddStyle(const StyleDefinition& style) {
    std::string xml = "<w:style w:type=\"" + style.type + "\" w:styleId=\"" + Escape(style.id) + "\"" +
                      (style.isDefault ? " w:default=\"1\"" : "") + "><w:name w:val=\"" + Escape(style.name) + "\"/>";
    if (!style.basedOn.empty())
        xml += "<w:basedOn w:val=\"" + Escape(style.basedOn) + "\"/>";
    if (style.outlineLevel >= 0 || style.numId >= 0) {
        xml += "<w:pPr>";
        if (style.numId >= 0)
            xml += "<w:numPr><w:ilvl w:val=\"" + std::to_string(style.numLevel) + "\"/><w:numId w:val=\"" +
                   std::to_string(style.numId) + "\"/></w:numPr>";
        if (style.outlineLevel >= 0)
            xml += "<w:outlineLvl w:val=\"" + std::to_string(style.outlineLevel) + "\"/>";
        xml += "</w:pPr>";
    }
    if (style.type == "character" && style.id == "Hyperlink")
        xml += "<w:rPr><w:color w:val=\"0000FF\"/><w:u w:val=\"single\"/></w:rPr>";
    xml += style.properties;
    styles_.push_back(xml + "</w:style>");
    return *this;
}

DocxBuilder& DocxBuilder::SetDocumentDefaults(const std::string& runProperties,
                                              const std::string& paragraphProperties) {
    documentDefaults_ = "<w:docDefaults><w:rPrDefault><w:rPr>" + runProperties +
                        "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>" + paragraphProperties +
                        "</w:pPr></w:pPrDefault></w:docDefaults>";
    return *this;
}

DocxBuilder& DocxBuilder::SetThemeFonts(const ThemeFontCollection& major, const ThemeFontCollection& minor) {
    auto collection = [](const char* element, const ThemeFontCollection& fonts) {
        std::string xml = std::string("<a:") + element + "><a:latin typeface=\"" + Escape(fonts.latin) +
                          "\"/><a:ea typeface=\"" + Escape(fonts.eastAsia) + "\"/><a:cs typeface=\"\"/>";
        for (const auto& [script, typeface] : fonts.scripts)
            xml += "<a:font script=\"" + Escape(script) + "\" typeface=\"" + Escape(typeface) + "\"/>";
        return xml + "</a:" + element + ">";
    };
    themeFonts_ = "<a:fontScheme name=\"Test\">" + collection("majorFont", major) + collection("minorFont", minor) +
                  "</a:fontScheme>";
    return WriteTheme();
}

DocxBuilder& DocxBuilder::SetThemeColors(const std::map<std::string, std::string>& slots) {
    themeColors_ = "<a:clrScheme name=\"Test\">";
    for (const auto& [slot, hex] : slots)
        themeColors_ += "<a:" + slot + "><a:srgbClr val=\"" + hex + "\"/></a:" + slot + ">";
    themeColors_ += "</a:clrScheme>";
    return WriteTheme();
}

DocxBuilder& DocxBuilder::WriteTheme() {
    parts_["word/theme/theme1.xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a:theme "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"Test\"><a:themeElements>" +
        themeColors_ + themeFonts_ + "</a:themeElements></a:theme>";
    if (std::none_of(relationships_.begin(), relationships_.end(),
                     [](const Relationship& relationship) { return relationship.id == "rIdTheme"; }))
        AddDocumentRelationship("rIdTheme", "theme", "theme/theme1.xml");
    return *this;
}

std::string DocxBuilder::RunProperties(const RunStyle& style) const {
    std::string xml;
    if (!style.characterStyle.empty())
        xml += "<w:rStyle w:val=\"" + Escape(style.characterStyle) + "\"/>";
    if (!style.font.empty())
        xml += "<w:rFonts w:ascii=\"" + Escape(style.font) + "\" w:hAnsi=\"" + Escape(style.font) + "\"/>";
    if (style.bold)
        xml += "<w:b/>";
    if (style.italic)
        xml += "<w:i/>";
    if (!style.colorHex.empty())
        xml += "<w:color w:val=\"" + style.colorHex + "\"/>";
    if (style.sizeHalfPoints)
        xml += "<w:sz w:val=\"" + std::to_string(style.sizeHalfPoints) + "\"/>";
    if (!style.highlight.empty())
        xml += "<w:highlight w:val=\"" + Escape(style.highlight) + "\"/>";
    if (!style.shadingHex.empty())
        xml += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + style.shadingHex + "\"/>";
    return xml.empty() ? xml : "<w:rPr>" + xml + "</w:rPr>";
}

std::string DocxBuilder::AddRelationship(const std::string& type, const std::string& target, bool external) {
    const std::string id = "rIdB" + std::to_string(nextId_++);
    relationships_.push_back({id, kRelationshipBase + type, target, external});
    return id;
}

std::string DocxBuilder::RunXml(const Inline& piece) {
    const std::string properties = RunProperties(piece.style);
    const std::string id = std::to_string(nextId_++);
    switch (piece.kind) {
    case Inline::Kind::Text:
        return TextRun(properties, piece.text);
    case Inline::Kind::PageBreak:
        return "<w:r><w:br w:type=\"page\"/></w:r>";
    case Inline::Kind::ColumnBreak:
        return "<w:r><w:br w:type=\"column\"/></w:r>";
    case Inline::Kind::LineBreak:
        return "<w:r><w:br/></w:r>";
    case Inline::Kind::Tab:
        return "<w:r><w:tab/></w:r>";
    case Inline::Kind::Symbol:
        return "<w:r><w:sym w:font=\"" + Escape(piece.target) + "\" w:char=\"" + piece.text + "\"/></w:r>";
    case Inline::Kind::BookmarkStart:
        return "<w:bookmarkStart w:id=\"" + std::to_string(std::hash<std::string>{}(piece.text) % 100000) +
               "\" w:name=\"" + Escape(piece.text) + "\"/>";
    case Inline::Kind::BookmarkEnd:
        return "<w:bookmarkEnd w:id=\"" + std::to_string(std::hash<std::string>{}(piece.text) % 100000) + "\"/>";
    case Inline::Kind::Link: {
        const std::string rel = AddRelationship("hyperlink", piece.target, true);
        return "<w:hyperlink r:id=\"" + rel + "\">" +
               TextRun("<w:rPr><w:rStyle w:val=\"Hyperlink\"/></w:rPr>", piece.text) + "</w:hyperlink>";
    }
    case Inline::Kind::AnchorLink:
        return "<w:hyperlink w:anchor=\"" + Escape(piece.target) + "\">" +
               TextRun("<w:rPr><w:rStyle w:val=\"Hyperlink\"/></w:rPr>", piece.text) + "</w:hyperlink>";
    case Inline::Kind::Field:
        return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">" +
               Escape(piece.target) + "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" +
               TextRun(properties, piece.text) + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    case Inline::Kind::SimpleField:
        return "<w:fldSimple w:instr=\"" + Escape(piece.target) + "\">" + TextRun(properties, piece.text) +
               "</w:fldSimple>";
    case Inline::Kind::Picture: {
        const std::string part = "media/image" + id + "." + piece.extension;
        parts_["word/" + part] = std::string(piece.bytes.begin(), piece.bytes.end());
        const std::string rel = AddRelationship("image", part, false);
        if (!piece.vmlStyle.empty())
            return "<w:r><w:pict><v:shape style=\"" + Escape(piece.vmlStyle) + "\"><v:imagedata r:id=\"" + rel +
                   "\"/></v:shape></w:pict></w:r>";
        const std::string graphic =
            "<wp:extent cx=\"" + std::to_string(piece.widthEmu) + "\" cy=\"" + std::to_string(piece.heightEmu) +
            "\"/><wp:docPr id=\"" + id + "\" name=\"Picture " + id + "\" descr=\"picture " + id +
            "\"/><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
            "<pic:pic><pic:blipFill><a:blip r:embed=\"" +
            rel + "\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic>";
        return std::string("<w:r><w:drawing>") + (piece.anchored ? "<wp:anchor>" : "<wp:inline>") + graphic +
               (piece.anchored ? "</wp:anchor>" : "</wp:inline>") + "</w:drawing></w:r>";
    }
    case Inline::Kind::Chart: {
        const std::string part = "charts/chart" + id + ".xml";
        parts_["word/" + part] = piece.text;
        const std::string rel = AddRelationship("chart", part, false);
        return "<w:r><w:drawing><wp:inline><wp:extent cx=\"" + std::to_string(piece.widthEmu) + "\" cy=\"" +
               std::to_string(piece.heightEmu) + "\"/><wp:docPr id=\"" + id + "\" name=\"Chart " + id +
               "\"/><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
               "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"" +
               rel + "\"/></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
    }
    case Inline::Kind::Footnote:
    case Inline::Kind::Endnote: {
        const bool foot = piece.kind == Inline::Kind::Footnote;
        auto& notes = foot ? footnotes_ : endnotes_;
        const std::string noteId = std::to_string(notes.size() + 1);
        const char* element = foot ? "footnote" : "endnote";
        const std::string content = piece.target.empty() ? TextRun("", piece.text) : piece.target;
        notes.push_back(std::string("<w:") + element + " w:id=\"" + noteId + "\"><w:p>" + content +
                        "</w:p></w:" + element + ">");
        return std::string("<w:r><w:") + element + "Reference w:id=\"" + noteId + "\"/></w:r>";
    }
    case Inline::Kind::TextBox:
        return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor><wp:extent cx=\"1\" "
               "cy=\"1\"/><a:graphic><a:graphicData><wps:wsp>"
               "<wps:spPr>" +
               piece.shapeProperties + "</wps:spPr>" + piece.shapeStyle + "<wps:txbx><w:txbxContent><w:p>" +
               TextRun("", piece.text) +
               "</w:p></w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing>"
               "</mc:Choice><mc:Fallback><w:pict><v:shape " +
               piece.vmlAttributes + "><v:textbox><w:txbxContent><w:p>" + TextRun("", piece.text) +
               "</w:p></w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>"
               "</mc:AlternateContent></w:r>";
    case Inline::Kind::RawXml:
        return piece.text;
    }
    return {};
}

DocxBuilder& DocxBuilder::AddParagraph(const std::vector<Inline>& content, const ParagraphOptions& options) {
    std::string properties;
    if (!options.style.empty())
        properties += "<w:pStyle w:val=\"" + Escape(options.style) + "\"/>";
    if (options.numId >= 0)
        properties += "<w:numPr><w:ilvl w:val=\"" + std::to_string(options.numLevel) + "\"/><w:numId w:val=\"" +
                      std::to_string(options.numId) + "\"/></w:numPr>";
    if (options.outlineLevel >= 0)
        properties += "<w:outlineLvl w:val=\"" + std::to_string(options.outlineLevel) + "\"/>";
    body_ += "<w:p>" + (properties.empty() ? std::string() : "<w:pPr>" + properties + "</w:pPr>");
    for (const Inline& piece : content)
        body_ += RunXml(piece);
    body_ += "</w:p>";
    return *this;
}

DocxBuilder& DocxBuilder::AddParagraph(const std::string& text, const ParagraphOptions& options) {
    return AddParagraph(text.empty() ? std::vector<Inline>{} : std::vector<Inline>{Text(text)}, options);
}

DocxBuilder& DocxBuilder::AddHeading(int level, const std::string& text) {
    return AddParagraph(text, {.style = "Heading" + std::to_string(level)});
}

DocxBuilder& DocxBuilder::AddTable(const std::vector<std::vector<TableCell>>& rows, const TableOptions& options) {
    body_ += "<w:tbl><w:tblPr>" + options.properties + "</w:tblPr><w:tblGrid>";
    for (int width : options.gridColumns)
        body_ += "<w:gridCol w:w=\"" + std::to_string(width) + "\"/>";
    body_ += "</w:tblGrid>";
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        body_ += "<w:tr>";
        if (r < options.rowProperties.size())
            body_ += "<w:trPr>" + options.rowProperties[r] + "</w:trPr>";
        for (const TableCell& cell : row) {
            body_ += "<w:tc><w:tcPr>";
            if (cell.gridSpan > 1)
                body_ += "<w:gridSpan w:val=\"" + std::to_string(cell.gridSpan) + "\"/>";
            if (!cell.verticalMerge.empty())
                body_ += cell.verticalMerge == "restart" ? "<w:vMerge w:val=\"restart\"/>" : "<w:vMerge/>";
            body_ += cell.properties + "</w:tcPr>" + ParagraphsXml(cell.paragraphs) +
                     (cell.paragraphXml.empty() ? "" : "<w:p>" + cell.paragraphXml + "</w:p>") + cell.nestedTableXml;
            if (!cell.nestedTableXml.empty())
                body_ += "<w:p/>";
            body_ += "</w:tc>";
        }
        body_ += "</w:tr>";
    }
    body_ += "</w:tbl>";
    return *this;
}

DocxBuilder& DocxBuilder::AddBodyXml(const std::string& xml) {
    body_ += xml;
    return *this;
}

DocxBuilder& DocxBuilder::AddAbstractList(int abstractId, const std::vector<ListLevel>& levels) {
    std::string xml = "<w:abstractNum w:abstractNumId=\"" + std::to_string(abstractId) + "\">";
    for (size_t i = 0; i < levels.size(); ++i) {
        const ListLevel& level = levels[i];
        xml += "<w:lvl w:ilvl=\"" + std::to_string(i) + "\"><w:start w:val=\"" + std::to_string(level.start) + "\"/>";
        if (!level.format.empty())
            xml += "<w:numFmt w:val=\"" + level.format + "\"/>";
        if (level.restartAfter >= 0)
            xml += "<w:lvlRestart w:val=\"" + std::to_string(level.restartAfter) + "\"/>";
        if (!level.style.empty())
            xml += "<w:pStyle w:val=\"" + Escape(level.style) + "\"/>";
        if (level.legal)
            xml += "<w:isLgl/>";
        xml += "<w:lvlText w:val=\"" + Escape(level.text) + "\"/>" + level.properties + "</w:lvl>";
    }
    abstractLists_.push_back(xml + "</w:abstractNum>");
    return *this;
}

DocxBuilder& DocxBuilder::AddList(int numId, int abstractId, const std::map<int, int>& startOverrides) {
    std::string xml = "<w:num w:numId=\"" + std::to_string(numId) + "\"><w:abstractNumId w:val=\"" +
                      std::to_string(abstractId) + "\"/>";
    for (const auto& [level, start] : startOverrides)
        xml += "<w:lvlOverride w:ilvl=\"" + std::to_string(level) + "\"><w:startOverride w:val=\"" +
               std::to_string(start) + "\"/></w:lvlOverride>";
    lists_.push_back(xml + "</w:num>");
    return *this;
}

DocxBuilder& DocxBuilder::SetHeader(const std::string& text) {
    const std::string part = "header" + std::to_string(nextId_++) + ".xml";
    parts_["word/" + part] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:hdr") + kNamespaces +
                             "><w:p><w:pPr><w:pStyle w:val=\"Header\"/></w:pPr>" + TextRun("", text) + "</w:p></w:hdr>";
    sectionReferences_ +=
        "<w:headerReference w:type=\"default\" r:id=\"" + AddRelationship("header", part, false) + "\"/>";
    return *this;
}

DocxBuilder& DocxBuilder::SetFooter(const std::string& text) {
    const std::string part = "footer" + std::to_string(nextId_++) + ".xml";
    parts_["word/" + part] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:ftr") + kNamespaces +
                             "><w:p><w:pPr><w:pStyle w:val=\"Footer\"/></w:pPr>" + TextRun("", text) + "</w:p></w:ftr>";
    sectionReferences_ +=
        "<w:footerReference w:type=\"default\" r:id=\"" + AddRelationship("footer", part, false) + "\"/>";
    return *this;
}

DocxBuilder& DocxBuilder::EndSection() {
    body_ += "<w:p><w:pPr><w:sectPr>" + sectionReferences_ + "</w:sectPr></w:pPr></w:p>";
    sectionReferences_.clear();
    return *this;
}

DocxBuilder& DocxBuilder::SetPart(const std::string& name, std::string bytes) {
    overrides_[name] = std::move(bytes);
    return *this;
}

DocxBuilder& DocxBuilder::RemovePart(const std::string& name) {
    removed_.push_back(name);
    return *this;
}

DocxBuilder& DocxBuilder::AddDocumentRelationship(const std::string& id, const std::string& type,
                                                  const std::string& target, bool external) {
    relationships_.push_back({id, kRelationshipBase + type, target, external});
    return *this;
}

std::string DocxBuilder::DocumentXml() const {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document") + kNamespaces +
           "><w:body>" + body_ + "<w:sectPr>" + sectionReferences_ + "</w:sectPr></w:body></w:document>";
}

std::string DocxBuilder::Build() const {
    std::map<std::string, std::string> parts = parts_;
    parts["[Content_Types].xml"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
        "ContentType=\"application/xml\"/><Default Extension=\"png\" ContentType=\"image/png\"/><Override "
        "PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>";
    for (const auto& [name, bytes] : parts_)
        if (name.starts_with("word/charts/"))
            parts["[Content_Types].xml"] += "<Override PartName=\"/" + name +
                                            "\" ContentType=\"application/"
                                            "vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>";
    parts["[Content_Types].xml"] += "</Types>";
    parts["_rels/.rels"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                       "<Relationship Id=\"rId1\" Type=\"") +
                           kRelationshipBase + "officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    parts["word/document.xml"] = DocumentXml();
    std::string styles;
    for (const std::string& style : styles_)
        styles += style;
    parts["word/styles.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:styles") + kNamespaces + ">" +
                               documentDefaults_ + styles + "</w:styles>";

    std::string relationships = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    auto relationship = [&](const std::string& id, const std::string& type, const std::string& target, bool external) {
        relationships += "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + Escape(target) + "\"" +
                         (external ? " TargetMode=\"External\"" : "") + "/>";
    };
    relationship("rIdStyles", std::string(kRelationshipBase) + "styles", "styles.xml", false);
    if (!abstractLists_.empty() || !lists_.empty()) {
        std::string numbering;
        for (const std::string& list : abstractLists_)
            numbering += list;
        for (const std::string& list : lists_)
            numbering += list;
        parts["word/numbering.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:numbering") +
                                      kNamespaces + ">" + numbering + "</w:numbering>";
        relationship("rIdNumbering", std::string(kRelationshipBase) + "numbering", "numbering.xml", false);
    }
    for (const auto& [notes, element] : {std::pair{&footnotes_, "footnotes"}, std::pair{&endnotes_, "endnotes"}}) {
        if (notes->empty())
            continue;
        std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:") + element + kNamespaces + ">";
        for (const std::string& note : *notes)
            xml += note;
        parts[std::string("word/") + element + ".xml"] = xml + "</w:" + element + ">";
        relationship(std::string("rId") + element, std::string(kRelationshipBase) + element,
                     std::string(element) + ".xml", false);
    }
    for (const Relationship& r : relationships_)
        relationship(r.id, r.type, r.target, r.external);
    parts["word/_rels/document.xml.rels"] = relationships + "</Relationships>";

    for (const auto& [name, bytes] : overrides_)
        parts[name] = bytes;
    for (const std::string& name : removed_)
        parts.erase(name);

    // Written into memory through libzip, deflated as Word does.
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("the .docx builder cannot make a zip");
    zip_source_keep(buffer);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* data = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), data, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            throw std::runtime_error("the .docx builder cannot add " + name);
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("the .docx builder cannot write the zip");
    std::string out;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    out.resize(static_cast<size_t>(zip_source_tell(buffer)));
    zip_source_seek(buffer, 0, SEEK_SET);
    zip_source_read(buffer, out.data(), out.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return out;
}

void DocxBuilder::Save(const std::filesystem::path& path) const {
    const std::string bytes = Build();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace docx
