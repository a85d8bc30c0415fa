#pragma once
// What the batch front end prints on stderr: a bar on a terminal, plain lines otherwise, nothing when quiet; every
// line in the user's language (base/MessageCatalogue.h).

#include <cstdint>
#include <cstdio>
#include <string>

class ProgressReporter {
public:
    ProgressReporter(std::FILE* stream, bool quiet, bool terminal);
    ~ProgressReporter();

    void Stage(const std::string& text);                                  // UTF-8
    void Page(int32_t page, int32_t pageCount, const std::string& title); // page from 0; title UTF-8
    void Progress(const std::string& text);                               // UTF-8, on a terminal only
    void Warning(const std::string& text);                                // UTF-8
    void Error(const std::string& text);                                  // UTF-8, printed even when quiet
    void Line(const std::string& text);                                   // UTF-8

private:
    void EndBar();

    std::FILE* stream_;
    bool quiet_;
    bool terminal_;
    bool barShown_ = false;
};
