// Hostile and careless runs of leafbind-cli: headers written onto the run's own files, shared kept folders, readers
// that go away, folders that cannot be removed, no home folder, lying .doc headers, long titles and huge headers.
// Files are compared by checksum before and after.

#include "CliRun.h"
#include "FileChecksums.h"
#include "FileText.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

constexpr uid_t kNobody = 65534;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void SaveGuide(const fs::path& path) {
    DocxBuilder doc;
    doc.AddHeading(1, "Intro").AddParagraph("Intro one.").AddHeading(1, "Usage").AddParagraph("Usage one.");
    doc.Save(path);
}

void SaveBigDocument(const fs::path& path) {
    DocxBuilder doc;
    for (int topic = 0; topic < 400; ++topic)
        doc.AddHeading(1, "Topic " + std::to_string(topic)).AddParagraph("Body of topic " + std::to_string(topic));
    doc.Save(path);
}

bool Holds(const fs::path& folder, const std::string& fileName) {
    std::error_code code;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        if (it->path().filename() == fileName)
            return true;
    return false;
}

// Waits (polling, bounded) until a file of that name appears under folder, as pages do while a run works.
bool WaitFor(const fs::path& folder, const std::string& fileName) {
    for (int wait = 0; wait < 3000; ++wait) {
        if (Holds(folder, fileName))
            return true;
        ::usleep(10000);
    }
    return false;
}

// The names in folder starting with prefix.
std::vector<std::string> NamesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        if (it->path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(it->path().filename().string());
    return names;
}

// leafbind-cli started in a child with an environment of its own and its standard error (and output) going to
// errorFd; the child's pid.
pid_t StartCli(const std::vector<std::string>& args, const std::function<void()>& prepareChild, int errorFd) {
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    prepareChild();
    ::dup2(errorFd, STDERR_FILENO);
    ::dup2(errorFd, STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(LEAFBIND_CLI)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(LEAFBIND_CLI, argv.data());
    ::_exit(127);
}

// The child's end, waited for in bounded steps; a child still running after them is killed and reported as -1.
int WaitBounded(pid_t child) {
    int status = 0;
    for (int wait = 0; wait < 3000; ++wait) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return status;
        ::usleep(10000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

class HostileRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-hostile-cli-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code code;
        fs::permissions(folder, fs::perms::all, fs::perm_options::add, code);
        for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
            if (it->is_directory() && !it->is_symlink())
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, code);
        fs::remove_all(folder);
    }

    fs::path folder;
};

} // namespace

