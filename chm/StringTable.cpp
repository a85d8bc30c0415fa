#include "StringTable.h"

namespace {
constexpr size_t kBlockSize = 4096;
}

uint32_t StringTable::Add(const std::string& text) {
    if (text.empty())
        return 0;
    const auto found = offsets_.find(text);
    if (found != offsets_.end())
        return found->second;
    const size_t size = text.size() + 1;
    const size_t used = data_.Size() % kBlockSize;
    if (size < kBlockSize && used + size > kBlockSize)
        data_.PutZeros(kBlockSize - used);
    const auto offset = static_cast<uint32_t>(data_.Size());
    data_.PutTextZ(text);
    offsets_.emplace(text, offset);
    return offset;
}
