// Documents built here go through leafbind-cli; the help file is read back with chmlib.

#include "ChmReader.h"
#include "CliRun.h"
#include "ProcessEnd.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-e2e-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

} // namespace

TEST_F(CliEndToEnd, TheWorkedExampleGivesThreeTopicsNestedAsTheHeadings) {
    DocxBuilder doc;
    doc.AddParagraph("A title line in body text")
        .AddHeading(1, "Intro")
        .AddParagraph("Intro one.")
        .AddParagraph("Intro two.")
        .AddHeading(2, "Scope")
        .AddParagraph("Scope only.")
        .AddHeading(1, "Usage")
        .AddParagraph("Usage one.")
        .AddParagraph("Usage two.")
        .AddParagraph("Usage three.");
    doc.Save(folder / "worked.docx");

    const CliRun run = RunCli(
        {(folder / "worked.docx").string(), "-o", (folder / "Manual.chm").string(), "--title", "Manual", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.output;
    auto chm = ChmReader::Open((folder / "Manual.chm").string());
    ASSERT_TRUE(chm);

    const std::string contents = chm->Read("/Manual.hhc").value_or("");
    const std::regex nested(
        "value=\"Intro\">\r\n<param name=\"Local\" value=\"0.html\">\r\n</OBJECT>\r\n<UL>\r\n<LI> <OBJECT "
        "type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"Scope\">");
    EXPECT_TRUE(std::regex_search(contents, nested)) << contents;
    const std::string index = chm->Read("/Manual.hhk").value_or("");
    EXPECT_EQ(Count(index, "<param name=\"Name\""), 3);
    EXPECT_EQ(Count(index, "<UL>"), 1);

    const std::string page0 = chm->Read("/0.html").value_or("");
    const std::string page1 = chm->Read("/1.html").value_or("");
    const std::string page2 = chm->Read("/2.html").value_or("");
    EXPECT_NE(page0.find("Intro two."), std::string::npos);
    EXPECT_EQ(page0.find("Scope only."), std::string::npos) << "a parent's page ends at its first child";
    EXPECT_NE(page0.find("href=\"1.html\""), std::string::npos) << "the related topics link to the child";
    EXPECT_NE(page1.find("Scope only."), std::string::npos);
    EXPECT_NE(page2.find("Usage three."), std::string::npos) << "the last page runs to the end";
    for (const std::string& page : {page0, page1, page2})
        EXPECT_EQ(page.find("A title line"), std::string::npos) << "the title line is in no page";
    EXPECT_FALSE(chm->Read("/3.html"));
}

TEST_F(CliEndToEnd, TheExampleDocumentKeepsItsLinksPicturesAndChinese) {
    const fs::path docx = folder / "Example.docx";
    ASSERT_EQ(std::system((Quote(LEAFBIND_EXAMPLE) + " " + Quote(docx.string())).c_str()), 0);
    const CliRun run = RunCli({docx.string(), "-o", (folder / "Example.chm").string(), "--title", "Example"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("6 topics"), std::string::npos) << run.output;
    auto chm = ChmReader::Open((folder / "Example.chm").string());
    ASSERT_TRUE(chm);

    // The heading "中文说明" in the contents, in the code page the viewer reads (GB2312).
    EXPECT_NE(chm->Read("/Example.hhc").value_or("").find("\xD6\xD0\xCE\xC4\xCB\xB5\xC3\xF7"), std::string::npos);
    // The cross-reference on page 0 lands on the page of "Requirements" (page 3), at its bookmark.
    const std::string page0 = chm->Read("/0.html").value_or("");
    EXPECT_NE(page0.find("3.html#_Ref100"), std::string::npos) << page0;
    // The link back from the Chinese page lands on page 0.
    EXPECT_NE(chm->Read("/5.html").value_or("").find("0.html#_Toc001"), std::string::npos);

    // Every picture a page shows is in the help file.
    const std::string page1 = chm->Read("/1.html").value_or("");
    std::smatch image;
    ASSERT_TRUE(std::regex_search(page1, image, std::regex("<img[^>]*src=\"([^\"]+)\""))) << page1;
    const auto picture = chm->Read("/" + image[1].str());
    ASSERT_TRUE(picture) << image[1];
    EXPECT_EQ(picture->substr(1, 3), "PNG");
}

TEST_F(CliEndToEnd, FailuresHaveTheirOwnExitStatusAndLeaveNoHelpFile) {
    DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("Only body text.").AddParagraph("More of it.");
    bodyOnly.Save(folder / "plain.docx");
    std::ofstream(folder / "fake.docx") << "this is not a zip";

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const std::string out = (folder / "out.chm").string();
    const Case cases[] = {
        {{}, 2, "no input document"},
        {{(folder / "plain.docx").string(), "--bogus"}, 2, "unknown option"},
        {{(folder / "missing.docx").string(), "-o", out}, 3, "no such file"},
        {{(folder / "fake.docx").string(), "-o", out}, 3, "is not a Word document (it is not a zip package)"},
        {{(folder / "plain.docx").string(), "-o", out}, 4, "The Word document has no outline styles!"},
        {{(folder / "plain.docx").string(), "-o", (folder / "nowhere" / "x.chm").string()}, 2, "does not exist"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.output.find(c.says), std::string::npos);
        EXPECT_FALSE(fs::exists(out));
    }
}

namespace {

// Every file under root with its bytes, symbolic links as their targets: equal before and after means untouched.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    std::error_code code;
    for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code)) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            files[name] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file()) {
            std::ifstream in(it->path(), std::ios::binary);
            files[name] = std::string(std::istreambuf_iterator<char>(in), {});
        } else
            files[name] = "folder";
    }
    return files;
}

