// Documents built here go through leafbind-cli; the help file is read back with chmlib.

#include "ChmReader.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

struct CliRun {
    int status = -1;
    std::string output; // stdout and stderr together
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliRun RunCli(const std::vector<std::string>& args) {
    std::string command = Quote(LEAFBIND_CLI);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " 2>&1";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
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
        {{(folder / "fake.docx").string(), "-o", out}, 3, ""},
        {{(folder / "plain.docx").string(), "-o", out}, 4, "word文档中没有大纲样式!"},
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
