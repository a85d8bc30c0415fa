#include "HeadingText.h"

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == 0x00A0 || c == 0x3000;
}

} // namespace

std::u16string PlainHeadingText(std::u16string_view text) {
    std::u16string plain;
    plain.reserve(text.size());
    auto addSpace = [&] {
        if (!plain.empty() && plain.back() != u' ')
            plain += u' ';
    };
    for (const char16_t c : text) {
        switch (c) {
        case u'\t':
        case 0x0B: // line break
        case 0x0C: // page break
        case 0x0E: // column break
        case u' ':
            addSpace();
            break;
        case 0x1E: // non-breaking hyphen
            plain += u'-';
            break;
        default:
            if (c >= 0x20 && c != 0x7F)
                plain += c;
            break;
        }
    }
    if (!plain.empty() && plain.back() == u' ')
        plain.pop_back();
    return plain;
}

bool IsBlankHeading(std::u16string_view plain) {
    for (const char16_t c : plain)
        if (!IsSpace(c))
            return false;
    return true;
}

std::u16string ShortTitle(std::u16string plain) {
    if (plain.size() <= kMaxTitleLength)
        return plain;
    size_t cut = kMaxTitleLength - 1;
    if (plain[cut - 1] >= 0xD800 && plain[cut - 1] < 0xDC00)
        --cut;
    plain.resize(cut);
    plain += u'\u2026';
    return plain;
}
