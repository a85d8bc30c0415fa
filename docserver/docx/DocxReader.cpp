#include "DocxReader.h"

#include "docserver/docx/BodyReader.h"
#include "docserver/docx/NumberingReader.h"
#include "docserver/docx/StylesReader.h"
#include "docserver/docx/ThemeFonts.h"
#include "docserver/model/BlankDocument.h"
#include "docserver/package/Relationships.h"
#include "docserver/package/XmlPart.h"
#include "docserver/package/ZipPackage.h"

#include <memory>

namespace {

class DocxReader {
public:
    explicit DocxReader(DocxReadResult& result) : result_(result), document_(result.document) {}

    // Reads the package that open opens.
    template <typename Open> bool Read(Open open) {
        if (Status opened = open(*package_); !opened.ok())
            return Fail(std::move(opened));
        PackagePartResult rootRelationships = package_->ReadPart("_rels/.rels");
        std::string mainPart = "word/document.xml";
        if (rootRelationships.status.ok()) {
            RelationshipsResult relationships = ParseRelationships(rootRelationships.data, "");
            if (!relationships.status.ok())
                return Fail(relationships.status);
            if (const Relationship* main = FindRelationshipByType(relationships, "/officeDocument")) {
                if (main->outsidePackage || main->external)
                    return Fail(StatusCode::Damaged,
                                "the package's main document relationship points outside the package (" + main->target +
                                    ")");
                mainPart = main->target;
            } else {
                return Fail(StatusCode::NotThisFormat,
                            "the package holds no main document (it is not a Word document)");
            }
        } else if (rootRelationships.status.code != StatusCode::Missing) {
            return Fail(rootRelationships.status);
        } else if (!package_->HasPart(mainPart)) {
            return Fail(StatusCode::NotThisFormat, "the package holds no Word document part");
        }

        PackagePartResult main = package_->ReadPart(mainPart);
        if (!main.status.ok())
            return Fail(main.status);
        if (!ReadRelationshipsOf(mainPart, mainRelationships_))
            return false;

        if (!ReadAuxiliaryParts())
            return false;

        // The tree's text is the part's own bytes, which live as long as it does.
        pugi::xml_document xml;
        if (Status parsed = ParseXmlPartInPlace(xml, main.data, mainPart); !parsed.ok())
            return Fail(std::move(parsed));
        if (!IsElement(xml.document_element(), "document"))
            return Fail(StatusCode::NotThisFormat, "its main part is not a Word document body");
        const pugi::xml_node body = Child(xml.document_element(), "body");
        if (!body)
            return Fail(StatusCode::Damaged, "its main part /" + mainPart + " has no body");

        document_.stories.insert(document_.stories.begin(), Story{});
        // Stories read before the body (notes) moved up by one.
        for (auto* notes : {&footnotes_, &endnotes_})
            for (auto& [id, index] : *notes)
                ++index;
        BodyReader reader(document_, document_.stories[kMainStory],
                          PartContext{package_, &mainRelationships_, mainPart, &themeColors_});
        reader.SetNoteStories(&footnotes_, &endnotes_);
        reader.FreeBlocksAsRead();
        if (!reader.Read(body))
            return Fail(StatusCode::Damaged, reader.message());
        if (!ReadTextBoxes(reader, mainPart))
            return false;
        return ReadSections(reader.sectionProperties());
    }

private:
    bool Fail(Status status) {
        result_.status = std::move(status);
        return false;
    }
    bool Fail(StatusCode code, std::string message) { return Fail(Failure(code, std::move(message))); }

    bool ReadRelationshipsOf(const std::string& part, RelationshipsResult& relationships) {
        PackagePartResult data = package_->ReadPart(RelationshipsPartName(part));
        if (data.status.code == StatusCode::Missing)
            return true;
        if (!data.status.ok())
            return Fail(data.status);
        relationships = ParseRelationships(data.data, part);
        if (!relationships.status.ok())
            return Fail(relationships.status);
        for (const auto& [id, relationship] : relationships.byId)
            if (relationship.outsidePackage)
                return Fail(StatusCode::Damaged,
                            "a relationship of /" + part + " points outside the package (" + relationship.target + ")");
        return true;
    }

