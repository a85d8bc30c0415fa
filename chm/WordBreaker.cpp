#include "WordBreaker.h"

char32_t FoldNonAsciiCase(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case in neighbours, though the pairing flips at U+0139..U+0148.
        const bool flipped = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == (flipped ? 1 : 0)) ? c + 1 : c;
    }
    if (c >= 0xFF10 && c <= 0xFF19) // full-width digits and letters are typed as plain ones
        return c - 0xFF10 + '0';
    if (c >= 0xFF21 && c <= 0xFF3A)
        return c - 0xFF21 + 'a';
    if (c >= 0xFF41 && c <= 0xFF5A)
        return c - 0xFF41 + 'a';
    return c;
}
