#include "OptionsForm.h"

#include "automation/CodePage.h"

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

OptionsForm OptionsForm::From(const PageOptions& options) {
    OptionsForm form;
    form.copyrightText = Replace(NarrowToUtf8(options.copyrightText).value_or(std::string()), "\r\n", "\n");
    form.switches = options;
    form.switches.copyrightText.clear();
    return form;
}

PageOptions OptionsForm::ToOptions() const {
    PageOptions options = switches;
    const std::string crlf = Replace(Replace(copyrightText, "\r\n", "\n"), "\n", "\r\n");
    options.copyrightText = Utf8ToNarrow(crlf).value_or(std::string());
    return options;
}
