#include "CodePageText.h"

#include "Charset.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct CodePageNames {
    uint32_t codePage;
    const char* viewer;  // the code page as the viewer decodes it
    const char* strict;  // the strict set of the page charset, or null when it is the code page itself
    const char* charset; // what a page declares
};

constexpr CodePageNames kCodePages[] = {
    {1250, "CP1250", nullptr, "windows-1250"},  {1251, "CP1251", nullptr, "windows-1251"},
    {1252, "CP1252", nullptr, "windows-1252"},  {1253, "CP1253", nullptr, "windows-1253"},
    {1254, "CP1254", nullptr, "windows-1254"},  {1257, "CP1257", nullptr, "windows-1257"},
    {932, "CP932", "SHIFT_JIS", "shift_jis"},   {936, "CP936", "GB2312", "gb2312"},
    {949, "CP949", "EUC-KR", "ks_c_5601-1987"}, {950, "CP950", "BIG5", "big5"},
};

const CodePageNames* NamesOf(uint32_t codePage) {
    for (const CodePageNames& names : kCodePages)
        if (names.codePage == codePage)
            return &names;
    return nullptr;
}

// Through the platform's converter. Each character is asked at most once per code page (the tables below keep the
// answers), and no converter is kept open: a library holding per-thread objects could not be unloaded on Windows.
std::optional<std::string> Convert(const std::string& to, const std::string& from, std::string_view input) {
    return ConvertCharset(from, to, input);
}

std::string Utf8Of(char32_t character) {
    std::string utf8;
    AppendUtf8(utf8, character);
    return utf8;
}

// Pairs the strict decoders of a page charset read otherwise than the code page, or not at all, though the
// converter's strict table agrees with the code page: Big5's later extensions (ETEN's C6A1-C8FE and F9D6-F9FE,
// the euro) and a few symbols Big5 tables map apart, Shift_JIS's ¢ £ ¬, and a Hangul filler.
bool StrictReadersDisagree(uint32_t codePage, const std::string& bytes) {
    if (bytes.size() != 2)
        return false;
    const unsigned pair = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
    switch (codePage) {
    case 950: {
        static constexpr unsigned kApart[] = {0xA145, 0xA14E, 0xA1C2, 0xA1E3, 0xA1F2, 0xA1F3,
                                              0xA241, 0xA242, 0xA244, 0xA246, 0xA247, 0xA3E1};
        return (pair >= 0xC6A1 && pair <= 0xC8FE) || (pair >= 0xF9D6 && pair <= 0xF9FE) ||
               std::find(std::begin(kApart), std::end(kApart), pair) != std::end(kApart);
    }
    case 932:
        return pair == 0x8191 || pair == 0x8192 || pair == 0x81CA;
    case 949:
        return pair == 0xA4D4;
    default:
        return false;
    }
}

// A character's bytes in the code page when the viewer reads the same character back from them (and, for a
// page, every strict decoder of its charset too), or nothing.
std::optional<std::string> ComputeBytes(const CodePageNames& names, HeldBy heldBy, char32_t character) {
    const std::string utf8 = Utf8Of(character);
    std::optional<std::string> bytes = Convert(names.viewer, "UTF-8", utf8);
    if (!bytes || bytes->empty() || bytes->size() > 2 || Convert("UTF-8", names.viewer, *bytes) != utf8)
        return std::nullopt;
    // GB18030 readers take the code page's file too: both must agree on the bytes.
    if (names.codePage == 936 && Convert("GB18030", "UTF-8", utf8) != bytes)
        return std::nullopt;
    // A strict reader may map a pair to a variant of the character (GB2312's A1AA is U+2015 there, the em dash
    // in 936), but it must read every pair.
    if (heldBy == HeldBy::PageCharset && names.strict) {
        const std::optional<std::string> read = Convert("UTF-8", names.strict, *bytes);
        if (!read || Utf8ToUtf16(*read).size() != 1 || Utf8ToUtf16(*read)[0] < 0xA0 ||
            Convert(names.strict, "UTF-8", *read) != bytes || StrictReadersDisagree(names.codePage, *bytes))
            return std::nullopt;
    }
    return bytes;
}

constexpr uint32_t kNotHeld = 1;

// Pages go through here a character at a time: each character is looked up in the converter once per code
// page and set, and from then on in this table (0 not yet known; else the length above the two bytes).
class ByteTable {
public:
    ByteTable(const CodePageNames& names, HeldBy heldBy) : names_(names), heldBy_(heldBy) {}

    uint32_t Entry(char16_t character) {
        std::atomic<uint32_t>& slot = known_[character];
        uint32_t entry = slot.load(std::memory_order_relaxed);
        if (entry == 0) {
            const std::optional<std::string> bytes = ComputeBytes(names_, heldBy_, character);
            entry = kNotHeld;
            if (bytes) {
                entry = static_cast<uint32_t>(bytes->size()) << 16;
                for (const char byte : *bytes)
                    entry = (entry & 0xFFFF0000) | ((entry & 0xFF) << 8) | static_cast<unsigned char>(byte);
            }
            slot.store(entry, std::memory_order_relaxed);
        }
        return entry;
    }

private:
    const CodePageNames& names_;
    const HeldBy heldBy_;
    std::array<std::atomic<uint32_t>, 0x10000> known_{};
};

