#include "LzxReference.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>

extern "C" {
#include <mspack.h>

// libmspack's decoder proper is not in its public header; these are its entry points in libmspack.a.
struct lzxd_stream;
struct lzxd_stream* lzxd_init(struct mspack_system* system, struct mspack_file* input, struct mspack_file* output,
                              int window_bits, int reset_interval, int input_buffer_size, off_t output_length,
                              char is_delta);
int lzxd_decompress(struct lzxd_stream* lzx, off_t out_bytes);
void lzxd_free(struct lzxd_stream* lzx);
}

namespace {

struct MemoryFile {
    const std::vector<uint8_t>* input = nullptr;
    size_t position = 0;
    std::vector<uint8_t>* output = nullptr;
};

int ReadMemory(struct mspack_file* file, void* buffer, int bytes) {
    auto* memory = reinterpret_cast<MemoryFile*>(file);
    const size_t available = memory->input->size() - memory->position;
    const size_t count = std::min<size_t>(available, static_cast<size_t>(bytes));
    std::memcpy(buffer, memory->input->data() + memory->position, count);
    memory->position += count;
    return static_cast<int>(count);
}

int WriteMemory(struct mspack_file* file, void* buffer, int bytes) {
    auto* memory = reinterpret_cast<MemoryFile*>(file);
    const auto* first = static_cast<const uint8_t*>(buffer);
    memory->output->insert(memory->output->end(), first, first + bytes);
    return bytes;
}

void* Allocate(struct mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}
void Free(void* pointer) {
    std::free(pointer);
}
void Copy(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}
void Message(struct mspack_file*, const char*, ...) {}

} // namespace

std::optional<std::vector<uint8_t>> DecodeLzxWithMspack(const std::vector<uint8_t>& compressed, int windowBits,
                                                        int framesPerReset, uint64_t length) {
    struct mspack_system system {};
    system.read = ReadMemory;
    system.write = WriteMemory;
    system.alloc = Allocate;
    system.free = Free;
    system.copy = Copy;
    system.message = Message;
    std::vector<uint8_t> decoded;
    // In a help file more bytes follow the stream, and the decoder reads up to two words ahead.
    std::vector<uint8_t> padded(compressed);
    padded.resize(padded.size() + 4, 0);
    MemoryFile input{&padded, 0, nullptr};
    MemoryFile output{nullptr, 0, &decoded};
    struct lzxd_stream* stream = lzxd_init(&system, reinterpret_cast<struct mspack_file*>(&input),
                                           reinterpret_cast<struct mspack_file*>(&output), windowBits, framesPerReset,
                                           4096, static_cast<off_t>(length), 0);
    if (stream == nullptr)
        return std::nullopt;
    const int status = lzxd_decompress(stream, static_cast<off_t>(length));
    lzxd_free(stream);
    if (status != MSPACK_ERR_OK)
        return std::nullopt;
    return decoded;
}
