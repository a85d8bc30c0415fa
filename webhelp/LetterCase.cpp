#include "LetterCase.h"

#include <cstdint>

namespace {

// Capitals first..last, every one (step 1) or every other (step 2, each followed by its small letter), and how far
// their small letters lie above them.
struct CapitalRun {
    char32_t first;
    char32_t last;
    int32_t toSmall;
    uint32_t step;
};

constexpr CapitalRun kCapitals[] = {
    {0x41, 0x5A, 32, 1},     // A-Z
    {0xC0, 0xD6, 32, 1},     // À-Ö
    {0xD8, 0xDE, 32, 1},     // Ø-Þ
    {0x100, 0x12E, 1, 2},    // Ā-Į
    {0x132, 0x136, 1, 2},    // Ĳ-Ķ (İ lowers to two characters: it stays)
    {0x139, 0x147, 1, 2},    // Ĺ-Ň
    {0x14A, 0x176, 1, 2},    // Ŋ-Ŷ
    {0x178, 0x178, -121, 1}, // Ÿ
    {0x179, 0x17D, 1, 2},    // Ź-Ž
    {0x370, 0x372, 1, 2},    // Ͱ, Ͳ
    {0x376, 0x376, 1, 1},    // Ͷ
    {0x37F, 0x37F, 116, 1},  // Ϳ
    {0x386, 0x386, 38, 1},   // Ά
    {0x388, 0x38A, 37, 1},   // Έ-Ί
    {0x38C, 0x38C, 64, 1},   // Ό
    {0x38E, 0x38F, 63, 1},   // Ύ, Ώ
    {0x391, 0x3A1, 32, 1},   // Α-Ρ
    {0x3A3, 0x3AB, 32, 1},   // Σ-Ϋ
    {0x3CF, 0x3CF, 8, 1},    // Ϗ
    {0x3D8, 0x3EE, 1, 2},    // Ϙ-Ϯ
    {0x3F4, 0x3F4, -60, 1},  // ϴ
    {0x3F7, 0x3F7, 1, 1},    // Ϸ
    {0x3F9, 0x3F9, -7, 1},   // Ϲ
    {0x3FA, 0x3FA, 1, 1},    // Ϻ
    {0x3FD, 0x3FF, -130, 1}, // Ͻ-Ͽ
    {0x400, 0x40F, 80, 1},   // Ѐ-Џ
    {0x410, 0x42F, 32, 1},   // А-Я
    {0x460, 0x480, 1, 2},    // Ѡ-Ҁ
    {0x48A, 0x4BE, 1, 2},    // Ҋ-Ҿ
    {0x4C0, 0x4C0, 15, 1},   // Ӏ
    {0x4C1, 0x4CD, 1, 2},    // Ӂ-Ӎ
    {0x4D0, 0x52E, 1, 2},    // Ӑ-Ԯ
};

constexpr char32_t kFinalSigma = 0x3C2;
constexpr char32_t kSigma = 0x3C3;

} // namespace

char32_t FoldedCase(char32_t c) {
    if (c == kFinalSigma)
        return kSigma;
    for (const CapitalRun& run : kCapitals) {
        if (c < run.first)
            break;
        if (c <= run.last && (c - run.first) % run.step == 0)
            return static_cast<char32_t>(static_cast<int32_t>(c) + run.toSmall);
    }
    return c;
}
