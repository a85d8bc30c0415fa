// The platform files behave alike on every system: the same cases run on Linux and, cross-built, under Wine.
#include "base/Charset.h"
#include "base/LargeBlock.h"
#include "base/NativeFile.h"
#include "base/Utf8Path.h"

#include <gtest/gtest.h>

#include <unistd.h>

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

TEST(LargeBlock, WholeBlockIsWritable) {
    for (const std::size_t bytes : {std::size_t{200} * 1024, std::size_t{5} << 20}) {
        auto* block = static_cast<unsigned char*>(AllocateLargeBlock(bytes));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xAB, bytes);
        EXPECT_EQ(block[0], 0xAB);
        EXPECT_EQ(block[bytes - 1], 0xAB);
        FreeLargeBlock(block, bytes);
    }
}
