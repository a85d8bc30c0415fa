// The platform files behave alike on every system: the same cases run on Linux and, cross-built, under Wine.
#include "base/Charset.h"
#include "base/CleanupRegistry.h"
#include "base/FolderLock.h"
#include "base/LargeBlock.h"
#include "base/NativeFile.h"
#include "base/SameFile.h"
#include "base/SharedLibrary.h"
#include "base/Utf8Path.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace {

// A folder of the test's own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() / ("leafbind-platform-" + std::to_string(stamp));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code code;
        fs::remove_all(path_, code);
    }
    const fs::path& path() const { return path_; }
    std::string Utf8() const { return Utf8FromPath(path_); }

private:
    fs::path path_;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

bool WriteText(int descriptor, const std::string& text) {
    return ::write(descriptor, text.data(), static_cast<unsigned>(text.size())) == static_cast<int>(text.size());
}

} // namespace

TEST(Charset, ConvertsBetweenCodePagesAndRefusesWhatDoesNotFit) {
    struct Case {
        const char* from;
        const char* to;
        std::string input;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"UTF-8", "CP1252", "Jos\xC3\xA9 \xE2\x82\xAC", std::string("Jos\xE9 \x80")},
        {"CP1252", "UTF-8", "Jos\xE9 \x80", std::string("Jos\xC3\xA9 \xE2\x82\xAC")},
        {"UTF-8", "GB18030", "\xE4\xB8\xAD\xE6\x96\x87", std::string("\xD6\xD0\xCE\xC4")},
        {"GB18030", "UTF-8", "\xD6\xD0\xCE\xC4", std::string("\xE4\xB8\xAD\xE6\x96\x87")},
        // Beyond GBK: four-byte sequences in the Basic Multilingual Plane and above it, the euro's own pair.
        {"UTF-8", "GB18030", "\xC3\xB6\xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80",
         std::string("\x81\x30\x8B\x32\x81\x30\x89\x38\xA2\xE3\x94\x39\xFC\x36")},
        {"GB18030", "UTF-8", "\x81\x30\x8B\x32\x94\x39\xFC\x36", std::string("\xC3\xB6\xF0\x9F\x98\x80")},
        {"GB18030", "UTF-8", "\x80", std::nullopt},         // not a character in GB18030
        {"GB18030", "UTF-8", "\x81\x30\x8B", std::nullopt}, // a four-byte sequence cut short
        {"UTF-8", "BIG5", "\xE4\xB8\xAD", std::string("\xA4\xA4")},
        {"UTF-8", "CP932", "\xE3\x81\x82", std::string("\x82\xA0")},
        {"UTF-8", "UTF-16LE", "A\xC3\xA9", std::string("A\0\xE9\0", 4)},
        {"UTF-8", "UTF-32LE", "\xF0\x9F\x98\x80", std::string("\x00\xF6\x01\x00", 4)},
        {"UTF-8", "CP1252", "\xE4\xB8\xAD", std::nullopt}, // a Chinese character has no place in 1252
        {"UTF-8", "CP1252", "Jos\xC3", std::nullopt},      // cut short
        {"GB18030", "UTF-8", "\xD6", std::nullopt},        // a lead byte alone
        {"UTF-8", "NO-SUCH-CHARSET", "abc", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to + ": " + c.input);
        EXPECT_EQ(ConvertCharset(c.from, c.to, c.input), c.expected);
    }
}

TEST(Charset, ReplacingDecoderReadsOnPastMalformedBytes) {
    const std::optional<std::u32string> chinese = DecodeCharsetReplacing("GB18030", "a\xD6\xD0"
                                                                                    "b");
    EXPECT_EQ(chinese, std::u32string(U"a\u4E2Db"));
    const std::optional<std::u32string> broken = DecodeCharsetReplacing("UTF-8", "a\xFF"
                                                                                 "b");
    ASSERT_TRUE(broken.has_value());
    EXPECT_EQ(broken->front(), U'a');
    EXPECT_EQ(broken->back(), U'b');
    EXPECT_NE(broken->find(U'\uFFFD'), std::u32string::npos);
    EXPECT_EQ(DecodeCharsetReplacing("UTF-16LE", std::string("h\0i\0", 4)), std::u32string(U"hi"));
    EXPECT_FALSE(DecodeCharsetReplacing("NO-SUCH-CHARSET", "abc").has_value());
}