    // A part named by one of the main part's relationships; empty data when there is none.
    bool ReadRelatedPart(const std::string& typeSuffix, std::string& partName, std::string& data) {
        const Relationship* relationship = FindRelationshipByType(mainRelationships_, typeSuffix);
        if (!relationship || relationship->external)
            return true;
        PackagePartResult part = package_->ReadPart(relationship->target);
        if (part.status.code == StatusCode::Missing) {
            document_.warnings.push_back(part.status.message);
            return true;
        }
        if (!part.status.ok())
            return Fail(part.status);
        partName = relationship->target;
        data = std::move(part.data);
        return true;
    }

    // The theme names fonts and the colours shapes use: a theme that is missing or unreadable leaves text in the
    // fonts it names itself and theme colours unknown.
    ThemeFontScheme ReadTheme() {
        const Relationship* relationship = FindRelationshipByType(mainRelationships_, "/theme");
        if (!relationship || relationship->external)
            return {};
        PackagePartResult part = package_->ReadPart(relationship->target);
        if (!part.status.ok())
            return {};
        themeColors_ = ReadThemeColorScheme(part.data);
        return ReadThemeFontScheme(part.data);
    }

    bool ReadAuxiliaryParts() {
        const ThemeFontScheme theme = ReadTheme();
        document_.themeFonts = ResolveThemeFonts(theme, "");
        std::string name, data;
        if (!ReadRelatedPart("/styles", name, data))
            return false;
        if (!data.empty()) {
            if (Status styles = ReadStyles(data, theme, themeColors_, document_); !styles.ok())
                return Fail(std::move(styles));
        }
        AddMissingDefaultStyles(document_);
        data.clear();
        if (!ReadRelatedPart("/numbering", name, data))
            return false;
        if (!data.empty()) {
            if (Status numbering = ReadNumbering(data, document_.numbering); !numbering.ok())
                return Fail(std::move(numbering));
        }
        return ReadNotes("/footnotes", "footnote", footnotes_) && ReadNotes("/endnotes", "endnote", endnotes_);
    }

    bool ReadNotes(const std::string& typeSuffix, const char* element, std::map<std::string, int>& notes) {
        std::string name, data;
        if (!ReadRelatedPart(typeSuffix, name, data))
            return false;
        if (data.empty())
            return true;
        pugi::xml_document xml;
        if (Status parsed = ParseXmlPart(xml, data, name); !parsed.ok())
            return Fail(std::move(parsed));
        RelationshipsResult relationships;
        if (!ReadRelationshipsOf(name, relationships))
            return false;
        auto& kept = noteRelationships_.emplace_back(std::make_unique<RelationshipsResult>(std::move(relationships)));
        for (pugi::xml_node note : xml.document_element().children()) {
            const std::string type = AttributeText(note, "type");
            if (!IsElement(note, element) || (!type.empty() && type != "normal"))
                continue; // separators are Word's page furniture, not notes
            document_.stories.emplace_back();
            BodyReader reader(document_, document_.stories.back(),
                              PartContext{package_, kept.get(), name, &themeColors_});
            if (!reader.Read(note))
                return Fail(StatusCode::Damaged, reader.message());
            notes[AttributeText(note, "id")] = static_cast<int>(document_.stories.size()) - 1;
        }
        return true;
    }

    // Each text box of the main text becomes a story anchored where the box was met. Boxes inside boxes stay out.
    bool ReadTextBoxes(const BodyReader& mainReader, const std::string& mainPart) {
        for (const BodyReader::PendingTextBox& box : mainReader.textBoxes()) {
            document_.stories.emplace_back();
            const int index = static_cast<int>(document_.stories.size()) - 1;
            BodyReader reader(document_, document_.stories.back(),
                              PartContext{package_, &mainRelationships_, mainPart, &themeColors_});
            reader.SetNoteStories(&footnotes_, &endnotes_);
            if (!reader.Read(box.content))
                return Fail(StatusCode::Damaged, reader.message());
            document_.stories[kMainStory].textBoxes.push_back(
                TextBoxSpan{box.position, box.position, index, box.fill, box.outline, box.chartLabel});
        }
        return true;
    }

