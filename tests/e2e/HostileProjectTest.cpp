// Hostile and careless projects through leafbind-hhc: the compiler writes a help file and, when asked, its error
// log, and nothing else; every file around the project is compared by checksum before and after.

#include "ChmReader.h"
#include "CliRun.h"
#include "FileChecksums.h"
#include "FileText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class HostileProject : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("leafbind-hostile-hhc-" + std::to_string(::getpid()));
        fs::remove_all(root);
        project = root / "project";
        outside = root / "outside";
        fs::create_directories(project);
        fs::create_directories(outside);
        WriteText(outside / "secret.txt", "the user's secret, never to be read or written\n");
        WriteText(project / "notes.txt", "the user's notes beside the project\n");
        for (int page = 0; page < 2; ++page)
            WriteText(project / (std::to_string(page) + ".html"), "<html><head><title>Page " + std::to_string(page) +
                                                                      "</title></head><body><p>Text of page " +
                                                                      std::to_string(page) + "</p></body></html>");
        WriteText(project / "base.hhc", "<HTML><BODY><UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" "
                                        "value=\"Page 0\"><param name=\"Local\" value=\"0.html\"></OBJECT></UL>"
                                        "</BODY></HTML>\r\n");
    }
    void TearDown() override { fs::remove_all(root); }

    // The project file with options added to [OPTIONS] and files to [FILES].
    void WriteProject(const std::string& options, const std::string& files = {}) {
        WriteText(project / "p.hhp", "[OPTIONS]\r\nContents file=base.hhc\r\nTitle=Hostile\r\n" + options +
                                         "[FILES]\r\n0.html\r\n1.html\r\n" + files);
    }

    CliRun Compile() { return RunShell(Quote(LEAFBIND_HHC) + " " + Quote((project / "p.hhp").string())); }

    std::map<std::string, std::string> Everything() const { return FolderChecksums(root); }

    fs::path root;
    fs::path project;
    fs::path outside;
};

} // namespace

