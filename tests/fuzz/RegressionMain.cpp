// Runs a fuzz target's entry point over every file in the folders named on the command line, as the normal tests
// do with the inputs that once crashed or stalled a target and with its seeds. Any crash fails the test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code code;
        for (std::filesystem::directory_iterator it(argv[i], code), end; !code && it != end; it.increment(code)) {
            if (!it->is_regular_file())
                continue;
            std::ifstream in(it->path(), std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            std::printf("%s\n", it->path().filename().c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++count;
        }
    }
    std::printf("%zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
