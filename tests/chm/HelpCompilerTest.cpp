#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include <sys/stat.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "hha.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> gMessages;

int Record(const char* text) {
    gMessages.emplace_back(text);
    return 1;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string RunCommand(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer{};
    while (pipe != nullptr && fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    const int result = pipe ? pclose(pipe) : -1;
    if (status != nullptr)
        *status = result;
    return output;
}

std::string Entry(const std::string& name, const std::string& local) {
    return "<LI> <OBJECT type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"" + name +
           "\">\r\n<param name=\"Local\" value=\"" + local + "\">\r\n</OBJECT>\r\n";
}

// A project in a fresh folder, written the way the project writers do, with pages and pictures.
class ProjectFolder {
public:
    explicit ProjectFolder(const std::string& name)
        : folder(fs::temp_directory_path() / ("chm-test-" + name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~ProjectFolder() { fs::remove_all(folder); }

    void AddPages(int count, size_t padding = 0) {
        for (int i = 0; i < count; ++i) {
            const std::string name = std::to_string(i) + ".html";
            std::string page = "<html><head><meta charset=utf-8><title>Page " + std::to_string(i) +
                               "</title></head><body><p>\xE5\xB8\xAE\xE5\x8A\xA9 text of page " + std::to_string(i) +
                               "</p>" + std::string(padding, 'x') + "<a href=\"" + std::to_string((i + 1) % count) +
                               ".html\">next</a></body></html>";
            files[name] = page;
            fileList.push_back(name);
        }
    }

    void AddFile(const std::string& name, const std::string& bytes) {
        files[name] = bytes;
        std::string listed = name;
        std::replace(listed.begin(), listed.end(), '/', '\\');
        fileList.push_back(listed);
    }

    // Writes the project; the contents nest page 1 under page 0, the index lists every page.
    void Write(const std::string& extraOptions = {}) {
        std::string contents = "<HTML><BODY><UL>";
        std::string index = "<HTML><BODY><UL>";
        for (size_t i = 0; i < pageCount(); ++i) {
            const std::string local = std::to_string(i) + ".html";
            const std::string title = "\xCC\xE2\xC4\xBF" + std::to_string(i); // GB2312 "题目"
            contents += Entry(title, local) + (i == 0 && pageCount() > 1 ? "<UL>" : "") + (i == 1 ? "</UL>" : "");
            index += Entry(title, local);
        }
        WriteFile(folder / "Manual.hhc", contents + "</UL></BODY></HTML>\r\n");
        WriteFile(folder / "Manual.hhk", index + "</UL></BODY></HTML>\r\n");
        std::string project = "[OPTIONS]\r\nCompiled file=" + (folder / "Manual.chm").string() +
                              "\r\nDefault Window=Main\r\nDefault topic=0.html\r\nTitle=Manual\r\n"
                              "Contents file=Manual.hhc\r\nIndex file=Manual.hhk\r\nLanguage=0x804\r\n" +
                              extraOptions +
                              "[WINDOWS]\r\nMain=\"Manual\",\"Manual.hhc\",\"Manual.hhk\",\"0.html\",,,,,,0x62520,,"
                              "0x300e,[135,50,1015,730],0x1030000,,,,,,0\r\n[FILES]\r\n";
        for (const std::string& name : fileList)
            project += name + "\r\n";
        WriteFile(folder / "Manual.hhp", project);
        for (const auto& [name, bytes] : files)
            WriteFile(folder / name, bytes);
    }

    bool Compile() {
        gMessages.clear();
        return HHA_CompileHHP((folder / "Manual.hhp").c_str(), Record, Record, 0) != 0;
    }

    size_t pageCount() const {
        return static_cast<size_t>(std::count_if(files.begin(), files.end(), [](const auto& file) {
            return file.first.ends_with(".html") && file.first.find('/') == std::string::npos;
        }));
    }

    fs::path folder;
    std::map<std::string, std::string> files;
    std::vector<std::string> fileList;
};

bool MessagesMention(const std::string& text) {
    return std::any_of(gMessages.begin(), gMessages.end(),
                       [&](const std::string& message) { return message.find(text) != std::string::npos; });
}

TEST(HelpCompiler, ChmlibAnd7zipReadBackEveryFile) {
    ProjectFolder project("readback");
    project.AddPages(40, 3000);
    std::string picture;
    for (int i = 0; i < 70000; ++i)
        picture += static_cast<char>((i * 7919) >> 3);
    project.AddFile("0.files/image001.png", picture);
    project.Write();
    ASSERT_TRUE(project.Compile());
    const fs::path output = project.folder / "Manual.chm";
    ASSERT_TRUE(fs::exists(output));

    const fs::path extracted = project.folder / "extracted";
    RunCommand("extract_chmLib '" + output.string() + "' '" + extracted.string() + "'");
    for (const auto& [name, bytes] : project.files)
        EXPECT_EQ(ReadFile(extracted / name), bytes) << name;
    EXPECT_EQ(ReadFile(extracted / "Manual.hhc"), ReadFile(project.folder / "Manual.hhc"));
    for (const char* internal :
         {"#SYSTEM", "#WINDOWS", "#STRINGS", "#TOPICS", "#URLTBL", "#URLSTR", "#IDXHDR", "$WWKeywordLinks/BTree"})
        EXPECT_TRUE(fs::exists(extracted / internal)) << internal;
    // #SYSTEM names the contents file and the title; #TOPICS has one 16-byte entry per page.
    const std::string system = ReadFile(extracted / "#SYSTEM");
    EXPECT_NE(system.find("Manual.hhc"), std::string::npos);
    EXPECT_EQ(fs::file_size(extracted / "#TOPICS"), 40u * 16u);

    int status = 0;
    const std::string test = RunCommand("7z t '" + output.string() + "'", &status);
    EXPECT_EQ(status, 0) << test;
    EXPECT_NE(test.find("Everything is Ok"), std::string::npos) << test;
}

// Pictures and other compressed data are stored as they are (section 0), pages compressed (section 1); chmlib,
// 7-Zip and python3-chm each give back every file byte for byte.
TEST(HelpCompiler, CompressedDataIsStoredAsItIsAndReadsBackInEveryReader) {
    ProjectFolder project("stored");
    project.AddPages(30, 2000);
    std::mt19937 random(3);
    const auto noise = [&](size_t size) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i)
            bytes += static_cast<char>(random());
        return bytes;
    };
    const std::map<std::string, std::string> stored = {
        {"pics/photo.png", std::string("\x89PNG\r\n\x1A\n", 8) + noise(90000)},
        {"pics/small.gif", "GIF89a" + noise(300)},
        {"pics/photo.jpg", "\xFF\xD8\xFF\xE0" + std::string(600, '\0') + noise(40000)},
        {"data/packed.bin", noise(70000)}, // no known signature, but no byte more likely than another
    };
    for (const auto& [name, bytes] : stored)
        project.AddFile(name, bytes);
    project.AddFile("style.css", std::string(20000, 'a')); // compresses: stays in section 1
    project.Write();
    ASSERT_TRUE(project.Compile());
    const fs::path output = project.folder / "Manual.chm";

    // enum_chmLib lists each file's section first.
    const std::string listing = RunCommand("enum_chmLib '" + output.string() + "'");
    const auto sectionOf = [&](const std::string& name) {
        const size_t at = listing.find("\t/" + name + "\n");
        if (at == std::string::npos)
            return -1;
        const size_t lineStart = listing.rfind('\n', at) + 1;
        return std::stoi(listing.substr(lineStart, at - lineStart));
    };
    for (const auto& [name, bytes] : stored)
        EXPECT_EQ(sectionOf(name), 0) << name;
    EXPECT_EQ(sectionOf("style.css"), 1);
    EXPECT_EQ(sectionOf("0.html"), 1);

    const fs::path extracted = project.folder / "extracted";
    RunCommand("extract_chmLib '" + output.string() + "' '" + extracted.string() + "'");
    const fs::path sevenZip = project.folder / "7z";
    int status = 0;
    const std::string unpacked = RunCommand("7z x -y -o'" + sevenZip.string() + "' '" + output.string() + "'", &status);
    EXPECT_EQ(status, 0) << unpacked;
    for (const auto& [name, bytes] : project.files) {
        EXPECT_EQ(ReadFile(extracted / name), bytes) << name;
        EXPECT_EQ(ReadFile(sevenZip / name), bytes) << name;
    }
    if (std::system("/usr/bin/python3 -I -c 'import chm.chm' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-chm is not installed";
    const fs::path script = project.folder / "read.py";
    WriteFile(script, "import sys\n"
                      "from chm import chm\n"
                      "f = chm.CHMFile()\n"
                      "f.LoadCHM(sys.argv[1])\n"
                      "for name in sys.argv[2:]:\n"
                      "    status, unit = f.ResolveObject(('/' + name).encode())\n"
                      "    size, data = f.RetrieveObject(unit)\n"
                      "    open(name.replace('/', '_') + '.out', 'wb').write(data)\n");
    std::string command = "cd '" + project.folder.string() + "' && /usr/bin/python3 -I read.py Manual.chm";
    for (const auto& [name, bytes] : project.files)
        command += " '" + name + "'";
    RunCommand(command, &status);
    EXPECT_EQ(status, 0);
    for (const auto& [name, bytes] : project.files) {
        std::string flat = name;
        std::replace(flat.begin(), flat.end(), '/', '_');
        EXPECT_EQ(ReadFile(project.folder / (flat + ".out")), bytes) << name;
    }
}

TEST(HelpCompiler, ListingIsCompleteWithFiveThousandFiles) {
    ProjectFolder project("many");
    project.AddPages(5000);
    project.Write();
    ASSERT_TRUE(project.Compile());
    const std::string listing = RunCommand("enum_chmLib '" + (project.folder / "Manual.chm").string() + "'");
    for (int i = 0; i < 5000; ++i)
        ASSERT_NE(listing.find("\t/" + std::to_string(i) + ".html\n"), std::string::npos) << i;
    // Lookups go through the index chunks: extract a page from the end of the sorted listing.
    const fs::path extracted = project.folder / "extracted";
    RunCommand("extract_chmLib '" + (project.folder / "Manual.chm").string() + "' '" + extracted.string() + "'");
    EXPECT_EQ(ReadFile(extracted / "9.html"), project.files["9.html"]);
    int status = 0;
    RunCommand("7z t '" + (project.folder / "Manual.chm").string() + "'", &status);
    EXPECT_EQ(status, 0);
}

TEST(HelpCompiler, WarnsAboutLinksToMissingFiles) {
    ProjectFolder project("links");
    project.AddPages(2);
    project.AddFile("extra.html", "<a href=\"gone.html#x\">x</a><img src='pics/none.png'><a href=\"http://a/b\">w</a>"
                                  "<IMG\r\nalt=\"href=x\" SRC=upper.png><a title='&lt;' href = \"spaced.html\">s</a>");
    // Markup shown as text, in comments or in scripts links nowhere.
    project.AddFile("shown.html",
                    "<p>&lt;a href=\"text.html\"&gt; and src=\"text.png\"</p><pre>&lt;img src='p.png'&gt;</pre>"
                    "<!-- <a href=\"commented.html\"> --><script>s = '<a href=\"script.html\">';</script>"
                    "<p data-src=\"data.png\">href=\"bare.html\"</p>");
    project.Write();
    ASSERT_TRUE(project.Compile());
    EXPECT_TRUE(MessagesMention("extra.html links to a missing file: gone.html"));
    EXPECT_TRUE(MessagesMention("missing file: pics/none.png"));
    EXPECT_TRUE(MessagesMention("missing file: upper.png"));
    EXPECT_TRUE(MessagesMention("missing file: spaced.html"));
    EXPECT_FALSE(MessagesMention("missing file: x"));
    EXPECT_FALSE(MessagesMention("http"));
    EXPECT_FALSE(MessagesMention("shown.html links"));
}

struct BadInput {
    const char* name;
    void (*prepare)(ProjectFolder&);
    const char* expectedMessage;
};

class HelpCompilerBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(HelpCompilerBadInput, FailsWithAMessageAndLeavesNoFile) {
    ProjectFolder project(GetParam().name);
    project.AddPages(3);
    project.Write();
    GetParam().prepare(project);
    EXPECT_FALSE(project.Compile());
    EXPECT_TRUE(MessagesMention(GetParam().expectedMessage)) << (gMessages.empty() ? "" : gMessages.front());
    EXPECT_FALSE(fs::is_regular_file(project.folder / "Manual.chm"));
    for (const auto& entry : fs::directory_iterator(project.folder))
        EXPECT_EQ(entry.path().filename().string().find(".Manual.chm."), std::string::npos) << "temporary file left";
}

void Append(ProjectFolder& project, const std::string& text) {
    std::ofstream(project.folder / "Manual.hhp", std::ios::binary | std::ios::app) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpCompilerBadInput,
    testing::Values(
        BadInput{"noproject", [](ProjectFolder& p) { fs::remove(p.folder / "Manual.hhp"); }, "cannot read the project"},
        BadInput{"missingfile", [](ProjectFolder& p) { fs::remove(p.folder / "2.html"); },
                 "missing or unreadable: 2.html"},
        BadInput{"nooutputfolder",
                 [](ProjectFolder& p) {
                     std::string text = ReadFile(p.folder / "Manual.hhp");
                     text.replace(text.find("Compiled file=") + 14, 0, (p.folder / "nowhere").string() + "/");
                     WriteFile(p.folder / "Manual.hhp", text);
                 },
                 "output folder does not exist"},
        BadInput{"outputisfolder", [](ProjectFolder& p) { fs::create_directory(p.folder / "Manual.chm/"); },
                 "output path is a folder"},
        BadInput{"unicodeonlylanguage",
                 [](ProjectFolder& p) {
                     std::string text = ReadFile(p.folder / "Manual.hhp");
                     text.replace(text.find("Language=0x804"), 14, "Language=0x439"); // Hindi: no ANSI code page
                     WriteFile(p.folder / "Manual.hhp", text);
                 },
                 "the project's language 0x439 is in code page 0, which this compiler cannot read"},
        BadInput{"badsitemap",
                 [](ProjectFolder& p) { WriteFile(p.folder / "Manual.hhc", "<UL><LI><OBJECT type=\"text/sitemap\">"); },
                 "malformed sitemap"},
        BadInput{"nothingtocompile",
                 [](ProjectFolder& p) { WriteFile(p.folder / "Manual.hhp", "[OPTIONS]\r\nTitle=Empty\r\n"); },
                 "nothing to compile"},
        BadInput{"randombytes",
                 [](ProjectFolder& p) {
                     std::mt19937 random(5);
                     std::string bytes(200 * 1024, '\0');
                     for (char& c : bytes)
                         c = static_cast<char>(random());
                     WriteFile(p.folder / "Manual.hhp", bytes);
                 },
                 "error:"},
        BadInput{"longline", [](ProjectFolder& p) { Append(p, std::string(50000, 'a') + ".html\r\n"); }, "longer than"},
        BadInput{"climbsout", [](ProjectFolder& p) { Append(p, "..\\..\\etc\\passwd\r\n"); }, "refused"},
        BadInput{"absolute", [](ProjectFolder& p) { Append(p, "/etc/passwd\r\n"); }, "refused"},
        BadInput{"includeclimbsout", [](ProjectFolder& p) { Append(p, "[MAP]\r\n#include ..\\..\\etc\\passwd\r\n"); },
                 "named by #include"},
        // Opening a pipe for reading would wait for a writer for ever.
        BadInput{"pipe",
                 [](ProjectFolder& p) {
                     ASSERT_EQ(mkfifo((p.folder / "pipe.html").c_str(), 0600), 0);
                     Append(p, "pipe.html\r\n");
                 },
                 "missing or unreadable: pipe.html"},
        BadInput{"folder",
                 [](ProjectFolder& p) {
                     fs::create_directory(p.folder / "folder.html");
                     Append(p, "folder.html\r\n");
                 },
                 "missing or unreadable: folder.html"}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

// Context-sensitive help: every mapped number with an alias is in #IVB with its page as a #STRINGS offset,
// numbers from an included header count too, an alias into a page keeps its anchor, and a number without a compiled
// page is reported and left out.
TEST(HelpCompiler, ContextNumbersLeadToTheirPages) {
    ProjectFolder project("context");
    project.AddPages(3);
    project.Write();
    WriteFile(project.folder / "ids.h", "// shared with the program\r\n#define IDH_TWO 0x20\r\n");
    Append(project, "[MAP]\r\n#define IDH_ONE 1001\r\n#include ids.h\r\n#define IDH_LOST 7\r\n"
                    "#define IDH_NOPAGE 8\r\n#define IDH_PART 1002\r\n[ALIAS]\r\nIDH_ONE=1.html\r\nIDH_TWO=2.html\r\n"
                    "IDH_NOPAGE=gone.html\r\nIDH_PART=2.html#Part\r\n");
    ASSERT_TRUE(project.Compile());
    EXPECT_TRUE(MessagesMention("IDH_LOST has no [ALIAS] entry"));
    EXPECT_TRUE(MessagesMention("IDH_NOPAGE names gone.html"));

    const fs::path extracted = project.folder / "extracted";
    RunCommand("extract_chmLib '" + (project.folder / "Manual.chm").string() + "' '" + extracted.string() + "'");
    const std::string ivb = ReadFile(extracted / "#IVB");
    const std::string strings = ReadFile(extracted / "#STRINGS");
    auto u32 = [&](size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, ivb.data() + at, 4);
        return value;
    };
    ASSERT_GE(ivb.size(), 4u);
    ASSERT_EQ(u32(0), ivb.size() - 4);
    std::map<uint32_t, std::string> pages;
    for (size_t at = 4; at + 8 <= ivb.size(); at += 8) {
        ASSERT_LT(u32(at + 4), strings.size());
        pages[u32(at)] = strings.c_str() + u32(at + 4);
    }
    EXPECT_EQ(pages, (std::map<uint32_t, std::string>{{0x20, "2.html"}, {1001, "1.html"}, {1002, "2.html#Part"}}));
}

} // namespace

// The error log is written whatever happens: it may never take the place of the project or a file it reads.
TEST(HelpCompiler, AnErrorLogNamingAFileOfTheProjectIsRefused) {
    for (const std::string name : {"Manual.hhp", "0.html", "Manual.hhc", "sub\\..\\1.html"}) {
        SCOPED_TRACE(name);
        ProjectFolder project("errorlog");
        project.AddPages(2);
        project.Write("Error log file=" + name + "\r\n");
        const std::map<std::string, std::string> before = {{"Manual.hhp", ReadFile(project.folder / "Manual.hhp")},
                                                           {"Manual.hhc", ReadFile(project.folder / "Manual.hhc")},
                                                           {"0.html", ReadFile(project.folder / "0.html")},
                                                           {"1.html", ReadFile(project.folder / "1.html")}};
        EXPECT_FALSE(project.Compile());
        EXPECT_TRUE(MessagesMention("the error log file is")) << (gMessages.empty() ? "" : gMessages.front());
        for (const auto& [file, bytes] : before)
            EXPECT_EQ(ReadFile(project.folder / file), bytes) << file;
    }
}

namespace {

constexpr int kExtraPage = 99; // extra.html, listed after the numbered pages

struct AheadCase {
    const char* what;
    // Which pages are handed over before the compile, in order; -1 names a file that cannot be read.
    std::vector<int> handed;
    // A page rewritten after it was handed over, or -1.
    int changedAfter;
};

// Page files as a converter hands them over while it saves them, read into a search index for the language
// indexedFor when that is not 0.
std::string CompileWithPagesAhead(ProjectFolder& project, const AheadCase& ahead, unsigned indexedFor) {
    const auto nameOf = [](int page) {
        return page == kExtraPage ? std::string("extra.html")
               : page < 0         ? std::string("missing.html")
                                  : std::to_string(page) + ".html";
    };
    HhaPagesAhead* pages = HHA_BeginPagesAhead();
    if (indexedFor != 0)
        HHA_IndexPagesAhead(pages, indexedFor);
    for (const int page : ahead.handed)
        HHA_AddPageAhead(pages, (project.folder / nameOf(page)).c_str());
    if (ahead.changedAfter >= 0) {
        std::string& bytes = project.files[nameOf(ahead.changedAfter)];
        // The same size, one byte else: of the link's text on the extra page, so its link stays broken.
        const size_t at = ahead.changedAfter == kExtraPage ? bytes.rfind("</a>") - 1 : bytes.size() / 2;
        bytes[at] = bytes[at] == 'x' ? 'y' : 'x';
        WriteFile(project.folder / nameOf(ahead.changedAfter), bytes);
    }
    gMessages.clear();
    const bool compiled = HHA_CompileHHPWithPages((project.folder / "Manual.hhp").c_str(), Record, Record, pages);
    HHA_EndPagesAhead(pages);
    return compiled ? ReadFile(project.folder / "Manual.chm") : std::string();
}

} // namespace

// Pages compressed (and read into the search index) while they are made give the help file the compile makes
// alone, byte for byte, and the same messages once: also when they are not the project's pages (changed after,
// missing, extra, out of order, unreadable) or the index was made for another language, where the compile starts
// again on its own or reads the pages itself.
TEST(HelpCompiler, PagesCompressedAheadGiveTheSameHelpFile) {
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::vector<int> allAndExtra = all;
    allAndExtra.push_back(kExtraPage);
    const AheadCase cases[] = {
        {"every page in order", all, -1},
        {"every page, the extra one too", allAndExtra, -1},
        {"every page, the extra one changed after", allAndExtra, kExtraPage},
        {"the first pages only", {0, 1, 2, 3, 4}, -1},
        {"no page", {}, -1},
        {"a page changed after", all, 7},
        {"the first page changed after", all, 0},
        {"a page more than the project lists", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11}, -1},
        {"two pages swapped", {0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 11}, -1},
        {"an unreadable page", {0, 1, -1, 2}, -1},
    };
    struct Search {
        const char* what;
        const char* options;
        unsigned indexedFor;
    };
    const Search searches[] = {{"no search", "", 0},
                               {"no search, read ahead", "", 0x804},
                               {"search, not indexed ahead", "Full-text search=Yes\r\n", 0},
                               {"search, indexed ahead", "Full-text search=Yes\r\n", 0x804},
                               {"search, indexed ahead for another language", "Full-text search=Yes\r\n", 0x409},
                               {"a stop list, indexed ahead",
                                "Full-text search=Yes\r\nFull text search stop list "
                                "file=stop.stp\r\n",
                                0x804}};
    for (const AheadCase& ahead : cases)
        for (const Search& search : searches) {
            SCOPED_TRACE(std::string(ahead.what) + ", " + search.what);
            ProjectFolder project("ahead");
            project.AddPages(12, 20000); // several 64 KB intervals
            project.AddFile("extra.html", "<a href=\"gone.html\">a warning</a>");
            project.files["stop.stp"] = "page\r\n";
            project.Write(search.options);
            // Both compiles within one second: the help file holds the time of its compile.
            std::string alone;
            std::string withPages;
            std::vector<std::string> aloneMessages;
            for (int attempt = 0; attempt < 5; ++attempt) {
                const std::time_t start = std::time(nullptr);
                withPages = CompileWithPagesAhead(project, ahead, search.indexedFor);
                const std::vector<std::string> withPagesMessages = gMessages;
                ASSERT_TRUE(project.Compile());
                alone = ReadFile(project.folder / "Manual.chm");
                aloneMessages = gMessages;
                EXPECT_EQ(withPagesMessages, aloneMessages);
                if (std::time(nullptr) == start)
                    break;
            }
            ASSERT_FALSE(alone.empty());
            EXPECT_TRUE(MessagesMention("gone.html"));
            EXPECT_TRUE(withPages == alone) << withPages.size() << " bytes against " << alone.size();
        }
}