// Single-byte code pages are decoded through a table of each byte's character: it must say what the converter says
// of that byte alone, the bytes it has no character for included.
TEST(Charset, SingleByteCodePagesDecodeEveryByteAsTheirConverter) {
    EXPECT_EQ(DecodeCharsetReplacing("CP1252", "\x80\xE9"), std::u32string(U"\u20AC\u00E9"));
#ifndef _WIN32 // the tables are the C library build's; Windows decodes a code page's unassigned bytes to private use
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    for (const char* charset : {"CP874", "CP1250", "CP1251", "CP1252", "CP1253", "CP1254", "CP1256", "CP1257",
                                "ISO-8859-1", "ISO-8859-2", "ISO-8859-5", "ISO-8859-7", "ISO-8859-15"}) {
        SCOPED_TRACE(charset);
        std::u32string expected;
        for (const char byte : everyByte) {
            const std::optional<std::string> utf8 = ConvertCharset(charset, "UTF-8", std::string(1, byte));
            const std::u32string alone =
                utf8 ? DecodeCharsetReplacing("UTF-8", *utf8).value_or(U"") : std::u32string(U"\uFFFD");
            ASSERT_EQ(alone.size(), 1u) << static_cast<int>(static_cast<unsigned char>(byte));
            expected += alone;
        }
        EXPECT_EQ(DecodeCharsetReplacing(charset, everyByte), expected);
    }
#endif
}

// Converters are kept open between calls: every call starts afresh whatever the one before left behind (a shift
// state, a conversion cut short), and however many charsets come by, each still converts.
TEST(Charset, ConvertersKeptOpenStartAfreshEachCall) {
#ifndef _WIN32 // a shifting charset by this name is the C library's; Windows knows its tables by number
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC"; // 日本
    const std::optional<std::string> first = ConvertCharset("UTF-8", "ISO-2022-JP", japanese);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->substr(0, 3), "\x1B$B");                                // into the two-byte set
    EXPECT_EQ(first->substr(first->size() - 3), "\x1B(B");                   // and back at the end
    EXPECT_FALSE(ConvertCharset("UTF-8", "ISO-2022-JP", japanese + "\xFF")); // fails part-way, in that set
    EXPECT_EQ(ConvertCharset("UTF-8", "ISO-2022-JP", japanese), first);
#endif
    const char* charsets[] = {"CP1250",     "CP1251",      "CP1252", "CP1253", "CP1254", "CP1255",     "CP1256",
                              "CP1257",     "CP1258",      "CP874",  "CP437",  "CP850",  "ISO-8859-2", "ISO-8859-5",
                              "ISO-8859-7", "ISO-8859-15", "KOI8-R", "GBK",    "BIG5"};
    for (int round = 0; round < 2; ++round)
        for (const char* charset : charsets) {
            SCOPED_TRACE(charset);
            EXPECT_EQ(ConvertCharset(charset, "UTF-8", "abc"), "abc");
            EXPECT_EQ(DecodeCharsetReplacing(charset, "abc"), std::u32string(U"abc"));
        }
}