void SaveWorkedExample(const fs::path& path) {
    DocxBuilder doc;
    doc.AddHeading(1, "Intro").AddParagraph("Intro one.").AddHeading(1, "Usage").AddParagraph("Usage one.");
    doc.Save(path);
}

std::string Utf16Le(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace

TEST_F(CliEndToEnd, RefusedRequestsTouchNothingTheUserOwns) {
    const fs::path docs = folder / "docs";
    fs::create_directories(docs / "full");
    SaveWorkedExample(docs / "Guide.docx");
    std::ofstream(docs / "full" / "notes.txt") << "my notes";
    std::ofstream(docs / "Guide.chm") << "the old help file";
    std::ofstream(docs / "somefile") << "a file";
    fs::create_directory_symlink(docs / "full", docs / "link");
    fs::create_symlink(docs / "Guide.docx", docs / "alias.chm");
    const auto before = Snapshot(folder);
    const std::string input = (docs / "Guide.docx").string();

    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{input, "--keep", (docs / "full").string()}, "must be new or empty"},
        {{input, "--keep", "."}, "must be new or empty"},
        {{input, "--keep", (docs / "somefile").string()}, "must be new or empty"},
        {{input, "--keep", (docs / "link").string()}, "must be new or empty"},
        {{input, "-o", input}, "is the source document"},
        {{input, "-o", (docs / "alias.chm").string()}, "is the source document"},
        {{input, "-o", (docs / "full" / ".." / "Guide.docx").string()}, "is the source document"},
        {{input, "-o", ""}, "needs a file name"},
        {{input, "-o", (docs / (std::string(252, 'n') + ".chm")).string()}, "longer than 255 bytes"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        // "." is the current folder of the run: the documents folder.
        const std::string command = "cd " + Quote(docs.string()) + " && ";
        CliRun run;
        {
            std::string line = command + Quote(LEAFBIND_CLI);
            for (const std::string& arg : args)
                line += " " + Quote(arg);
            FILE* pipe = ::popen((line + " 2>&1").c_str(), "r");
            ASSERT_TRUE(pipe);
            char buffer[4096];
            for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                run.output.append(buffer, got);
            const int raw = ::pclose(pipe);
            run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find(c.says), std::string::npos);
        EXPECT_EQ(Snapshot(folder), before) << "nothing changed";
    }
}

