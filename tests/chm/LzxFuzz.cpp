// libFuzzer target: random data through our LZX compressor and back through libmspack's decoder.
#include <cstdint>
#include <cstdlib>

#include "LzxCompressor.h"
#include "LzxReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the window and reset interval, so every setting gets exercised.
    LzxSettings settings;
    settings.windowBits = 15 + data[0] % 7;
    settings.framesPerReset = 1 << ((data[0] >> 3) % 4);
    settings.threadCount = 1;
    const LzxResult result = CompressLzx(data + 1, size - 1, settings);
    if (result.paddedLength == 0)
        return 0;
    const auto decoded =
        DecodeLzxWithMspack(result.compressed, settings.windowBits, settings.framesPerReset, result.paddedLength);
    if (!decoded || decoded->size() != result.paddedLength || !std::equal(data + 1, data + size, decoded->begin()))
        std::abort();
    return 0;
}