TEST(Charset, SkippingConverterLeavesOutWhatMeansNothingAndCountsIt) {
    struct Case {
        const char* charset;
        std::string input;
        std::string expected;
        size_t skipped;
    };
    const Case cases[] = {
        {"GBK", "\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD", 0},     // whole
        {"GBK", "\xC4\xE3\xFF\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD", 1}, // a byte that starts nothing
        {"GBK", "\xC4\xE3\xBA", "\xE4\xBD\xA0", 1},                     // cut short at the end
        {"CP1252", "Jos\xE9 \x80", "Jos\xC3\xA9 \xE2\x82\xAC", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        size_t skipped = 0;
        const std::optional<std::string> converted = ConvertToUtf8Skipping(c.charset, c.input, skipped);
        ASSERT_TRUE(converted);
        EXPECT_EQ(*converted, c.expected);
        EXPECT_EQ(skipped, c.skipped);
    }
    size_t skipped = 0;
    EXPECT_FALSE(ConvertToUtf8Skipping("NO-SUCH-CHARSET", "abc", skipped));
}

TEST(Utf8Path, NonAsciiNamesReachTheFileSystemAndComeBackUnchanged) {
    ScratchFolder folder;
    for (const std::string name : {"Jos\xC3\xA9.txt", "\xE6\x89\x8B\xE5\x86\x8C.txt", "\xF0\x9F\x98\x80.txt"}) {
        SCOPED_TRACE(name);
        const fs::path path = folder.path() / PathFromUtf8(name);
        EXPECT_EQ(Utf8FromPath(path.filename()), name);
        std::ofstream(path) << "x";
        std::set<std::string> listed;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
            listed.insert(Utf8FromPath(entry.path().filename()));
        EXPECT_EQ(listed.count(name), 1u);
        const int descriptor = OpenFileForReading(path);
        EXPECT_GE(descriptor, 0);
        if (descriptor >= 0)
            ::close(descriptor);
    }
}

TEST(Utf8Path, FileUrlsUseForwardSlashesAndKeepTheLetters) {
    const fs::path folder = fs::temp_directory_path() / PathFromUtf8("Jos\xC3\xA9 \xE6\x96\x87") / "profile";
    const std::string url = FileUrlOf(folder);
    EXPECT_EQ(url.rfind("file:///", 0), 0u) << url;
    EXPECT_EQ(url.find('\\'), std::string::npos) << url;
    EXPECT_TRUE(url.ends_with("/Jos\xC3\xA9 \xE6\x96\x87/profile")) << url;
    EXPECT_NE(url.substr(8, 1), "/") << url; // three slashes, not four
}

TEST(SameFile, SeesOneFileThroughAnySpellingAndNewFilesByTheirPlace) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path();
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "a.docx") << "a";
    std::ofstream(folder / "b.docx") << "b";
    struct Case {
        fs::path first, second;
        bool same;
    } cases[] = {
        {folder / "a.docx", folder / "a.docx", true},
        {folder / "a.docx", folder / "sub" / ".." / "a.docx", true},
        {folder / "a.docx", folder / "." / "a.docx", true},
        {folder / "a.docx", folder / "b.docx", false},
        {folder / "new.chm", folder / "sub" / ".." / "new.chm", true}, // neither exists yet
        {folder / "new.chm", folder / "other.chm", false},
        {folder / "a.docx", folder / "a.docx.chm", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameFile(c.first, c.second), c.same) << c.first << " / " << c.second;

    std::error_code code;
    fs::create_symlink(folder / "a.docx", folder / "link.docx", code);
    if (!code) // Windows grants links to some users only
        EXPECT_TRUE(SameFile(folder / "link.docx", folder / "a.docx"));
}

TEST(NativeFile, UniqueFilesAreNewAndNamedAfterThePattern) {
    ScratchFolder folder;
    const std::string stem = folder.Utf8() + "/.Jos\xC3\xA9.chm.";
    std::set<std::string> names;
    for (int i = 0; i < 3; ++i) {
        std::string pattern = stem + "XXXXXX";
        const int descriptor = CreateUniqueFile(pattern);
        ASSERT_GE(descriptor, 0);
        EXPECT_TRUE(WriteText(descriptor, "data"));
        ::close(descriptor);
        EXPECT_EQ(pattern.size(), stem.size() + 6);
        EXPECT_EQ(pattern.substr(0, stem.size()), stem);
        EXPECT_EQ(ReadAll(PathFromUtf8(pattern)), "data");
        names.insert(pattern);
    }
    EXPECT_EQ(names.size(), 3u);
    std::string missingFolder = folder.Utf8() + "/absent/fileXXXXXX";
    EXPECT_LT(CreateUniqueFile(missingFolder), 0);
}