// The compiled file may only replace an earlier help file: never the project, a page, a sitemap, another file of the
// user's, or whatever a link points to.
TEST_F(HostileProject, TheCompiledFileNeverReplacesAnInputOrAUsersFile) {
    fs::create_symlink(outside / "secret.txt", project / "linked.chm");
    fs::create_directories(project / "sub");
    struct Case {
        std::string compiledFile;
        std::string says;
    };
    const Case cases[] = {
        {"p.hhp", "is not a help file"},
        {"0.html", "is not a help file"},
        {"base.hhc", "is not a help file"},
        {"notes.txt", "is not a help file"},
        {(project / "sub" / ".." / "1.html").string(), "is not a help file"},
        {"linked.chm", "symbolic link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compiledFile);
        WriteProject("Compiled file=" + c.compiledFile + "\r\n");
        const auto before = Everything();
        const CliRun run = Compile();
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(Everything(), before) << "no file changed, none added";
    }
    // An earlier help file of this project, on the other hand, is replaced.
    WriteProject("Compiled file=p.chm\r\n");
    ASSERT_EQ(Compile().status, 0);
    const std::string first = FileChecksum(project / "p.chm");
    WriteText(project / "1.html", "<html><head><title>New</title></head><body><p>Changed text</p></body></html>");
    const CliRun again = Compile();
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_NE(FileChecksum(project / "p.chm"), first);
    EXPECT_NE(ChmReader::Open((project / "p.chm").string())->Read("/1.html").value_or("").find("Changed text"),
              std::string::npos);
}

// The error log goes beside the project as a new file or over an earlier log, never through a link, never over the
// help file or a file of other content.
TEST_F(HostileProject, TheErrorLogReplacesOnlyAnEarlierLog) {
    WriteProject("Compiled file=p.chm\r\n");
    ASSERT_EQ(Compile().status, 0);
    fs::create_symlink(outside / "secret.txt", project / "linked.log");
    WriteText(project / "words.log", "a log of the user's own\r\n");
    fs::create_directories(project / "logs");
    struct Case {
        std::string logFile;
        std::string says;
    };
    const Case cases[] = {
        {"p.chm", "the error log file is the compiled file"},
        {"linked.log", "symbolic link"},
        {"words.log", "is not an error log"},
        {"logs\\compile.log", "beside the project file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logFile);
        WriteProject("Compiled file=p.chm\r\nError log file=" + c.logFile + "\r\n");
        const auto before = Everything();
        const CliRun run = Compile();
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(Everything(), before) << "no file changed, none added";
    }
    // A new log, then that log again with this compile's messages.
    WriteProject("Compiled file=p.chm\r\nError log file=compile.log\r\nDefault topic=gone.html\r\n");
    ASSERT_EQ(Compile().status, 0);
    const std::string log = ReadText(project / "compile.log");
    EXPECT_NE(log.find("warning: the default topic gone.html"), std::string::npos) << log;
    WriteProject("Compiled file=p.chm\r\nError log file=compile.log\r\n");
    ASSERT_EQ(Compile().status, 0);
    EXPECT_EQ(ReadText(project / "compile.log"), "") << "the earlier log was replaced";
}

// A page, sitemap or header listed in the project is read from its folder tree only: a link out of it is left out
// with a warning, and nothing of what it points to reaches the help file.
TEST_F(HostileProject, FilesLinkedFromOutsideTheProjectAreLeftOutAndNamed) {
    fs::create_symlink(outside / "secret.txt", project / "secret.html");
    fs::create_directory_symlink(outside, project / "elsewhere");
    fs::create_directories(project / "inside");
    WriteText(project / "inside" / "kept.html", "<html><body><p>kept page</p></body></html>");
    fs::create_symlink(project / "inside" / "kept.html", project / "alias.html");
    WriteProject("Compiled file=p.chm\r\n", "secret.html\r\nelsewhere\\secret.txt\r\nalias.html\r\n");
    const auto before = Everything();
    const CliRun run = Compile();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("left out: secret.html"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("left out: elsewhere/secret.txt"), std::string::npos) << run.output;
    auto chm = ChmReader::Open((project / "p.chm").string());
    ASSERT_TRUE(chm);
    const std::vector<std::string> names = chm->List();
    EXPECT_EQ(std::count(names.begin(), names.end(), "/secret.html"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "/elsewhere/secret.txt"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "/alias.html"), 1) << "a link inside the project is followed";
    for (const std::string& name : names)
        EXPECT_EQ(chm->Read(name).value_or("").find("the user's secret"), std::string::npos) << name;
    auto after = Everything();
    after.erase("project/p.chm");
    EXPECT_EQ(after, before) << "only the help file was added";

    // A header of help IDs out of the tree is refused the same way.
    fs::create_symlink(outside / "secret.txt", project / "ids.h");
    WriteProject("Compiled file=p.chm\r\n[MAP]\r\n#include ids.h\r\n");
    const CliRun include = Compile();
    EXPECT_EQ(include.status, 1) << include.output;
    EXPECT_NE(include.output.find("left out"), std::string::npos) << include.output;
}

// A header of help IDs is bounded in size and its lines in length; a message quotes a short excerpt only.
TEST_F(HostileProject, HugeHeadersAndLinesAreRefusedWithShortMessages) {
    WriteProject("Compiled file=p.chm\r\n[MAP]\r\n#include big.h\r\n#include long.h\r\n");
    {
        std::ofstream big(project / "big.h", std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 17; ++i)
            big << block;
    }
    WriteText(project / "long.h", "#define IDH_FINE 7\n" + std::string(200000, 'y') + "\n");
    const auto before = Everything();
    const CliRun refused = Compile();
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("larger than 16 MB"), std::string::npos) << refused.output.substr(0, 400);
    EXPECT_LT(refused.output.size(), 2000u) << "no excerpt of the file";
    EXPECT_EQ(Everything(), before);

    fs::remove(project / "big.h");
    WriteProject("Compiled file=p.chm\r\n[MAP]\r\n#include long.h\r\n");
    const CliRun compiled = Compile();
    EXPECT_EQ(compiled.status, 0) << compiled.output.substr(0, 400);
    EXPECT_NE(compiled.output.find("line 2 is longer than 4096 bytes"), std::string::npos)
        << compiled.output.substr(0, 400);
    std::istringstream lines(compiled.output);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LT(line.size(), 300u) << line.substr(0, 120);
}

// A default topic that names no page of the project is told, not silently replaced by the first page.
TEST_F(HostileProject, ADefaultTopicThatIsNoPageIsTold) {
    WriteProject("Compiled file=p.chm\r\nDefault topic=missing.html\r\n");
    const CliRun run = Compile();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("the default topic missing.html is not a file of the project"), std::string::npos)
        << run.output;
    WriteProject("Compiled file=p.chm\r\nDefault topic=1.html\r\n");
    const CliRun listed = Compile();
    ASSERT_EQ(listed.status, 0);
    EXPECT_EQ(listed.output.find("default topic"), std::string::npos) << listed.output;
}

// A full output disk stops the compile at the first file that cannot be stored, told once, with nothing left there.
TEST_F(HostileProject, AFullOutputDiskIsToldOnceAndLeavesNothing) {
    const fs::path small = root / "small";
    fs::create_directories(small);
    // A file system of 64 KB of its own; without the right to mount one, there is no full disk to try.
    if (std::system(("mount -t tmpfs -o size=64k tmpfs " + Quote(small.string()) + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    std::string files;
    for (int picture = 0; picture < 40; ++picture) {
        const std::string name = "picture" + std::to_string(picture) + ".png";
        std::string bytes = "\x89PNG\r\n\x1a\n";
        for (int i = 0; i < 8192; ++i)
            bytes += static_cast<char>((i * 131 + picture * 7) & 0xFF);
        WriteText(project / name, bytes);
        files += name + "\r\n";
    }
    WriteProject("Compiled file=" + (small / "p.chm").string() + "\r\n", files);
    const CliRun run = Compile();
    const bool empty = fs::is_empty(small);
    std::system(("umount " + Quote(small.string())).c_str());
    EXPECT_EQ(run.status, 1) << run.output;
    size_t told = 0;
    for (size_t at = run.output.find("cannot write"); at != std::string::npos;
         at = run.output.find("cannot write", at + 1))
        ++told;
    EXPECT_EQ(told, 1u) << run.output;
    EXPECT_TRUE(empty) << "no temporary file left on the full disk";
}