TEST_F(CliEndToEnd, TitlesThatAreNoFileNamesStayTheHelpTitle) {
    SaveWorkedExample(folder / "Report: Q3.docx");
    const std::string titles[] = {"TCP/IP Guide", "Guide: part 1/2", " \tLeading", "", "***"};
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        fs::remove(folder / "out.chm");
        const CliRun run = RunCli(
            {(folder / "Report: Q3.docx").string(), "-o", (folder / "out.chm").string(), "--title", title, "--quiet"});
        ASSERT_EQ(run.status, 0) << run.output;
        auto chm = ChmReader::Open((folder / "out.chm").string());
        ASSERT_TRUE(chm);
        // The project format itself trims a value's leading blanks.
        const std::string shown = title.substr(std::min(title.find_first_not_of(" \t"), title.size()));
        EXPECT_NE(chm->Read("/#SYSTEM").value_or("").find(shown), std::string::npos) << "the title as typed";
        EXPECT_NE(chm->Read("/0.html").value_or("").find("Intro one."), std::string::npos);
    }
    // By default the title is the file name, colon and all.
    const CliRun run = RunCli({(folder / "Report: Q3.docx").string()});
    ASSERT_EQ(run.status, 0) << run.output;
    auto chm = ChmReader::Open((folder / "Report: Q3.chm").string());
    ASSERT_TRUE(chm);
    EXPECT_NE(chm->Read("/#SYSTEM").value_or("").find("Report: Q3"), std::string::npos);
}

TEST_F(CliEndToEnd, ALongOutputNameWorksAndAnUnwritableFolderIsRefusedFirst) {
    SaveWorkedExample(folder / "Guide.docx");
    const fs::path longName = folder / (std::string(251, 'n') + ".chm");
    const CliRun run = RunCli({(folder / "Guide.docx").string(), "-o", longName.string(), "--quiet"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::is_regular_file(longName));

    // A file where the output folder should be: nothing can be written there, and that is known at once.
    std::ofstream(folder / "notafolder") << "x";
    const CliRun refused = RunCli({(folder / "Guide.docx").string(), "-o", (folder / "notafolder" / "x.chm").string()});
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_EQ(refused.output.find("page 1"), std::string::npos) << "refused before any page was made";
}

TEST_F(CliEndToEnd, AnInterruptedRunLeavesNothingBehind) {
    DocxBuilder doc;
    for (int topic = 0; topic < 400; ++topic)
        doc.AddHeading(1, "Topic " + std::to_string(topic)).AddParagraph("Body of topic " + std::to_string(topic));
    doc.Save(folder / "Big.docx");
    std::ofstream(folder / "Big.chm") << "the old help file";
    const fs::path cache = folder / "cache";

    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, STDERR_FILENO);
            ::execl(LEAFBIND_CLI, LEAFBIND_CLI, (folder / "Big.docx").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Interrupted once pages are being written in its working folder.
        bool working = false;
        for (int wait = 0; wait < 3000 && !working; ++wait) {
            std::error_code code;
            for (fs::recursive_directory_iterator it(cache, code), end; !code && it != end; it.increment(code))
                working = working || it->path().filename() == "3.html";
            if (!working)
                ::usleep(10000);
        }
        ASSERT_TRUE(working);
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(fs::is_empty(cache / "leafbind")) << "the working folder went with the run";
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(folder))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"Big.chm", "Big.docx", "cache"})) << "no partial help file";
        std::ifstream old(folder / "Big.chm");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the old help file");
    }
}