TEST(NativeFile, AnonymousFileReadsAtOffsetsAndLeavesNothingBehind) {
    ScratchFolder folder;
    const int descriptor = OpenAnonymousTemporaryFile(folder.Utf8());
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(WriteText(descriptor, "abcdef"));
    char buffer[8] = {};
    EXPECT_EQ(ReadFileAt(descriptor, 2, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "cde");
    EXPECT_EQ(ReadFileAt(descriptor, 4, buffer, sizeof buffer), 2); // short at the end
    EXPECT_EQ(ReadFileAt(descriptor, 6, buffer, sizeof buffer), 0);
    // Reading did not move the writing position.
    EXPECT_TRUE(WriteText(descriptor, "gh"));
    EXPECT_EQ(ReadFileAt(descriptor, 0, buffer, sizeof buffer), 8);
    EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
    ::close(descriptor);
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_LT(OpenAnonymousTemporaryFile(folder.Utf8() + "/absent"), 0);
}

TEST(NativeFile, ReplaceTakesThePlaceOfAnExistingFile) {
    ScratchFolder folder;
    const fs::path target = folder.path() / PathFromUtf8("\xE6\x89\x8B\xE5\x86\x8C.chm");
    const fs::path source = folder.path() / "new.tmp";
    std::ofstream(target, std::ios::binary) << "old";
    std::ofstream(source, std::ios::binary) << "new";
    EXPECT_TRUE(RenameReplacing(Utf8FromPath(source), Utf8FromPath(target)));
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_FALSE(fs::exists(source));
    EXPECT_FALSE(RenameReplacing(Utf8FromPath(source), Utf8FromPath(target))); // the source is gone now
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_LT(OpenFileForReading(folder.path() / "absent"), 0);
}

TEST(NativeFile, NewFileClaimsOnlyAFreeName) {
    ScratchFolder folder;
    const fs::path page = folder.path() / PathFromUtf8("Jos\xC3\xA9 \xE6\x96\x87.htm");
    const int descriptor = CreateNewFile(page);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(WriteToFile(descriptor, "page", 4));
    EXPECT_TRUE(CloseFile(descriptor));
    errno = 0;
    EXPECT_LT(CreateNewFile(page), 0);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadAll(page), "page");
    EXPECT_LT(CreateNewFile(folder.path() / "absent" / "page.htm"), 0);
}

TEST(NativeFile, FileForWritingIsEmptiedFirst) {
    ScratchFolder folder;
    const fs::path list = folder.path() / PathFromUtf8("\xE7\x9B\xAE\xE5\xBD\x95.hhc");
    std::ofstream(list, std::ios::binary) << "an older and longer content";
    const int descriptor = OpenFileForWriting(list);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(WriteToFile(descriptor, "new", 3));
    EXPECT_TRUE(CloseFile(descriptor));
    EXPECT_EQ(ReadAll(list), "new");
    EXPECT_LT(OpenFileForWriting(folder.path()), 0); // a folder is no file to write
}

TEST(NativeFile, RenameWithoutReplacingLeavesWhatIsThereAlone) {
    ScratchFolder folder;
    const fs::path from = folder.path() / PathFromUtf8("Jos\xC3\xA9.new");
    const fs::path free = folder.path() / PathFromUtf8("\xE6\x96\x87\xE6\xA1\xA3.chm");
    const fs::path taken = folder.path() / "taken.chm";
    const fs::path takenFolder = folder.path() / "web";
    std::ofstream(from, std::ios::binary) << "new";
    std::ofstream(taken, std::ios::binary) << "theirs";
    fs::create_directory(takenFolder);
    for (const fs::path& target : {taken, takenFolder}) {
        SCOPED_TRACE(Utf8FromPath(target));
        errno = 0;
        EXPECT_FALSE(RenameWithoutReplacing(from, target));
        EXPECT_EQ(errno, EEXIST);
        EXPECT_EQ(ReadAll(from), "new");
    }
    EXPECT_EQ(ReadAll(taken), "theirs");
    EXPECT_TRUE(RenameWithoutReplacing(from, free));
    EXPECT_EQ(ReadAll(free), "new");
    EXPECT_FALSE(fs::exists(from));
    // Folders move too: the finished web help is renamed into place.
    const fs::path movedFolder = folder.path() / PathFromUtf8("Jos\xC3\xA9 web");
    EXPECT_TRUE(RenameWithoutReplacing(takenFolder, movedFolder));
    EXPECT_TRUE(fs::is_directory(movedFolder));
}

