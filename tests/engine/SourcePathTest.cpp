// The output and the title the front ends propose for a source document: beside it, named after it, with the
// separators of the system the program runs on (the same cases run on Linux and, cross-built, under Wine).
#include "engine/ConversionRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

constexpr bool kBackslashSeparates = std::filesystem::path::preferred_separator == '\\';

} // namespace

TEST(SourcePath, OutputGoesBesideTheSourceAndTheTitleIsItsName) {
    struct Case {
        std::string source;
        std::string output;     // where a backslash separates folders
        std::string title;      // likewise
        std::string outputElse; // where it is a letter of a name
        std::string titleElse;
    };
    const Case cases[] = {
        {"/D/Docs/Guide.docx", "/D/Docs/Guide.chm", "Guide", "/D/Docs/Guide.chm", "Guide"},
        {"C:\\Docs\\Jos\xC3\xA9\\Guide.docx", "C:\\Docs\\Jos\xC3\xA9\\Guide.chm", "Guide",
         "C:\\Docs\\Jos\xC3\xA9\\Guide.chm", "C:\\Docs\\Jos\xC3\xA9\\Guide"},
        {"Z:\\tmp/\xE6\x96\x87\xE6\xA1\xA3\\v1.2\\Release.Notes.docx",
         "Z:\\tmp/\xE6\x96\x87\xE6\xA1\xA3\\v1.2\\Release.Notes.chm", "Release.Notes",
         "Z:\\tmp/\xE6\x96\x87\xE6\xA1\xA3\\v1.2\\Release.Notes.chm", "\xE6\x96\x87\xE6\xA1\xA3\\v1.2\\Release.Notes"},
        {"C:\\v1.2\\NoExtension", "C:\\v1.2\\NoExtension.chm", "NoExtension", "C:\\v1.chm", "C:\\v1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(OutputPathForSource(c.source), kBackslashSeparates ? c.output : c.outputElse);
        EXPECT_EQ(TitleForSource(c.source), kBackslashSeparates ? c.title : c.titleElse);
    }
}