TEST_F(CliEndToEnd, AKeptProjectNamesTheUsersHelpFileAndCompilesAgainThere) {
    SaveWorkedExample(folder / "Guide.docx");
    const fs::path output = folder / "Guide.chm";
    const CliRun run =
        RunCli({(folder / "Guide.docx").string(), "-o", output.string(), "--keep", (folder / "work").string(), "-q"});
    ASSERT_EQ(run.status, 0) << run.output;
    std::ifstream project(folder / "work" / "Guide.hhp");
    const std::string text(std::istreambuf_iterator<char>(project), {});
    EXPECT_NE(text.find("Compiled file=" + output.string() + "\r\n"), std::string::npos) << text;
    const auto bytes = fs::file_size(output);
    fs::remove(output);
    ASSERT_EQ(
        std::system(
            (Quote(LEAFBIND_HHC) + " " + Quote((folder / "work" / "Guide.hhp").string()) + " >/dev/null").c_str()),
        0);
    EXPECT_EQ(fs::file_size(output), bytes) << "the kept project makes the same help file again";
}

TEST_F(CliEndToEnd, AnInterruptedDocConversionStopsLibreOfficeAndRemovesItsFolder) {
    std::ofstream(folder / "Old.doc", std::ios::binary)
        << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) << std::string(504, '\0');
    // A LibreOffice that never ends, with a helper of its own.
    const fs::path bin = folder / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "soffice") << "#!/bin/sh\nsleep 300 &\necho $! > " << (folder / "helper.pid").string()
                                   << "\nwait\n";
    fs::permissions(bin / "soffice", fs::perms::owner_all);
    const fs::path temporary = folder / "tmp";
    fs::create_directories(temporary);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
        ::setenv("TMPDIR", temporary.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::execl(LEAFBIND_CLI, LEAFBIND_CLI, (folder / "Old.doc").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int helper = 0;
    for (int wait = 0; wait < 3000 && helper == 0; ++wait) {
        std::ifstream(folder / "helper.pid") >> helper;
        if (helper == 0)
            ::usleep(10000);
    }
    ASSERT_GT(helper, 0);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(ProcessEnds(helper)) << "LibreOffice's helper was stopped with the run";
    EXPECT_TRUE(fs::is_empty(temporary)) << "the conversion's folder went with the run";
}

TEST_F(CliEndToEnd, WarningsArePrintedOneALineNamingTheirTopicAndCounted) {
    DocxBuilder doc;
    doc.AddHeading(1, "Intro")
        .AddParagraph({Text("See "), AnchorLink("gone", "_Missing1"), Text(" and "), AnchorLink("also", "_Missing2")})
        .AddHeading(1, "Usage")
        .AddParagraph("Usage one.");
    doc.Save(folder / "Links.docx");
    const CliRun run = RunCli({(folder / "Links.docx").string(), "-o", (folder / "Links.chm").string()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> warnings;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("warning: ", 0) == 0)
            warnings.push_back(line);
    ASSERT_EQ(warnings.size(), 2u) << run.output;
    for (const std::string& warning : warnings)
        EXPECT_NE(warning.find("0.html \"Intro\""), std::string::npos) << warning;
    EXPECT_NE(run.output.find("2 warnings"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("error:"), std::string::npos) << "no compiler progress shown as errors";

    const CliRun quiet = RunCli({(folder / "Links.docx").string(), "-o", (folder / "Links.chm").string(), "-q"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.output, "");
}

TEST_F(CliEndToEnd, FrontMatterTitlesAndBrokenPicturesAreKeptEscapedOrTold) {
    std::vector<uint8_t> broken = TinyPng();
    broken.resize(20);
    DocxBuilder doc;
    doc.AddParagraph("Cover page text")
        .AddHeading(1, "Say \"hello\" & <more>")
        .AddParagraph({Picture(broken)})
        .AddParagraph({Text("Line"), LineBreak(), Text("break")}, {.style = "Heading1"})
        .AddParagraph({Text("A"), RawXml("<w:r><w:noBreakHyphen/><w:t>B</w:t><w:softHyphen/><w:t>C</w:t></w:r>")},
                      {.style = "Heading1"})
        .AddHeading(1, "M\xC3\x9Cller \xE2\x82\xAC \xE4\xB8\xAD\xE6\x96\x87");
    doc.Save(folder / "doc.docx");
    const std::string out = (folder / "Manual.chm").string();

    const CliRun plain = RunCli({(folder / "doc.docx").string(), "-o", out, "--title", "Manual"});
    ASSERT_EQ(plain.status, 0) << plain.output;
    EXPECT_NE(plain.output.find("1 paragraph(s) before the first heading"), std::string::npos) << plain.output;
    EXPECT_NE(plain.output.find("page 0.html \"Say \"hello\" & <more>\": a PNG picture"), std::string::npos)
        << plain.output;

    const CliRun front = RunCli({(folder / "doc.docx").string(), "-o", out, "--title", "Manual", "--front-page"});
    ASSERT_EQ(front.status, 0) << front.output;
    EXPECT_EQ(front.output.find("before the first heading"), std::string::npos) << front.output;
    auto chm = ChmReader::Open(out);
    ASSERT_TRUE(chm);
    EXPECT_NE(chm->Read("/0.html").value_or("").find("Cover page text"), std::string::npos);

    // The contents as a viewer reads them: code page 936 bytes, a look-alike for what it lacks, nothing cut short.
    const std::string contents = chm->Read("/Manual.hhc").value_or("");
    const std::string entries[] = {
        "value=\"Manual\">\r\n<param name=\"Local\" value=\"0.html\">",
        "value=\"Say &quot;hello&quot; &amp; &lt;more&gt;\">\r\n<param name=\"Local\" value=\"1.html\">",
        "value=\"Line break\">\r\n<param name=\"Local\" value=\"2.html\">",
        "value=\"A-BC\">\r\n<param name=\"Local\" value=\"3.html\">",
        "value=\"MUller EUR \xD6\xD0\xCE\xC4\">\r\n<param name=\"Local\" value=\"4.html\">",
    };
    size_t at = 0;
    for (const std::string& entry : entries) {
        const size_t found = contents.find(entry);
        EXPECT_NE(found, std::string::npos) << entry << "\n" << contents;
        EXPECT_GE(found, at) << "in page order: " << entry;
        at = found == std::string::npos ? at : found;
    }
    EXPECT_NE(chm->Read("/2.html").value_or("").find("<title>Line break</title>"), std::string::npos);
    EXPECT_NE(chm->Read("/3.html").value_or("").find("<title>A-BC</title>"), std::string::npos);

    // The compiler decoded the entities for the binary index, whose keywords are UTF-16; the index file held the
    // look-alikes of what the code page lacks, as a viewer shows them.
    const std::string keywords = chm->Read("/$WWKeywordLinks/BTree").value_or("");
    EXPECT_NE(keywords.find(Utf16Le(u"Say \"hello\" & <more>")), std::string::npos);
    EXPECT_NE(keywords.find(Utf16Le(u"MUller EUR \u4E2D\u6587")), std::string::npos);
}

// One language per user: the same run's warnings, errors and summary in English and in Chinese, each warning of the
// English run with a Chinese form in the other, so none reaches a Chinese user in English.
TEST_F(CliEndToEnd, EveryLineSpeaksTheUsersLanguage) {
    std::vector<uint8_t> broken = TinyPng();
    broken.resize(20);
    DocxBuilder doc;
    doc.AddParagraph("Cover page text")
        .AddHeading(1, "Intro")
        .AddParagraph({Text("See "), AnchorLink("gone", "_Missing1")})
        .AddParagraph({Picture(broken)})
        .AddHeading(1, " ")
        .AddParagraph("After an empty heading.")
        .AddHeading(1, std::string(300, 'L'))
        .AddParagraph("Long.");
    doc.Save(folder / "doc.docx");
    struct Seen {
        std::vector<std::string> warnings;
        std::string output;
    };
    auto run = [&](const std::string& language, const std::string& warningMark) {
        fs::remove(folder / "doc.chm");
        const CliRun done = RunCli({(folder / "doc.docx").string(), "-o", (folder / "doc.chm").string()}, language);
        EXPECT_EQ(done.status, 0) << done.output;
        Seen seen{{}, done.output};
        std::istringstream lines(done.output);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(warningMark, 0) == 0)
                seen.warnings.push_back(line.substr(warningMark.size()));
        return seen;
    };
    const Seen english = run("en", "warning: ");
    const Seen chinese = run("zh", "警告: ");
    ASSERT_EQ(english.warnings.size(), 5u) << english.output;
    ASSERT_EQ(chinese.warnings.size(), english.warnings.size()) << chinese.output;
    for (size_t i = 0; i < english.warnings.size(); ++i) {
        EXPECT_NE(chinese.warnings[i], english.warnings[i]) << "not translated: " << english.warnings[i];
        // What is left in Latin letters are names from the document and the picture's format, not English words.
        for (const char* word : {" the ", " is ", " was ", " are ", " of ", " picture ", " page "})
            EXPECT_EQ(chinese.warnings[i].find(word), std::string::npos) << chinese.warnings[i];
    }
    EXPECT_NE(english.output.find("Wrote "), std::string::npos) << english.output;
    EXPECT_NE(chinese.output.find("已生成 "), std::string::npos) << chinese.output;
    EXPECT_NE(chinese.output.find("5 条警告"), std::string::npos) << chinese.output;
    EXPECT_EQ(chinese.output.find("warning"), std::string::npos) << chinese.output;

    // Failures: the dialog's own text for a document without headings, and the reason in the same language.
    DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("Only body text.");
    bodyOnly.Save(folder / "plain.docx");
    const CliRun plain = RunCli({(folder / "plain.docx").string(), "-o", (folder / "plain.chm").string()}, "zh");
    EXPECT_EQ(plain.status, 4);
    EXPECT_NE(plain.output.find("错误: word文档中没有大纲样式! 文档中没有标题"), std::string::npos) << plain.output;
    const CliRun missing = RunCli({(folder / "missing.docx").string(), "-o", (folder / "m.chm").string()}, "zh");
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.output.find("文件不存在"), std::string::npos) << missing.output;
    EXPECT_EQ(missing.output.find("no such file"), std::string::npos) << missing.output;
}

// A picture that cannot be shown leaves a labelled gap in the help file's language, whoever converts it: its readers
// read that language, and the page's code page holds it.
TEST_F(CliEndToEnd, APictureGapIsLabelledInTheHelpFilesLanguage) {
    std::vector<uint8_t> broken = TinyPng();
    broken.resize(20);
    DocxBuilder doc;
    doc.AddHeading(1, "Usage").AddParagraph("Plain text.").AddParagraph({Picture(broken)});
    doc.Save(folder / "gap.docx");
    struct Case {
        std::string helpLanguage;
        std::string label; // as the page holds it, in the help file's code page
    };
    const Case cases[] = {
        {"en-US", "[picture not shown: "},
        {"zh-CN", "[\xCD\xBC\xC6\xAC\xCE\xB4\xCF\xD4\xCA\xBE: "}, // 图片未显示 in code page 936
        {"zh-TW", "[\xB9\xCF\xA4\xF9\xA5\xBC\xC5\xE3\xA5\xDC: "}, // 圖片未顯示 in code page 950
    };
    for (const Case& c : cases)
        for (const std::string language : {"en", "zh"}) {
            fs::remove(folder / "gap.chm");
            const CliRun run = RunCli(
                {(folder / "gap.docx").string(), "-o", (folder / "gap.chm").string(), "--language", c.helpLanguage},
                language);
            ASSERT_EQ(run.status, 0) << run.output;
            auto chm = ChmReader::Open((folder / "gap.chm").string());
            ASSERT_TRUE(chm);
            const std::string page = chm->Read("/0.html").value_or("");
            EXPECT_NE(page.find(c.label), std::string::npos) << c.helpLanguage << " " << language << "\n" << page;
        }
}
