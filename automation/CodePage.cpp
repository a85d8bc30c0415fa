#include "CodePage.h"

#include "base/Text.h"
#include "base/Utf8Path.h"

namespace {

bool IsValidUtf8(std::string_view text) {
    int replaced = 0;
    Utf8ToUtf16(std::string(text), &replaced);
    return replaced == 0;
}

bool HasLoneSurrogate(std::u16string_view wide) {
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c < 0xD800 || c >= 0xE000)
            continue;
        if (c >= 0xDC00 || i + 1 >= wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] >= 0xE000)
            return true;
        ++i;
    }
    return false;
}

} // namespace

std::optional<std::u16string> NarrowToWide(std::string_view narrow) {
    int replaced = 0;
    std::u16string wide = Utf8ToUtf16(std::string(narrow), &replaced);
    if (replaced != 0)
        return std::nullopt;
    return wide;
}

std::optional<std::string> WideToNarrow(std::u16string_view wide) {
    if (HasLoneSurrogate(wide))
        return std::nullopt;
    return Utf16ToUtf8(std::u16string(wide));
}

std::optional<std::string> NarrowToUtf8(std::string_view narrow) {
    if (!IsValidUtf8(narrow))
        return std::nullopt;
    return std::string(narrow);
}

std::optional<std::string> Utf8ToNarrow(std::string_view utf8) {
    return NarrowToUtf8(utf8);
}

std::optional<std::filesystem::path> NarrowToPath(std::string_view narrow) {
    if (!IsValidUtf8(narrow))
        return std::nullopt;
    return PathFromUtf8(narrow);
}

std::optional<std::string> PathToNarrow(const std::filesystem::path& path) {
    return NarrowToUtf8(Utf8FromPath(path));
}
