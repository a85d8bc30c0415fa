#include "NumberFormat.h"

#include <array>

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Roman(int value, bool upper) {
    if (value <= 0 || value >= 4000)
        return Ascii(std::to_string(value));
    static constexpr std::array<std::pair<int, const char*>, 13> kParts = {{{1000, "m"},
                                                                            {900, "cm"},
                                                                            {500, "d"},
                                                                            {400, "cd"},
                                                                            {100, "c"},
                                                                            {90, "xc"},
                                                                            {50, "l"},
                                                                            {40, "xl"},
                                                                            {10, "x"},
                                                                            {9, "ix"},
                                                                            {5, "v"},
                                                                            {4, "iv"},
                                                                            {1, "i"}}};
    std::string out;
    for (const auto& [amount, letters] : kParts)
        while (value >= amount) {
            out += letters;
            value -= amount;
        }
    if (upper)
        for (char& c : out)
            c = static_cast<char>(c - 'a' + 'A');
    return Ascii(out);
}

// Word's letters repeat after Z: 27 is AA, 28 BB.
std::u16string Letters(int value, bool upper) {
    if (value <= 0)
        return Ascii(std::to_string(value));
    const char16_t letter = static_cast<char16_t>((upper ? u'A' : u'a') + (value - 1) % 26);
    return std::u16string(static_cast<size_t>((value - 1) / 26 + 1), letter);
}

// Chinese counting: 1 一, 10 十, 11 十一, 20 二十, 101 一百零一, 110 一百一十, 10000 一万.
std::u16string ChineseCounting(int value, const std::u16string& digits, const std::u16string& units, bool tenAlone) {
    if (value <= 0)
        return std::u16string(1, digits[0]);
    if (value >= 100000000)
        return Ascii(std::to_string(value));
    auto belowTenThousand = [&](int n, bool leading) {
        std::u16string out;
        const int parts[4] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
        bool pendingZero = false;
        bool started = false;
        for (int i = 0; i < 4; ++i) {
            const int digit = parts[i];
            if (digit == 0) {
                if (started)
                    pendingZero = true;
                continue;
            }
            if (pendingZero || (!started && !leading && i > 0))
                out += digits[0];
            pendingZero = false;
            const bool bareTen = i == 2 && digit == 1 && !started && leading && tenAlone;
            if (!bareTen)
                out += digits[digit];
            if (i < 3)
                out += units[2 - i]; // 千 百 十
            started = true;
        }
        return out;
    };
    if (value < 10000)
        return belowTenThousand(value, true);
    std::u16string out = belowTenThousand(value / 10000, true) + units[3];
    const int rest = value % 10000;
    if (rest)
        out += belowTenThousand(rest, false);
    return out;
}

const std::u16string kChineseDigits = u"零一二三四五六七八九";
const std::u16string kChineseUnits = u"十百千万";
const std::u16string kLegalDigits = u"零壹贰叁肆伍陆柒捌玖";
const std::u16string kLegalUnits = u"拾佰仟万";

std::u16string Enclosed(int value) {
    if (value >= 1 && value <= 20)
        return std::u16string(1, static_cast<char16_t>(0x2460 + value - 1));
    return Ascii(std::to_string(value));
}

std::u16string FullWidth(int value) {
    std::u16string out;
    for (char c : std::to_string(value))
        out.push_back(c == '-' ? u'－' : static_cast<char16_t>(0xFF10 + (c - '0')));
    return out;
}

std::u16string Ordinal(int value) {
    const int lastTwo = value % 100;
    const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                         : value % 10 == 1                ? "st"
                         : value % 10 == 2                ? "nd"
                         : value % 10 == 3                ? "rd"
                                                          : "th";
    return Ascii(std::to_string(value) + suffix);
}

} // namespace

std::u16string FormatListNumber(int value, const std::string& format) {
    if (format == "none" || format == "bullet")
        return u"";
    if (format == "upperRoman")
        return Roman(value, true);
    if (format == "lowerRoman")
        return Roman(value, false);
    if (format == "upperLetter")
        return Letters(value, true);
    if (format == "lowerLetter")
        return Letters(value, false);
    if (format.rfind("decimalZero", 0) == 0) {
        // "decimalZero" pads to two digits; "decimalZeroN" (read from custom formats) to N.
        const size_t width = format.size() == 12 && format[11] >= '3' && format[11] <= '9' ? format[11] - '0' : 2;
        std::string digits = std::to_string(value);
        if (value >= 0 && digits.size() < width)
            digits.insert(0, width - digits.size(), '0');
        return Ascii(digits);
    }
    if (format == "chineseCounting" || format == "japaneseCounting" || format == "taiwaneseCounting")
        return ChineseCounting(value, kChineseDigits, kChineseUnits, true);
    if (format == "chineseCountingThousand" || format == "taiwaneseCountingThousand" ||
        format == "ideographDigital" /* close enough for list numbers */)
        return ChineseCounting(value, kChineseDigits, kChineseUnits, true);
    if (format == "chineseLegalSimplified")
        return ChineseCounting(value, kLegalDigits, kLegalUnits, false);
    if (format == "ideographTraditional" && value >= 1 && value <= 10)
        return std::u16string(1, u"甲乙丙丁戊己庚辛壬癸"[value - 1]);
    if (format == "ideographZodiac" && value >= 1 && value <= 12)
        return std::u16string(1, u"子丑寅卯辰巳午未申酉戌亥"[value - 1]);
    if (format == "decimalEnclosedCircle" || format == "decimalEnclosedCircleChinese")
        return Enclosed(value);
    if (format == "decimalFullWidth" || format == "decimalFullWidth2")
        return FullWidth(value);
    if (format == "ordinal")
        return Ordinal(value);
    return Ascii(std::to_string(value)); // decimal and every format we do not draw otherwise
}