TEST(NativeFile, UniqueFoldersAreNewPrivateAndNamedAfterThePattern) {
    ScratchFolder folder;
    const std::string stem = folder.Utf8() + "/Jos\xC3\xA9-\xE6\x96\x87-";
    std::set<std::string> names;
    for (int i = 0; i < 3; ++i) {
        std::string pattern = stem + "XXXXXX";
        ASSERT_TRUE(CreateUniqueFolder(pattern));
        EXPECT_EQ(pattern.substr(0, stem.size()), stem);
        EXPECT_EQ(pattern.size(), stem.size() + 6);
        EXPECT_TRUE(fs::is_directory(PathFromUtf8(pattern)));
        EXPECT_TRUE(IsPrivateFolder(PathFromUtf8(pattern)));
        names.insert(pattern);
    }
    EXPECT_EQ(names.size(), 3u);
    std::string missingParent = folder.Utf8() + "/absent/runXXXXXX";
    EXPECT_FALSE(CreateUniqueFolder(missingParent));
    EXPECT_FALSE(IsPrivateFolder(folder.path() / "absent"));
}

TEST(FolderLock, HeldFolderCannotBeLockedAgainUntilLetGo) {
    ScratchFolder folder;
    const fs::path run = folder.path() / PathFromUtf8("run-Jos\xC3\xA9");
    fs::create_directory(run);
    bool locked = false;
    const int first = LockFolder(run, locked);
    ASSERT_GE(first, 0);
    ASSERT_TRUE(locked) << "the scratch folder's file system keeps no locks";
    // Files are made in a held folder as in any other.
    std::ofstream(run / "page.htm") << "x";
    EXPECT_TRUE(fs::exists(run / "page.htm"));
    bool again = true;
    EXPECT_LT(LockFolder(run, again), 0);
    UnlockFolder(first);
    const int second = LockFolder(run, again);
    EXPECT_GE(second, 0);
    EXPECT_TRUE(again);
    UnlockFolder(second);
    EXPECT_LT(LockFolder(folder.path() / "absent", again), 0);
}

TEST(CleanupRegistry, RegisteredFoldersGoWithEverythingInThem) {
    auto temporary = TemporaryFolder::Create("leafbind-cleanup-Jos\xC3\xA9-");
    ASSERT_TRUE(temporary);
    const fs::path kept = temporary->Path();
    fs::create_directories(kept / "pictures");
    std::ofstream(kept / "pictures" / "one.png") << "x";
    std::ofstream(kept / "page.htm") << "x";
    CleanUpRegistered();
    EXPECT_FALSE(fs::exists(kept));
    temporary.reset(); // finding its folder gone already is no fault
    EXPECT_FALSE(fs::exists(kept));
}

// The help compiler library the converter loads: found beside the test program, where the build puts both.
TEST(SharedLibrary, LoadsByNameFindsExportsAndReportsWhatIsMissing) {
    std::string reason;
    void* library = LoadSharedLibrary("hha", reason);
    ASSERT_NE(library, nullptr) << reason;
    EXPECT_NE(FindLibraryExport(library, "HHA_CompileHHP"), nullptr);
    EXPECT_EQ(FindLibraryExport(library, "HHA_NoSuchEntry"), nullptr);
    UnloadSharedLibrary(library);
    reason.clear();
    EXPECT_EQ(LoadSharedLibrary("leafbind-no-such-library", reason), nullptr);
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(SharedLibraryFileName("hha").find("hha"), std::string::npos);
}

TEST(LargeBlock, WholeBlockIsWritable) {
    for (const bool hugePages : {true, false}) {
        for (const std::size_t bytes : {std::size_t{200} * 1024, std::size_t{5} << 20}) {
            auto* block = static_cast<unsigned char*>(AllocateLargeBlock(bytes, hugePages));
            ASSERT_NE(block, nullptr);
            std::memset(block, 0xAB, bytes);
            EXPECT_EQ(block[0], 0xAB);
            EXPECT_EQ(block[bytes - 1], 0xAB);
            FreeLargeBlock(block, bytes);
        }
    }
}