// The header of help IDs may not replace the help file, the source, the header read or anything that is no regular
// file; that is known before the run, which then touches nothing.
TEST_F(HostileRun, TheHeaderToWriteNeverReplacesTheRunsFilesOrANode) {
    SaveGuide(folder / "Guide.docx");
    const std::string source = (folder / "Guide.docx").string();
    const std::string output = (folder / "Guide.chm").string();
    ASSERT_EQ(RunCli({source, "-o", output, "-q"}).status, 0);
    WriteText(folder / "ids.h", "#define IDH_INTRO 100\n");
    WriteText(folder / "secret.txt", "someone's file");
    ASSERT_EQ(::mkfifo((folder / "fifo.h").c_str(), 0600), 0);
    fs::create_symlink(folder / "secret.txt", folder / "link.h");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::string mapHeader = (folder / "ids.h").string();
    // A device of the test's own, where a careless user names /dev/null: the real one is never put at risk.
    const fs::path device = folder / "null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    std::vector<Case> cases = {
        {{"--write-map-header", output}, "would replace an input or the help file"},
        {{"--write-map-header", (folder / "." / "Guide.chm").string()}, "would replace an input or the help file"},
        {{"--write-map-header", source}, "would replace an input or the help file"},
        {{"--map-header", mapHeader, "--write-map-header", mapHeader}, "would replace an input or the help file"},
        {{"--write-map-header", (folder / "fifo.h").string()}, "is not a regular file"},
        {{"--write-map-header", (folder / "link.h").string()}, "symbolic link"},
        {{"--write-map-header", (folder / "nowhere" / "ids.h").string()}, "does not exist"},
    };
    if (haveDevice)
        cases.push_back({{"--write-map-header", device.string()}, "is not a regular file"});
    for (const Case& c : cases) {
        std::vector<std::string> args{source, "-o", output};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto before = FolderChecksums(folder);
        const CliRun run = RunCli(args);
        SCOPED_TRACE(c.args.back() + ": " + run.output);
        EXPECT_EQ(run.status, 1) << "a fault of the help IDs";
        EXPECT_NE(run.output.find(c.says), std::string::npos);
        EXPECT_EQ(run.output.find("page 1"), std::string::npos) << "refused before any page was made";
        EXPECT_EQ(FolderChecksums(folder), before) << "nothing changed";
    }
    if (haveDevice)
        EXPECT_TRUE(fs::is_character_file(device));
    // A new header beside the help file is written.
    const CliRun run = RunCli({source, "-o", output, "-q", "--write-map-header", (folder / "new.h").string()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(ReadText(folder / "new.h").find("#pragma once"), std::string::npos);
}

// A kept folder another run is using (it holds the folder's lock) is refused, not shared.
TEST_F(HostileRun, AKeptFolderInUseByAnotherRunIsRefused) {
    SaveGuide(folder / "Guide.docx");
    const fs::path keep = folder / "keep";
    fs::create_directory(keep);
    const int otherRun = ::open(keep.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(otherRun, 0);
    ASSERT_EQ(::flock(otherRun, LOCK_EX | LOCK_NB), 0);
    const auto before = FolderChecksums(folder);
    const CliRun refused =
        RunCli({(folder / "Guide.docx").string(), "-o", (folder / "Guide.chm").string(), "--keep", keep.string()});
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_NE(refused.output.find("in use by another run"), std::string::npos) << refused.output;
    EXPECT_EQ(FolderChecksums(folder), before);
    ::close(otherRun);

    const CliRun run = RunCli(
        {(folder / "Guide.docx").string(), "-o", (folder / "Guide.chm").string(), "--keep", keep.string(), "-q"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::is_regular_file(keep / "0.html"));
}

// A reader that goes away (leafbind-cli ... | head) ends the run as an interruption does: no working folder, no
// staging folder, the old help file as it was.
TEST_F(HostileRun, AReaderThatGoesAwayLeavesNothingBehind) {
    SaveBigDocument(folder / "Big.docx");
    WriteText(folder / "Big.chm", "the old help file");
    const std::string oldHelp = FileChecksum(folder / "Big.chm");
    const fs::path cache = folder / "cache";
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = StartCli(
        {(folder / "Big.docx").string()},
        [&] {
            ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
            ::close(pipeEnds[0]);
        },
        pipeEnds[1]);
    ASSERT_GT(child, 0);
    ::close(pipeEnds[1]);
    // Read until pages are being written, then go away as head does.
    std::string seen;
    char buffer[256];
    for (ssize_t got; seen.find("page 3 of") == std::string::npos && (got = ::read(pipeEnds[0], buffer, 256)) > 0;)
        seen.append(buffer, static_cast<size_t>(got));
    ASSERT_NE(seen.find("page 3 of"), std::string::npos) << seen;
    ::close(pipeEnds[0]);
    const int status = WaitBounded(child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
    EXPECT_TRUE(fs::is_empty(cache / "leafbind")) << "the working folder went with the run";
    EXPECT_TRUE(NamesStartingWith(folder, ".leafbind-").empty()) << "the staging folder went with the run";
    EXPECT_EQ(FileChecksum(folder / "Big.chm"), oldHelp);
}

// What a run killed outright left (its folders no longer locked by a live run) is removed by the next run of the
// same user; folders a live run holds and folders of other names stay.
TEST_F(HostileRun, TheNextRunRemovesWhatAKilledRunLeft) {
    SaveGuide(folder / "Guide.docx");
    const fs::path runs = folder / "cache" / "leafbind";
    fs::create_directories(runs);
    fs::permissions(runs, fs::perms::owner_all, fs::perm_options::replace);
    for (const fs::path& left : {runs / "run-AAAAAA", folder / ".leafbind-CCCCCC"}) {
        fs::create_directories(left / "0.files");
        WriteText(left / "0.html", "a page of a killed run");
        fs::permissions(left, fs::perms::owner_all, fs::perm_options::replace);
    }
    fs::create_directories(runs / "run-BBBBBB");
    fs::permissions(runs / "run-BBBBBB", fs::perms::owner_all, fs::perm_options::replace);
    const int liveRun = ::open((runs / "run-BBBBBB").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(liveRun, LOCK_EX | LOCK_NB), 0);
    fs::create_directories(runs / "run-of-my-own");
    WriteText(runs / "run-of-my-own" / "keep.txt", "not a run folder");
    fs::create_directories(folder / ".leafbind-notes");
    WriteText(folder / ".leafbind-notes" / "keep.txt", "not a run folder");
    auto before = FolderChecksums(folder);

    const CliRun run = RunShell("XDG_CACHE_HOME=" + Quote((folder / "cache").string()) + " " + Quote(LEAFBIND_CLI) +
                                " " + Quote((folder / "Guide.docx").string()) + " -q");
    ::close(liveRun);
    ASSERT_EQ(run.status, 0) << run.output;
    auto after = FolderChecksums(folder);
    EXPECT_FALSE(after.contains("cache/leafbind/run-AAAAAA"));
    EXPECT_FALSE(after.contains(".leafbind-CCCCCC"));
    EXPECT_TRUE(after.contains("Guide.chm"));
    for (const std::string gone : {"cache/leafbind/run-AAAAAA", ".leafbind-CCCCCC"})
        std::erase_if(before, [&](const auto& entry) { return entry.first.rfind(gone, 0) == 0; });
    after.erase("Guide.chm");
    EXPECT_EQ(after, before) << "the live run's folder and other folders stay as they were";
}

// An interrupted run whose folder holds a subfolder it cannot empty stops after one attempt and says what it left.
TEST_F(HostileRun, AnInterruptedRunThatCannotRemoveEverythingEndsAndSaysSo) {
    SaveBigDocument(folder / "Big.docx");
    const bool root = ::geteuid() == 0;
    // As root nothing is refused to the run itself; the run is then made as another user, as the fault arises.
    const fs::path home = folder / "home";
    fs::create_directories(home / "out");
    if (root) {
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
        for (const fs::path& path : {home, home / "out", folder / "Big.docx"})
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    const fs::path errors = folder / "errors.txt";
    const int errorFd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(errorFd, 0);
    const pid_t child = StartCli(
        {(folder / "Big.docx").string(), "-o", (home / "out" / "Big.chm").string()},
        [&] {
            ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
            if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(126);
        },
        errorFd);
    ::close(errorFd);
    ASSERT_TRUE(WaitFor(home / "cache", "3.html"));
    fs::path runFolder;
    for (const auto& entry : fs::directory_iterator(home / "cache" / "leafbind"))
        runFolder = entry.path();
    const fs::path blocker = runFolder / "blocker";
    fs::create_directory(blocker);
    WriteText(blocker / "stays.txt", "cannot be removed by the run");
    if (!root)
        fs::permissions(blocker, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ::kill(child, SIGTERM);
    const int status = WaitBounded(child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "ended, not spinning: " << status;
    EXPECT_NE(ReadText(errors).find("could not remove " + runFolder.string()), std::string::npos) << ReadText(errors);
    EXPECT_TRUE(fs::exists(blocker / "stays.txt"));
    EXPECT_FALSE(fs::exists(home / "out" / "Big.chm"));
}

// Without a home folder the run's folder is a private one straight in the temporary folder, and a cache folder
// another user could write in is not used at all.
TEST_F(HostileRun, WithoutAHomeOrWithAForeignCacheTheRunFolderIsPrivate) {
    SaveGuide(folder / "Guide.docx");
    const fs::path temporary = folder / "tmp";
    fs::create_directories(temporary);
    // What a killed run left there: removed by the next run, which proves where that run worked.
    fs::create_directories(temporary / "leafbind-run-AAAAAA");
    fs::permissions(temporary / "leafbind-run-AAAAAA", fs::perms::owner_all, fs::perm_options::replace);
    auto command = [&](const std::string& cache) {
        return "env -u HOME -u XDG_CACHE_HOME -u XDG_RUNTIME_DIR " + cache + " TMPDIR=" + Quote(temporary.string()) +
               " " + Quote(LEAFBIND_CLI) + " " + Quote((folder / "Guide.docx").string()) + " -q";
    };
    const CliRun homeless = RunShell(command(""));
    ASSERT_EQ(homeless.status, 0) << homeless.output;
    EXPECT_TRUE(fs::is_empty(temporary)) << "no shared .cache folder, and the stale run folder went";

    // A cache folder open to everyone: another user could move the run's files away.
    const fs::path cache = folder / "cache";
    fs::create_directories(cache / "leafbind" / "run-AAAAAA");
    fs::permissions(cache / "leafbind" / "run-AAAAAA", fs::perms::owner_all, fs::perm_options::replace);
    fs::permissions(cache / "leafbind", fs::perms::all, fs::perm_options::replace);
    fs::create_directories(temporary / "leafbind-run-BBBBBB");
    fs::permissions(temporary / "leafbind-run-BBBBBB", fs::perms::owner_all, fs::perm_options::replace);
    const auto before = FolderChecksums(cache);
    const CliRun foreign = RunShell(command("XDG_CACHE_HOME=" + Quote(cache.string())));
    ASSERT_EQ(foreign.status, 0) << foreign.output;
    EXPECT_EQ(FolderChecksums(cache), before) << "the open cache folder was not used";
    EXPECT_TRUE(fs::is_empty(temporary)) << "the run worked in a private folder of the temporary folder";
}

// A .doc whose compound-file header lies about its allocation table (a count far beyond the file, a list chain
// naming sector 0 again and again) is refused at once, within the memory the file itself would need.
TEST_F(HostileRun, ALyingCompoundFileHeaderCostsNoMoreThanTheFile) {
    std::string bytes(8u << 20, '\0');
    bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0x1E] = 9; // 512-byte sectors
    // Allocation-table sectors: far more than the file holds, as many as the list chain below can name, each a
    // sector's worth of entries to hold.
    put32(0x2C, 109 + 127 * 16000);
    put32(0x30, 0);
    put32(0x44, 0); // the chain of further lists starts at sector 0 ...
    for (size_t at = 512; at < 1024; at += 4)
        put32(at, 0); // ... which names sector 0 again, as its next list too
    WriteText(folder / "Lying.doc", bytes);
    const auto before = FolderChecksums(folder);
    // A bound on the address space shows an allocation the size of the header's lie; sanitizers reserve far more
    // address space of their own, so there the run goes unbounded.
    const std::string limit = kSanitized ? "" : "ulimit -v 1000000; ";
    const CliRun run = RunShell(limit + Quote(LEAFBIND_CLI) + " " + Quote((folder / "Lying.doc").string()) + " -q");
    EXPECT_TRUE(run.status > 0 && run.status < 128) << "refused, not ended by a failed allocation: " << run.status;
    EXPECT_NE(run.output.find("error:"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("memory"), std::string::npos)
        << "refused for what it is, not for its cost: " << run.output;
    EXPECT_EQ(FolderChecksums(folder), before);
}

// A title far beyond what the help file shows is shortened with a warning, as long headings are, and the run
// succeeds; a header of help IDs beyond its bound says so, not merely that it cannot be read.
TEST_F(HostileRun, LongTitlesAreShortenedAndHugeHeadersNamed) {
    SaveGuide(folder / "Guide.docx");
    const CliRun titled = RunCli({(folder / "Guide.docx").string(), "--title", std::string(4000, 't')});
    EXPECT_EQ(titled.status, 0) << titled.output.substr(0, 400);
    EXPECT_NE(titled.output.find("title is longer than 255 characters and was shortened"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(folder / "Guide.chm"));

    {
        std::ofstream big(folder / "huge.h", std::ios::binary);
        const std::string block(1 << 20, ' ');
        for (int i = 0; i < 17; ++i)
            big << block;
    }
    const auto before = FolderChecksums(folder);
    const CliRun huge = RunCli({(folder / "Guide.docx").string(), "--map-header", (folder / "huge.h").string(), "-q"});
    EXPECT_NE(huge.status, 0);
    EXPECT_NE(huge.output.find("is larger than 16 MB"), std::string::npos) << huge.output;
    EXPECT_EQ(FolderChecksums(folder), before);
}
