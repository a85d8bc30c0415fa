#include "NarrowText.h"

#include "automation/CodePage.h"

wxString FromNarrow(const std::string& narrow) {
    const std::string utf8 = NarrowToUtf8(narrow).value_or(std::string());
    return wxString::FromUTF8(utf8.data(), utf8.size());
}