    int ReadHeaderFooter(const std::string& relationshipId) {
        const auto found = mainRelationships_.byId.find(relationshipId);
        if (found == mainRelationships_.byId.end() || found->second.external)
            return -1;
        const std::string& part = found->second.target;
        if (auto cached = headerStories_.find(part); cached != headerStories_.end())
            return cached->second;
        PackagePartResult data = package_->ReadPart(part);
        if (!data.status.ok()) {
            if (data.status.code != StatusCode::Missing)
                Fail(data.status);
            else
                document_.warnings.push_back(data.status.message);
            return -1;
        }
        pugi::xml_document xml;
        if (Status parsed = ParseXmlPart(xml, data.data, part); !parsed.ok()) {
            Fail(std::move(parsed));
            return -1;
        }
        RelationshipsResult relationships;
        if (!ReadRelationshipsOf(part, relationships))
            return -1;
        document_.stories.emplace_back();
        const int index = static_cast<int>(document_.stories.size()) - 1;
        BodyReader reader(document_, document_.stories.back(),
                          PartContext{package_, &relationships, part, &themeColors_});
        if (!reader.Read(xml.document_element())) {
            Fail(StatusCode::Damaged, reader.message());
            return -1;
        }
        headerStories_[part] = index;
        return index;
    }

    bool ReadSections(const std::vector<pugi::xml_node>& properties) {
        for (const pugi::xml_node& sectPr : properties) {
            Section section;
            for (pugi::xml_node reference : sectPr.children()) {
                const bool header = IsElement(reference, "headerReference");
                if (!header && !IsElement(reference, "footerReference"))
                    continue;
                const std::string type = AttributeText(reference, "type");
                const int kind = type == "first"  ? kHeaderFooterFirstPage
                                 : type == "even" ? kHeaderFooterEvenPages
                                                  : kHeaderFooterPrimary;
                const int story = ReadHeaderFooter(AttributeText(reference, "id"));
                if (!result_.status.ok())
                    return false;
                (header ? section.headers : section.footers)[kind] = story;
            }
            document_.sections.push_back(section);
        }
        if (document_.sections.empty())
            document_.sections.emplace_back();
        // A section without its own header or footer shows the previous section's.
        for (size_t i = 1; i < document_.sections.size(); ++i)
            for (int kind = kHeaderFooterPrimary; kind <= kHeaderFooterEvenPages; ++kind) {
                Section& section = document_.sections[i];
                const Section& previous = document_.sections[i - 1];
                if (section.headers[kind] < 0)
                    section.headers[kind] = previous.headers[kind];
                if (section.footers[kind] < 0)
                    section.footers[kind] = previous.footers[kind];
            }
        const int last = static_cast<int>(document_.sections.size()) - 1;
        for (ParagraphEntry& paragraph : document_.stories[kMainStory].paragraphs)
            paragraph.section = std::min(paragraph.section, last);
        return true;
    }

    DocxReadResult& result_;
    Document& document_;
    // Shared with the pictures, which read their bytes from it as pages are saved.
    std::shared_ptr<ZipPackage> package_ = std::make_shared<ZipPackage>();
    RelationshipsResult mainRelationships_;
    ThemeColorScheme themeColors_; // the theme's colour scheme, for shapes
    std::vector<std::unique_ptr<RelationshipsResult>> noteRelationships_;
    std::map<std::string, int> footnotes_;
    std::map<std::string, int> endnotes_;
    std::map<std::string, int> headerStories_;
};

} // namespace

DocxReadResult ReadDocx(std::string bytes) {
    DocxReadResult result;
    DocxReader reader(result);
    if (!reader.Read([&](ZipPackage& package) { return package.Open(std::move(bytes)); }))
        result.document = Document{};
    return result;
}

DocxReadResult ReadDocxFile(const std::filesystem::path& path) {
    DocxReadResult result;
    DocxReader reader(result);
    if (!reader.Read([&](ZipPackage& package) { return package.OpenFile(path); }))
        result.document = Document{};
    return result;
}
