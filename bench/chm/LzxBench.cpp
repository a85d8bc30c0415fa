// The LZX compressor alone, on one thread, against zlib at level 6 on the same bytes: the help file's pages of a
// kept project folder (leafbind-cli --keep DIR), read in the order of their names and joined as the compressed
// section holds them. Prints each round's CPU time and the compressed sizes; run by hand, never as a test.
//   lzx_bench DIR [ROUNDS=3] [SEARCH_DEPTH NICE_LENGTH]   (the help compiler's settings by default)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zlib.h>

#include "LzxCompressor.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::vector<uint8_t> ReadPages(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".html" || extension == ".hhc" || extension == ".hhk"))
            names.push_back(entry.path());
    }
    // Numbered pages in their numbers' order, as a book's pages follow each other.
    std::sort(names.begin(), names.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.stem().string();
        const std::string y = b.stem().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    std::vector<uint8_t> bytes;
    for (const fs::path& name : names) {
        std::ifstream in(name, std::ios::binary);
        bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return bytes;
}

double LoadAverage() {
    double load = 0;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lzx_bench DIR [ROUNDS] [SEARCH_DEPTH NICE_LENGTH]\n");
        return 2;
    }
    std::error_code error;
    if (!fs::is_directory(argv[1], error)) {
        std::fprintf(stderr, "lzx_bench: %s is not a folder of pages\n", argv[1]);
        return 2;
    }
    const std::vector<uint8_t> input = ReadPages(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::printf("%zu bytes of pages\n", input.size());
    double bestLzx = 1e9;
    double bestZlib = 1e9;
    for (int round = 0; round < rounds; ++round) {
        LzxSettings settings;
        settings.threadCount = 1;
        if (argc > 4) {
            settings.searchDepth = std::atoi(argv[3]);
            settings.niceLength = std::atoi(argv[4]);
        }
        double start = CpuSeconds();
        const LzxResult lzx = CompressLzx(input.data(), input.size(), settings);
        const double lzxSeconds = CpuSeconds() - start;

        uLongf zlibSize = compressBound(input.size());
        std::vector<uint8_t> deflated(zlibSize);
        start = CpuSeconds();
        compress2(deflated.data(), &zlibSize, input.data(), input.size(), 6);
        const double zlibSeconds = CpuSeconds() - start;
        std::printf("round %d: LZX %.3f s CPU, %zu bytes; zlib -6 %.3f s CPU, %lu bytes; LZX / zlib %.2f; load %.2f\n",
                    round + 1, lzxSeconds, lzx.compressed.size(), zlibSeconds, zlibSize, lzxSeconds / zlibSeconds,
                    LoadAverage());
        bestLzx = std::min(bestLzx, lzxSeconds);
        bestZlib = std::min(bestZlib, zlibSeconds);
    }
    // Other work on a shared machine only ever adds time: the best round is the nearest to the truth.
    std::printf("best: LZX %.3f s, zlib -6 %.3f s, LZX / zlib %.2f\n", bestLzx, bestZlib, bestLzx / bestZlib);
    return 0;
}
