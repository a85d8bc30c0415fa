#include <gtest/gtest.h>

#include "HuffmanCode.h"

namespace {

// Decoders accept only complete codes: the lengths must fill the code space exactly.
double KraftSum(const std::vector<uint8_t>& lengths) {
    double sum = 0;
    for (uint8_t length : lengths)
        sum += length ? 1.0 / (1u << length) : 0.0;
    return sum;
}

TEST(HuffmanCode, LengthsAreCompleteAndWithinTheLimit) {
    std::vector<std::vector<uint32_t>> cases = {
        {5, 0},
        {0, 0, 9, 0},
        {1, 1},
        {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536, 131072, 262144},
    };
    std::vector<uint32_t> fibonacci{1, 1};
    while (fibonacci.size() < 40)
        fibonacci.push_back(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
    cases.push_back(fibonacci);
    for (const auto& frequencies : cases) {
        for (int limit : {15, 16}) {
            const auto lengths = BuildCodeLengths(frequencies, limit);
            EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
            for (size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
                EXPECT_LE(lengths[symbol], limit);
                if (frequencies[symbol] != 0) {
                    EXPECT_GT(lengths[symbol], 0);
                }
            }
        }
    }
}

TEST(HuffmanCode, CanonicalCodesArePrefixFree) {
    const std::vector<uint8_t> lengths{2, 1, 3, 3};
    const auto codes = CanonicalCodes(lengths);
    EXPECT_EQ(codes, (std::vector<uint32_t>{0b10, 0b0, 0b110, 0b111}));
}

TEST(HuffmanCode, NoSymbolsGiveAnEmptyCode) {
    const auto lengths = BuildCodeLengths(std::vector<uint32_t>(10, 0), 16);
    EXPECT_EQ(KraftSum(lengths), 0.0);
}

} // namespace
