#include "StringTable.h"

namespace chm {
namespace {
constexpr std::size_t kBlockSize = 4096;
}

std::uint32_t StringTable::Add(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    const auto found = offsets.find(text);
    if (found != offsets.end()) {
        return found->second;
    }
    const std::size_t size = text.size() + 1;
    const std::size_t used = data.Size() % kBlockSize;
    if (size < kBlockSize && used + size > kBlockSize) {
        data.PutZeros(kBlockSize - used);
    }
    const auto offset = static_cast<std::uint32_t>(data.Size());
    data.PutTextZ(text);
    offsets.emplace(text, offset);
    return offset;
}

} // namespace chm