ByteTable* TableFor(uint32_t codePage, HeldBy heldBy) {
    const CodePageNames* names = NamesOf(codePage);
    if (!names)
        return nullptr;
    static std::mutex mutex;
    static std::unique_ptr<ByteTable> tables[std::size(kCodePages)][2];
    const size_t index = static_cast<size_t>(names - kCodePages);
    std::unique_ptr<ByteTable>& table = tables[index][heldBy == HeldBy::PageCharset ? 1 : 0];
    const std::lock_guard<std::mutex> lock(mutex);
    if (!table)
        table = std::make_unique<ByteTable>(*names, heldBy);
    return table.get();
}

// The entry of a character: none of these code pages holds anything beyond the basic plane.
uint32_t EntryOf(ByteTable* table, char32_t character) {
    if (character < 0x80)
        return 1u << 16 | character;
    if (!table || character > 0xFFFF || (character >= 0xD800 && character < 0xE000))
        return kNotHeld;
    return table->Entry(static_cast<char16_t>(character));
}

void AppendEntry(std::string& out, uint32_t entry) {
    if ((entry >> 16) == 2)
        out += static_cast<char>((entry >> 8) & 0xFF);
    out += static_cast<char>(entry & 0xFF);
}

// A plain ASCII look-alike of a character no code page here holds for it: the letter without its accent, the
// plain form of a quotation mark or dash; "?" for the rest.
std::string LookAlike(char32_t c) {
    static constexpr std::string_view kLatinBase =
        "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/"
        "ouuuuytyAaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTt"
        "TtUuUuUuUuUuUuWwYyYZzZzZzs";
    if (c == 0xDF)
        return "ss";
    if (c >= 0xC0 && c < 0x180 && kLatinBase[c - 0xC0] != '?')
        return std::string(1, kLatinBase[c - 0xC0]);
    switch (c) {
    case 0x2018:
    case 0x2019:
    case 0x201A:
        return "'";
    case 0x201C:
    case 0x201D:
    case 0x201E:
        return "\"";
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2212:
        return "-";
    case 0x2026:
        return "...";
    case 0x20AC:
        return "EUR";
    case 0x00A0:
    case 0x3000:
        return " ";
    default:
        return "?";
    }
}

// UTF-8 decoded a character at a time; a malformed byte is U+FFFD.
template <typename Visit> void ForEachCharacter(std::string_view utf8, Visit visit) {
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            visit(static_cast<char32_t>(lead));
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
        char32_t code = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
        bool valid = length != 0 && i + length <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t minimum = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000);
        visit(valid ? code : U'\uFFFD');
        i += valid ? static_cast<size_t>(length) : 1;
    }
}

} // namespace

bool IsHelpCodePage(uint32_t codePage) {
    return NamesOf(codePage) != nullptr;
}

std::string PageCharsetName(uint32_t codePage) {
    const CodePageNames* names = NamesOf(codePage);
    return names ? names->charset : "";
}

bool CodePageHolds(uint32_t codePage, HeldBy heldBy, char32_t character) {
    return EntryOf(TableFor(codePage, heldBy), character) != kNotHeld;
}

std::string Utf8ToCodePageWithReferences(uint32_t codePage, HeldBy heldBy, std::string_view utf8) {
    ByteTable* table = TableFor(codePage, heldBy);
    std::string result;
    result.reserve(utf8.size());
    ForEachCharacter(utf8, [&](char32_t c) {
        const uint32_t entry = EntryOf(table, c);
        if (entry != kNotHeld)
            AppendEntry(result, entry);
        else
            result += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
    });
    return result;
}

std::string Utf8ToCodePagePlain(uint32_t codePage, std::string_view utf8, std::string* missing) {
    ByteTable* table = TableFor(codePage, HeldBy::CodePage);
    std::string result;
    result.reserve(utf8.size());
    ForEachCharacter(utf8, [&](char32_t c) {
        const uint32_t entry = EntryOf(table, c);
        if (entry != kNotHeld) {
            AppendEntry(result, entry);
            return;
        }
        result += LookAlike(c);
        if (missing && missing->find(Utf8Of(c)) == std::string::npos)
            *missing += Utf8Of(c);
    });
    return result;
}

std::optional<std::string> CodePageToUtf8Text(uint32_t codePage, std::string_view bytes) {
    const CodePageNames* names = NamesOf(codePage);
    if (!names)
        return std::nullopt;
    return Convert("UTF-8", names->viewer, bytes);
}

bool IsLeadByte(uint32_t codePage, unsigned char byte) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}
