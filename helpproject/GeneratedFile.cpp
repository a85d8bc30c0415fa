#include "GeneratedFile.h"

#include "automation/CodePage.h"
#include "base/CodePageText.h"
#include "base/HtmlEscape.h"
#include "base/NativeFile.h"

#include <cstdint>

namespace {

// Names are checked as characters, not bytes: the second byte of a double-byte character may be 0x5C or 0x7C.
bool IsForbiddenInName(char16_t c) {
    if (c < 0x20 || c == 0x7F)
        return true;
    switch (c) {
    case u'/':
    case u'\\':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return false;
    }
}

// Leaves room for the extension within the 255 bytes a name may have, even at four bytes a character.
constexpr size_t kMaxStemCharacters = 60;

} // namespace

bool IsPortableFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    const auto wide = NarrowToWide(name);
    if (!wide)
        return false;
    for (char16_t c : *wide)
        if (IsForbiddenInName(c))
            return false;
    return true;
}

std::string PortableFileStem(const std::string& title) {
    const std::string fallback = "help";
    std::u16string wide = NarrowToWide(title).value_or(u"");
    for (char16_t& c : wide)
        if (IsForbiddenInName(c))
            c = u'_';
    if (wide.size() > kMaxStemCharacters) {
        size_t cut = kMaxStemCharacters;
        if (wide[cut - 1] >= 0xD800 && wide[cut - 1] <= 0xDBFF)
            --cut; // never half a surrogate pair
        wide.resize(cut);
    }
    const size_t first = wide.find_first_not_of(u" .");
    if (first == std::u16string::npos)
        return fallback;
    wide = wide.substr(first, wide.find_last_not_of(u" .") - first + 1);
    return WideToNarrow(wide).value_or(fallback);
}

std::string EscapedHelpText(const std::string& narrow, uint32_t codePage) {
    return Utf8ToCodePagePlain(codePage, EscapedHtmlAttribute(narrow));
}

std::string HelpFileName(const std::string& narrow, uint32_t codePage) {
    return Utf8ToCodePageWithReferences(codePage, HeldBy::CodePage, narrow);
}

bool WriteLineList(const LineList& lines, const std::string& folder, const std::string& path) {
    if (path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0 || path[folder.size()] != '/')
        return false;
    if (!IsPortableFileName(path.substr(folder.size() + 1)))
        return false;
    const auto fsPath = NarrowToPath(path);
    if (!fsPath)
        return false;

    std::string bytes;
    for (const std::string& line : lines) {
        for (char c : line)
            if (c != '\r' && c != '\n')
                bytes.push_back(c);
        bytes += "\r\n";
    }
    const int fd = OpenFileForWriting(*fsPath);
    if (fd < 0)
        return false;
    const bool written = WriteToFile(fd, bytes.data(), bytes.size());
    return CloseFile(fd) && written;
}
