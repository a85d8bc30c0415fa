// The batch front end's arguments, one row per way of writing them.

#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using Action = ParsedCommandLine::Action;

// Every field, so a row that sets one option wrongly or sets a second one shows which.
std::string Describe(const CliOptions& o) {
    std::ostringstream text;
    text << "input=" << o.input << " output=" << o.output << " title=" << (o.title ? "[" + *o.title + "]" : "none")
         << " header=" << o.page.showHeader << " footer=" << o.page.showFooter << " png=" << o.page.pngImages
         << " related=" << o.page.relatedTopics << " numbering=" << o.page.showNumbering
         << " frontPage=" << o.page.frontPage << " pageCopyright=" << o.page.copyrightText
         << " copyright=" << o.copyright << " keep=" << o.keepFolder << " quiet=" << o.quiet
         << " mapHeader=" << o.mapHeader << " writeMapHeader=" << o.writeMapHeader << " web=" << o.webFolder
         << " noHelpFile=" << o.noHelpFile;
    return text.str();
}

struct Row {
    std::vector<std::string> args;
    Action action;
    std::function<void(CliOptions&)> expect; // applied to the defaults (Convert only)
    std::string error;                       // Error only
};

const std::vector<Row> kRows = {
    {{"in.docx"}, Action::Convert, [](CliOptions& o) { o.input = "in.docx"; }, ""},
    {{"in.docx", "-o", "out.chm", "--title", "T", "--header", "--footer", "--no-png", "--no-related", "--numbering",
      "--copyright", "(c) 2024", "--keep", "work", "--quiet"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.output = "out.chm";
         o.title = "T";
         o.page = {
             .showHeader = true, .showFooter = true, .pngImages = false, .relatedTopics = false, .showNumbering = true};
         o.copyright = "(c) 2024";
         o.keepFolder = "work";
         o.quiet = true;
     },
     ""},
    {{"--output", "o.chm", "-q", "手册.docx"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "手册.docx";
         o.output = "o.chm";
         o.quiet = true;
     },
     ""},
    {{"--title", "", "in.docx"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.title = "";
     },
     ""},
    {{"in.docx", "--front-page"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.page.frontPage = true;
     },
     ""},
    {{"--", "-dash.docx"}, Action::Convert, [](CliOptions& o) { o.input = "-dash.docx"; }, ""},
    {{"-"}, Action::Convert, [](CliOptions& o) { o.input = "-"; }, ""},
    {{"--title", "--header", "in.docx"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.title = "--header";
     },
     ""},
    {{"in.docx", "--map-header", "resource.h", "--write-map-header", "helpids.h"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.mapHeader = "resource.h";
         o.writeMapHeader = "helpids.h";
     },
     ""},
    {{"in.docx", "--web", "site", "-o", "out.chm"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.webFolder = "site";
         o.output = "out.chm";
     },
     ""},
    {{"--no-chm", "in.docx", "--web", "网站/"},
     Action::Convert,
     [](CliOptions& o) {
         o.input = "in.docx";
         o.webFolder = "网站/";
         o.noHelpFile = true;
     },
     ""},
    {{"in.docx", "--help", "--bogus"}, Action::Help, nullptr, ""},
    {{"-h"}, Action::Help, nullptr, ""},
    {{"--version", "a", "b"}, Action::Version, nullptr, ""},
    {{}, Action::Error, nullptr, "no input document given"},
    {{"--quiet"}, Action::Error, nullptr, "no input document given"},
    {{"a.docx", "b.docx"}, Action::Error, nullptr, "more than one input document: b.docx"},
    {{"in.docx", "-o"}, Action::Error, nullptr, "-o needs a file name"},
    {{"in.docx", "--output"}, Action::Error, nullptr, "--output needs a file name"},
    {{"in.docx", "--title"}, Action::Error, nullptr, "--title needs a text"},
    {{"in.docx", "--copyright"}, Action::Error, nullptr, "--copyright needs a text"},
    {{"in.docx", "--keep"}, Action::Error, nullptr, "--keep needs a folder"},
    {{"in.docx", "--keep", ""}, Action::Error, nullptr, "--keep needs a folder"},
    {{"in.docx", "--map-header"}, Action::Error, nullptr, "--map-header needs a file name"},
    {{"in.docx", "--write-map-header", ""}, Action::Error, nullptr, "--write-map-header needs a file name"},
    {{"in.docx", "--web"}, Action::Error, nullptr, "--web needs a folder"},
    {{"in.docx", "--web", ""}, Action::Error, nullptr, "--web needs a folder"},
    {{"in.docx", "--no-chm"}, Action::Error, nullptr, "--no-chm needs --web DIR: there would be nothing to write"},
    {{"in.docx", "--no-chm", "--web", "site", "-o", "a.chm"},
     Action::Error,
     nullptr,
     "--no-chm writes no help file, so --output has nothing to name"},
    {{"in.docx", "--png"}, Action::Error, nullptr, "unknown option: --png"},
    {{"in.docx", "--bogus", "--help"}, Action::Error, nullptr, "unknown option: --bogus"},
};

} // namespace

TEST(CommandLine, EveryRowParsesAsWritten) {
    for (const Row& row : kRows) {
        std::string joined;
        for (const std::string& arg : row.args)
            joined += "[" + arg + "] ";
        SCOPED_TRACE(joined);
        const ParsedCommandLine parsed = ParseCommandLine(row.args);
        ASSERT_EQ(parsed.action, row.action);
        EXPECT_EQ(parsed.error, row.error) << "an error message only for a row that fails";
        if (row.expect) {
            CliOptions expected;
            row.expect(expected);
            EXPECT_EQ(Describe(parsed.options), Describe(expected));
        }
    }
}
