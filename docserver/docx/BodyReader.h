#pragma once
// Reads block content (a body, header, footer or note) into a story: a table of element handlers plus an explicit
// list of what is skipped. Unknown elements are looked through, so new wrappers do not lose their text; oddities are
// collected as warnings, only structural failures (nesting too deep, parts too large) stop the read.

#include "docserver/docx/DrawingColor.h"
#include "docserver/model/DocumentModel.h"
#include "docserver/package/Relationships.h"

#include <pugixml.hpp>

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ZipPackage;

struct PartContext {
    std::shared_ptr<ZipPackage> package;
    const RelationshipsResult* relationships = nullptr;
    std::string partName;
    const ThemeColorScheme* themeColors = nullptr; // for shapes' theme colours; none known when null
};

class BodyReader {
public:
    BodyReader(Document& document, Story& story, PartContext context);

    // Notes already read, by their w:id, so references can point at their stories.
    void SetNoteStories(const std::map<std::string, int>* footnotes, const std::map<std::string, int>* endnotes);

    // Reads the children of container (w:body, w:hdr, w:ftr, w:footnote) and closes the story with its final mark.
    bool Read(const pugi::xml_node& container);
    // The container's blocks are removed from the tree once read, so the tree's memory goes to the model as it grows;
    // blocks holding section properties or text boxes, which are read afterwards, stay. Only for a tree read once.
    void FreeBlocksAsRead() { freeBlocksAsRead_ = true; }
    const std::string& message() const { return message_; }
    // The section properties met in the body, in order; paragraphs carry the index of the section they end in.
    const std::vector<pugi::xml_node>& sectionProperties() const { return sectionProperties_; }
    // Text boxes met, with their anchor positions; their text is read into stories of their own afterwards.
    struct PendingTextBox {
        pugi::xml_node content; // w:txbxContent
        int32_t position = 0;
        int32_t fill = -1;       // the box's background colour, -1 for none
        BorderLine outline;      // the box's line, kind 0 for none
        bool chartLabel = false; // a chart shown as its title: the text starts with the label "[Chart"
    };
    const std::vector<PendingTextBox>& textBoxes() const { return textBoxes_; }

private:
    struct OpenField {
        std::u16string instruction;
        int32_t resultStart = -1; // -1 while the instruction is being read
    };

    void ReadBlocks(const pugi::xml_node& container, int depth);
    void ReadBlock(const pugi::xml_node& node, int depth);
    void ReadParagraph(const pugi::xml_node& paragraph, int depth);
    void ReadTable(const pugi::xml_node& table, int depth);
    void ReadInline(const pugi::xml_node& node, const RunFormat& inherited, int depth);
    void ReadRun(const pugi::xml_node& run, int depth);
    void ReadDrawing(const pugi::xml_node& node, const RunFormat& format, int depth);
    void ReadHyperlink(const pugi::xml_node& link, const RunFormat& inherited, int depth);
    void ReadBookmarkStart(const pugi::xml_node& node);
    void ReadBookmarkEnd(const pugi::xml_node& node);
    void BeginField(const std::u16string& instruction);
    void SeparateField();
    void EndField();
    void FieldBecomesLink(const std::u16string& instruction, int32_t start, int32_t end);
    // False when the picture could not be added (the reading failed).
    bool AddPicture(const std::string& relationshipId, bool anchored, const pugi::xml_node& drawing,
                    const RunFormat& format);
    // Charts and diagrams (SmartArt) keep their content in parts of their own. A chart is drawn as a picture from
    // the values its part keeps; one that cannot be drawn, and a diagram, is shown as a box after the paragraph: a
    // diagram's text in the order of its data, a chart's title. True when the graphic was one of them.
    bool ReadGraphicPart(const pugi::xml_node& graphicData, const pugi::xml_node& drawing, const RunFormat& format);
    bool ReadChartPart(const pugi::xml_node& graphicData, const pugi::xml_node& drawing, const RunFormat& format);
    // A picture's place and size as its wp:inline or wp:anchor gives them.
    PictureSpan PictureOfDrawing(const pugi::xml_node& drawing) const;
    void PlacePicture(PictureSpan picture, const RunFormat& format);
    // The bytes of picture.part: held, or checked and left in the package when it reads from its file.
    Status ReadPictureBytes(PictureSpan& picture) const;
    // The parsed part a relationship of this part names, or null (with a warning when it is missing or unreadable).
    const pugi::xml_document* RelatedPart(const std::string& relationshipId, std::string& partName);
    // chartLabel: the box stands for a chart not drawn, its first line "[Chart: title]".
    void AddTextBoxOfLines(const std::vector<std::string>& lines, bool chartLabel = false);
    void Append(const std::u16string& text, const RunFormat& format);
    // Text as the document shows it; what is not valid UTF-8 becomes U+FFFD, with a warning that quotes it.
    std::u16string ShownText(const char* utf8);
    // True while any open field is still reading its code: a field nested in another's code shows nothing either.
    bool InFieldInstruction() const;
    bool TooDeep(int depth);
    int32_t Position() const { return static_cast<int32_t>(story_.text.size()); }

    Document& document_;
    Story& story_;
    PartContext context_;
    const std::map<std::string, int>* footnotes_ = nullptr;
    const std::map<std::string, int>* endnotes_ = nullptr;
    std::vector<OpenField> fields_;
    std::map<std::string, BookmarkSpan> openBookmarks_; // by w:id
    std::vector<pugi::xml_node> sectionProperties_;
    std::vector<PendingTextBox> textBoxes_;
    bool freeBlocksAsRead_ = false;
    std::list<pugi::xml_document> madeParts_; // related parts read, and the text made of them for boxes
    // Each distinct format of the story once, shared by the paragraphs and runs that carry it.
    FormatPool<ParagraphFormat, FormatHash> paragraphFormats_;
    FormatPool<RunFormat, FormatHash> runFormats_;
    int tableDepth_ = 0;
    bool failed_ = false;
    std::string message_;
};

// A field instruction's words: HYPERLINK "a b" \l "x" -> HYPERLINK, a b, \l, x.
std::vector<std::u16string> SplitFieldInstruction(const std::u16string& instruction);
