#include "HuffmanCode.h"

#include <algorithm>
#include <numeric>

namespace {

// Plain Huffman depths by the two-queue method; may exceed any limit.
std::vector<uint8_t> HuffmanDepths(const std::vector<uint32_t>& frequencies, const std::vector<int>& usedSymbols) {
    const int leafCount = static_cast<int>(usedSymbols.size());
    std::vector<int> order(usedSymbols);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return frequencies[a] < frequencies[b]; });

    // Nodes 0..leafCount-1 are leaves in sorted order, then internal nodes in creation order.
    std::vector<uint64_t> weight(2 * leafCount - 1);
    std::vector<int> parent(2 * leafCount - 1, -1);
    for (int i = 0; i < leafCount; ++i)
        weight[i] = frequencies[order[i]];
    int nextLeaf = 0;
    int nextInternal = leafCount;
    int created = leafCount;
    auto takeSmallest = [&]() {
        if (nextLeaf < leafCount && (nextInternal >= created || weight[nextLeaf] <= weight[nextInternal]))
            return nextLeaf++;
        return nextInternal++;
    };
    while (created < 2 * leafCount - 1) {
        const int a = takeSmallest();
        const int b = takeSmallest();
        weight[created] = weight[a] + weight[b];
        parent[a] = created;
        parent[b] = created;
        ++created;
    }
    std::vector<int> depth(2 * leafCount - 1, 0);
    for (int node = 2 * leafCount - 3; node >= 0; --node)
        depth[node] = depth[parent[node]] + 1;
    std::vector<uint8_t> lengths(frequencies.size(), 0);
    for (int i = 0; i < leafCount; ++i)
        lengths[order[i]] = static_cast<uint8_t>(std::min(depth[i], 255));
    return lengths;
}

} // namespace

std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& frequencies, int maxLength) {
    std::vector<int> usedSymbols;
    for (int symbol = 0; symbol < static_cast<int>(frequencies.size()); ++symbol)
        if (frequencies[symbol] != 0)
            usedSymbols.push_back(symbol);
    std::vector<uint8_t> lengths(frequencies.size(), 0);
    if (usedSymbols.empty())
        return lengths;
    if (usedSymbols.size() == 1) {
        const int partner = usedSymbols[0] == 0 ? 1 : 0;
        lengths[usedSymbols[0]] = 1;
        if (partner < static_cast<int>(lengths.size()))
            lengths[partner] = 1;
        return lengths;
    }
    // Flatten the frequencies until the deepest code fits; halving keeps the order of weights.
    std::vector<uint32_t> scaled(frequencies);
    for (;;) {
        lengths = HuffmanDepths(scaled, usedSymbols);
        if (*std::max_element(lengths.begin(), lengths.end()) <= maxLength)
            return lengths;
        for (int symbol : usedSymbols)
            scaled[symbol] = (scaled[symbol] >> 1) | 1;
    }
}

std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    const int maxLength = lengths.empty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
    std::vector<uint32_t> countOfLength(maxLength + 2, 0);
    for (uint8_t length : lengths)
        if (length != 0)
            ++countOfLength[length];
    std::vector<uint32_t> nextCode(maxLength + 2, 0);
    uint32_t code = 0;
    for (int length = 1; length <= maxLength; ++length) {
        code = (code + countOfLength[length - 1]) << 1;
        nextCode[length] = code;
    }
    std::vector<uint32_t> codes(lengths.size(), 0);
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol)
        if (lengths[symbol] != 0)
            codes[symbol] = nextCode[lengths[symbol]]++;
    return codes;
}
