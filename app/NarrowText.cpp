#include "NarrowText.h"

#include "automation/CodePage.h"

std::string ToNarrow(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    // Only malformed input is lost.
    return Utf8ToNarrow(std::string_view(utf8.data(), utf8.length())).value_or(std::string());
}

wxString FromNarrow(const std::string& narrow) {
    const std::string utf8 = NarrowToUtf8(narrow).value_or(std::string());
    return wxString::FromUTF8(utf8.data(), utf8.size());
}
