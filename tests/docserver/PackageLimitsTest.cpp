// How far a package's parts may inflate: the fixed bounds whatever the package says, more for a part whose
// compressed bytes account for it on a machine with the memory to hold it; a zip bomb stays refused.

#include "docserver/package/PackageLimits.h"
#include "docserver/package/ZipPackage.h"

#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint64_t kMiB = 1ull << 20;
constexpr uint64_t kGiB = 1ull << 30;

struct LimitCase {
    const char* what;
    bool wholePackage;
    uint64_t compressed;
    uint64_t memory;
    uint64_t expected;
    const char* why;
};

} // namespace

TEST(PackageLimits, APartMayInflateAsFarAsItsCompressedBytesAndTheMachineAllow) {
    const LimitCase cases[] = {
        {"a bomb's few kilobytes", false, 100 * 1024, 16 * kGiB, kMaxPartBytes, ""},
        {"nothing compressed", false, 0, 16 * kGiB, kMaxPartBytes, ""},
        {"1 MiB compressed", false, kMiB, 16 * kGiB, 100 * kMiB, ", 100 times its compressed size"},
        {"a 32,000-heading main part", false, 26 * kMiB, 64 * kGiB, 2600 * kMiB, ", 100 times its compressed size"},
        {"the same on a smaller machine", false, 26 * kMiB, 8 * kGiB, kGiB, ", an eighth of this machine's memory"},
        {"a machine too small for more", false, 26 * kMiB, 256 * kMiB, kMaxPartBytes, ""},
        {"memory unknown", false, 26 * kMiB, 0, kMaxPartBytes, ""},
        {"a compressed size beyond counting", false, UINT64_MAX, 8 * kGiB, kGiB,
         ", an eighth of this machine's memory"},
        {"a small package", true, kMiB, 16 * kGiB, kMaxTotalInflatedBytes, ""},
        {"a 60 MB package", true, 60 * kMiB, 16 * kGiB, 4 * kGiB, ", a quarter of this machine's memory"},
        {"a 10 MB package", true, 10 * kMiB, 16 * kGiB, 1000 * kMiB, ", 100 times its compressed size"},
    };
    for (const LimitCase& limitCase : cases) {
        SCOPED_TRACE(limitCase.what);
        const InflateLimit limit = limitCase.wholePackage ? PackageInflateLimit(limitCase.compressed, limitCase.memory)
                                                          : PartInflateLimit(limitCase.compressed, limitCase.memory);
        EXPECT_EQ(limit.bytes, limitCase.expected);
        EXPECT_EQ(limit.why, limitCase.why);
    }
}

// A part of 65 MiB that deflates only to about half is read whole; 65 MiB of one byte repeated is a bomb.
TEST(PackageLimits, ALargePartThatCompressesLikeTextIsReadAndABombIsNot) {
    std::mt19937 random(5);
    std::string text(65 * kMiB, ' ');
    for (char& c : text)
        c = static_cast<char>('a' + random() % 26);
    docx::DocxBuilder large;
    large.SetPart("word/large.xml", text);
    ZipPackage package;
    ASSERT_TRUE(package.Open(large.Build()).ok());
    const PackagePartResult read = package.ReadPart("word/large.xml");
    EXPECT_TRUE(read.status.ok()) << read.status.message;
    EXPECT_TRUE(read.data == text);

    docx::DocxBuilder bomb;
    bomb.SetPart("word/large.xml", std::string(65 * kMiB, 'a'));
    ASSERT_TRUE(package.Open(bomb.Build()).ok());
    const PackagePartResult refused = package.ReadPart("word/large.xml");
    EXPECT_EQ(refused.status.code, StatusCode::TooLarge);
    EXPECT_NE(refused.status.message.find("the part /word/large.xml inflates to more than 64 MiB (a zip bomb"),
              std::string::npos)
        << refused.status.message;
    EXPECT_TRUE(refused.data.empty());
}
