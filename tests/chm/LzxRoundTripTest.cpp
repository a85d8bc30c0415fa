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

    // Whether the caller compresses every interval that waits (0), some, or none before Finish.
    for (const int waiting : {0, 1, 1000}) {
        LzxSettings streamed = settings;
        streamed.waitingIntervals = waiting;
        LzxStreamCompressor stream(streamed);
        std::mt19937 random(11);
        for (size_t done = 0; done < input.size();) {
            const size_t piece = std::min<size_t>(input.size() - done, random() % 90000);
            stream.Append(std::span(input.data() + done, piece));
            done += piece;
            ASSERT_EQ(stream.Size(), done);
        }
        const LzxResult pieces = stream.Finish();
        EXPECT_EQ(pieces.compressed, whole.compressed) << waiting;
        EXPECT_EQ(pieces.frameOffsets, whole.frameOffsets) << waiting;
        EXPECT_EQ(pieces.paddedLength, whole.paddedLength) << waiting;
    }

    {
        LzxStreamCompressor dropped(settings);
        dropped.Append(std::span(input.data(), input.size()));
    }
    LzxStreamCompressor empty(settings);
    EXPECT_EQ(empty.Finish().paddedLength, 0u);
}

} // namespace

namespace {

// Inputs made for the parser's edges: repeats that run across frame and interval boundaries, runs of one
// byte longer than any match, copies at distances just inside and just past the window, and far copies whose
// offsets need every bit a path node keeps.
std::vector<uint8_t> EdgeSample(const std::string& kind, size_t size, size_t window) {
    std::mt19937 random(23);
    std::vector<uint8_t> data(size);
    for (uint8_t& byte : data)
        byte = static_cast<uint8_t>(random());
    if (kind == "period") { // a 37-byte phrase repeated throughout: every match is long and meets every frame edge
        for (size_t i = 37; i < size; ++i)
            data[i] = data[i - 37];
    } else if (kind == "runs") { // runs of one byte from 1 to 600 long, between random bytes
        for (size_t i = 0, run = 1; i + run < size; i += run + 3, run = run % 600 + 1)
            std::fill(data.begin() + i, data.begin() + i + run, static_cast<uint8_t>(run));
    } else if (kind == "window") { // copies from just inside to just past the farthest distance allowed
        for (size_t i = window - 8; i < size; ++i)
            if (const size_t distance = window - 8 + (i / 1000) % 16; distance <= i)
                data[i] = data[i - distance];
    } else { // far: a random stretch copied again near the end of a long interval of zeros
        std::fill(data.begin() + 4000, data.end(), 0);
        std::copy(data.begin(), data.begin() + 4000, data.end() - 5000);
    }
    return data;
}

struct ParseCase {
    const char* kind;
    size_t size;
    int windowBits;
    int framesPerReset;
    int searchDepth;
    int niceLength;
    // What the repeats in the input let the output shrink to at least, as a share of the input.
    double mostOfInput;
};

class LzxParseEdges : public testing::TestWithParam<ParseCase> {};

TEST_P(LzxParseEdges, LibmspackDecodesEveryParse) {
    const ParseCase& c = GetParam();
    const std::vector<uint8_t> input = EdgeSample(c.kind, c.size, size_t{1} << c.windowBits);
    LzxSettings settings;
    settings.windowBits = c.windowBits;
    settings.framesPerReset = c.framesPerReset;
    settings.searchDepth = c.searchDepth;
    settings.niceLength = c.niceLength;
    settings.threadCount = 1;
    const LzxResult result = CompressLzx(input.data(), input.size(), settings);
    const auto decoded = DecodeLzxWithMspack(result.compressed, c.windowBits, c.framesPerReset, result.paddedLength);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), result.paddedLength);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), decoded->begin()));
    EXPECT_LT(static_cast<double>(result.compressed.size()), c.mostOfInput * static_cast<double>(input.size()))
        << "the repeats should have been found";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LzxParseEdges,
    testing::Values(ParseCase{"period", 200000, 16, 2, 16, 24, 0.05}, ParseCase{"period", 200000, 16, 2, 1, 2, 0.05},
                    ParseCase{"period", 200000, 16, 2, 16, 257, 0.05}, ParseCase{"period", 100000, 15, 1, 4, 3, 0.05},
                    ParseCase{"runs", 300000, 16, 2, 16, 24, 0.1}, ParseCase{"runs", 300000, 17, 4, 2, 257, 0.1},
                    // 6 of every 16 copies lie within reach
                    ParseCase{"window", 200000, 15, 4, 16, 24, 0.9}, ParseCase{"window", 300000, 16, 4, 16, 8, 0.9},
                    // 4,000 random bytes, then copied from 2 MB back: about 4,000 more if the copy were missed
                    ParseCase{"far", size_t{1} << 21, 21, 64, 16, 24, 0.0045}));

} // namespace
