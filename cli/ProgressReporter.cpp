#include "ProgressReporter.h"

#include "base/MessageCatalogue.h"
#include "base/ProcessText.h"

namespace {

constexpr int kBarWidth = 30;
constexpr size_t kTitleWidth = 40;

// Cuts at a character boundary, so a shortened title stays valid UTF-8.
std::string Shortened(const std::string& text, size_t width) {
    if (text.size() <= width)
        return text;
    size_t cut = width;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut) + "...";
}

} // namespace

ProgressReporter::ProgressReporter(std::FILE* stream, bool quiet, bool terminal)
    : stream_(stream), quiet_(quiet), terminal_(terminal) {}

ProgressReporter::~ProgressReporter() {
    EndBar();
}

void ProgressReporter::EndBar() {
    if (barShown_) {
        std::fputc('\n', stream_);
        barShown_ = false;
    }
}

void ProgressReporter::Stage(const std::string& text) {
    Line(text);
}

void ProgressReporter::Page(int32_t page, int32_t pageCount, const std::string& title) {
    if (quiet_)
        return;
    const int32_t done = page + 1;
    if (!terminal_) {
        // The pattern is translated, not the line: a title is never taken for a message.
        PrintLine(stream_, WithValues(ForUser("page {1} of {2}: {3}"),
                                      {std::to_string(done), std::to_string(pageCount), title}));
        return;
    }
    const int filled = pageCount > 0 ? static_cast<int>(int64_t{done} * kBarWidth / pageCount) : kBarWidth;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kBarWidth, ' ');
    const std::string count = WithValues(ForUser("{1}/{2} pages"), {std::to_string(done), std::to_string(pageCount)});
    PrintText(stream_, "\r\033[K[" + bar + "] " + count + "  " + Shortened(title, kTitleWidth));
    std::fflush(stream_);
    barShown_ = true;
}

void ProgressReporter::Progress(const std::string& text) {
    if (quiet_ || !terminal_)
        return;
    PrintText(stream_, "\r\033[K" + Shortened(ForUser(text), kTitleWidth * 2));
    std::fflush(stream_);
    barShown_ = true;
}

void ProgressReporter::Warning(const std::string& text) {
    if (quiet_)
        return;
    EndBar();
    PrintLine(stream_, ForUser("warning: " + text));
}

void ProgressReporter::Error(const std::string& text) {
    EndBar();
    PrintLine(stream_, ForUser("error: " + text));
}

void ProgressReporter::Line(const std::string& text) {
    if (quiet_)
        return;
    EndBar();
    PrintLine(stream_, ForUser(text));
}
