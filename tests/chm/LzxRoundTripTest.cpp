#include <gtest/gtest.h>

#include <random>

#include "LzxCompressor.h"
#include "LzxReference.h"

namespace {

std::vector<uint8_t> Sample(const std::string& kind, size_t size) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) {
        if (kind == "random") {
            data[i] = static_cast<uint8_t>(random());
        } else if (kind == "zeros") {
            data[i] = 0;
        } else if (kind == "html") {
            static const std::string words[] = {"<p class=MsoNormal>", "帮助", "the ", "topic ", "</p>\r\n", "0.html"};
            const std::string& word = words[random() % 6];
            for (size_t k = 0; k < word.size() && i < size; ++k)
                data[i++] = static_cast<uint8_t>(word[k]);
            --i;
        } else { // runs: long repeats at many distances exercise every offset slot and the repeat offsets
            const size_t distance = 1 + random() % std::max<size_t>(1, std::min<size_t>(i, 300000));
            data[i] = (i > 1000 && random() % 4 != 0) ? data[i - distance] : static_cast<uint8_t>(random() % 3);
        }
    }
    return data;
}

struct RoundTripCase {
    const char* kind;
    size_t size;
    int windowBits;
    int framesPerReset;
};

class LzxRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(LzxRoundTrip, LibmspackDecodesWhatWeCompress) {
    const RoundTripCase& c = GetParam();
    const std::vector<uint8_t> input = Sample(c.kind, c.size);
    LzxSettings settings;
    settings.windowBits = c.windowBits;
    settings.framesPerReset = c.framesPerReset;
    const LzxResult result = CompressLzx(input.data(), input.size(), settings);

    ASSERT_EQ(result.paddedLength % (32768u * c.framesPerReset), 0u);
    ASSERT_EQ(result.frameOffsets.size(), result.paddedLength / 32768);
    const auto decoded = DecodeLzxWithMspack(result.compressed, c.windowBits, c.framesPerReset, result.paddedLength);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), result.paddedLength);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), decoded->begin()));
    EXPECT_TRUE(std::all_of(decoded->begin() + input.size(), decoded->end(), [](uint8_t b) { return b == 0; }));
    if (std::string(c.kind) == "html" && c.size >= 32768) {
        EXPECT_LT(result.compressed.size(), input.size() / 3) << "real matching should shrink text well";
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, LzxRoundTrip,
                         testing::Values(RoundTripCase{"html", 1, 16, 2}, RoundTripCase{"html", 32768, 16, 2},
                                         RoundTripCase{"html", 200000, 16, 2}, RoundTripCase{"html", 200000, 15, 1},
                                         RoundTripCase{"html", 300000, 17, 4}, RoundTripCase{"random", 100000, 16, 2},
                                         RoundTripCase{"zeros", 140000, 16, 2}, RoundTripCase{"runs", 400000, 16, 8},
                                         RoundTripCase{"runs", 400000, 21, 2}));

} // namespace

namespace {

// The section arrives file by file: whatever the pieces, the result is the one a single call gives, and a
// compressor dropped before Finish stops its helpers instead of hanging or touching freed input.
TEST(LzxStreamCompressor, PiecesGiveTheSameSectionAsOneCall) {
    const std::vector<uint8_t> input = Sample("html", 300000);
    LzxSettings settings;
    settings.threadCount = 3;
    // Made on one thread: the helpers' section must be the same bytes.
    LzxSettings alone = settings;
    alone.threadCount = 1;
    const LzxResult whole = CompressLzx(input.data(), input.size(), alone);

    LzxStreamCompressor stream(settings);
    std::mt19937 random(11);
    for (size_t done = 0; done < input.size();) {
        const size_t piece = std::min<size_t>(input.size() - done, random() % 90000);
        stream.Append(std::span(input.data() + done, piece));
        done += piece;
        ASSERT_EQ(stream.Size(), done);
    }
    const LzxResult pieces = stream.Finish();
    EXPECT_EQ(pieces.compressed, whole.compressed);
    EXPECT_EQ(pieces.frameOffsets, whole.frameOffsets);
    EXPECT_EQ(pieces.paddedLength, whole.paddedLength);

    {
        LzxStreamCompressor dropped(settings);
        dropped.Append(std::span(input.data(), input.size()));
    }
    LzxStreamCompressor empty(settings);
    EXPECT_EQ(empty.Finish().paddedLength, 0u);
}

} // namespace
