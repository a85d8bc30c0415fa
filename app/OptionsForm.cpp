#include "OptionsForm.h"

#include "automation/CodePage.h"
#include "engine/ConvertOptions.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

OptionsForm OptionsForm::From(const ConvertOptions& options) {
    OptionsForm form;
    const std::string narrow = options.CopyrightText();
    form.copyrightText = Replace(NarrowToUtf8(narrow).value_or(std::string()), "\r\n", "\n");
    form.showHeader = options.showHeader != 0;
    form.showFooter = options.showFooter != 0;
    form.pngImages = options.pngImages != 0;
    form.relatedTopics = options.relatedTopics != 0;
    form.showNumbering = options.showNumbering != 0;
    return form;
}

void OptionsForm::StoreTo(ConvertOptions& options) const {
    const std::string crlf = Replace(Replace(copyrightText, "\r\n", "\n"), "\n", "\r\n");
    options.SetCopyrightText(Utf8ToNarrow(crlf).value_or(std::string()));
    options.showHeader = showHeader ? 1 : 0;
    options.showFooter = showFooter ? 1 : 0;
    options.pngImages = pngImages ? 1 : 0;
    options.relatedTopics = relatedTopics ? 1 : 0;
    options.showNumbering = showNumbering ? 1 : 0;
}
