#include "LzxCompressor.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "HuffmanCode.h"
#include "LzxBitWriter.h"
#include "LzxParser.h"

namespace {

constexpr int kPretreeSymbols = 20;
constexpr int kMaxCodeLength = 16;
constexpr int kMaxPretreeLength = 15; // stored in four bits
constexpr int kBlockTypeVerbatim = 1;
constexpr int kFramesPerBlock = 2;

// One tree's lengths, sent as differences to the previous block's through a small tree of its own.
void WriteTreeLengths(LzxBitWriter& bits, const uint8_t* lengths, uint8_t* previous, int count) {
    struct Code {
        int symbol;
        int extra;
    };
    std::vector<Code> codes;
    for (int i = 0; i < count;) {
        if (lengths[i] == 0) {
            int run = 1;
            while (i + run < count && lengths[i + run] == 0 && run < 51)
                ++run;
            if (run >= 20) {
                codes.push_back({18, run - 20});
                i += run;
                continue;
            }
            if (run >= 4) {
                codes.push_back({17, run - 4});
                i += run;
                continue;
            }
        }
        codes.push_back({(previous[i] - lengths[i] + 17) % 17, 0});
        ++i;
    }
    std::vector<uint32_t> frequencies(kPretreeSymbols, 0);
    for (const Code& code : codes)
        ++frequencies[code.symbol];
    const std::vector<uint8_t> pretreeLengths = BuildCodeLengths(frequencies, kMaxPretreeLength);
    const std::vector<uint32_t> pretreeCodes = CanonicalCodes(pretreeLengths);
    for (int symbol = 0; symbol < kPretreeSymbols; ++symbol)
        bits.Write(pretreeLengths[symbol], 4);
    for (const Code& code : codes) {
        bits.Write(pretreeCodes[code.symbol], pretreeLengths[code.symbol]);
        if (code.symbol == 17)
            bits.Write(code.extra, 4);
        else if (code.symbol == 18)
            bits.Write(code.extra, 5);
    }
    std::copy(lengths, lengths + count, previous);
}

struct IntervalOutput {
    Bytes bytes;
    std::vector<uint64_t> frameOffsets;
};

class IntervalEncoder {
public:
    IntervalEncoder(const LzxSettings& settings)
        : mainSize_(LzxMainTreeSize(settings.windowBits)), previousMain_(mainSize_, 0),
          previousLength_(kLzxSecondaryLengths, 0) {}

    IntervalOutput Encode(const std::vector<LzxToken>& tokens, size_t intervalSize) {
        IntervalOutput output;
        LzxBitWriter bits(output.bytes);
        output.frameOffsets.push_back(0);
        bits.Write(0, 1); // no call-instruction translation
        size_t position = 0;
        size_t first = 0;
        while (first < tokens.size()) {
            const size_t blockEnd = std::min(intervalSize, position + kFramesPerBlock * kLzxFrameSize);
            size_t last = first;
            size_t blockPosition = position;
            while (last < tokens.size() && blockPosition < blockEnd) {
                blockPosition += TokenSize(tokens[last]);
                ++last;
            }
            EncodeBlock(bits, tokens, first, last, blockPosition - position, position, intervalSize,
                        output.frameOffsets);
            position = blockPosition;
            first = last;
        }
        return output;
    }

private:
    static size_t TokenSize(const LzxToken& token) { return token.length == 0 ? 1 : token.length; }

    void EncodeBlock(LzxBitWriter& bits, const std::vector<LzxToken>& tokens, size_t first, size_t last,
                     size_t blockSize, size_t position, size_t intervalSize, std::vector<uint64_t>& frameOffsets) {
        const LzxSymbolCounts counts =
            CountLzxSymbols(std::span(tokens.data() + first, tokens.data() + last), mainSize_);
        const std::vector<uint8_t> mainLengths = BuildCodeLengths(counts.main, kMaxCodeLength);
        const std::vector<uint8_t> lengthLengths = BuildCodeLengths(counts.length, kMaxCodeLength);
        const std::vector<uint32_t> mainCodes = CanonicalCodes(mainLengths);
        const std::vector<uint32_t> lengthCodes = CanonicalCodes(lengthLengths);

        bits.Write(kBlockTypeVerbatim, 3);
        bits.Write(static_cast<uint32_t>(blockSize >> 8), 16);
        bits.Write(static_cast<uint32_t>(blockSize & 0xFF), 8);
        WriteTreeLengths(bits, mainLengths.data(), previousMain_.data(), kLzxNumChars);
        WriteTreeLengths(bits, mainLengths.data() + kLzxNumChars, previousMain_.data() + kLzxNumChars,
                         mainSize_ - kLzxNumChars);
        WriteTreeLengths(bits, lengthLengths.data(), previousLength_.data(), kLzxSecondaryLengths);

        for (size_t i = first; i < last; ++i) {
            const LzxToken& token = tokens[i];
            if (token.length == 0) {
                bits.Write(mainCodes[token.literal], mainLengths[token.literal]);
            } else {
                const int lengthHeader = LzxLengthHeader(token.length);
                const int symbol = MainSymbol(token, lengthHeader);
                bits.Write(mainCodes[symbol], mainLengths[symbol]);
                if (lengthHeader == kLzxPrimaryLengths) {
                    const int footer = token.length - kLzxMinMatch - kLzxPrimaryLengths;
                    bits.Write(lengthCodes[footer], lengthLengths[footer]);
                }
                if (token.formattedOffset >= 3) {
                    const int slot = kLzxSlots.SlotOf(token.formattedOffset);
                    if (kLzxSlots.extraBits[slot] > 0)
                        bits.Write(token.formattedOffset - kLzxSlots.base[slot], kLzxSlots.extraBits[slot]);
                }
            }
            position += TokenSize(token);
            if (position % kLzxFrameSize == 0) {
                bits.AlignToWord();
                if (position < intervalSize)
                    frameOffsets.push_back(bits.ByteCount());
            }
        }
    }

    // Slots 0 to 2 are the repeated offsets: their formatted offsets are the slot numbers themselves.
    static int MainSymbol(const LzxToken& token, int lengthHeader) {
        return LzxMainSymbol(kLzxSlots.SlotOf(token.formattedOffset), lengthHeader);
    }

    int mainSize_;
    std::vector<uint8_t> previousMain_;
    std::vector<uint8_t> previousLength_;
};

// The last interval is padded with zeros to its full length, since decoders produce whole intervals. The
// zeros need no parse: a literal zero, then matches one byte back, none crossing a frame boundary.
void AppendZeroPadding(std::vector<LzxToken>& tokens, size_t from, size_t intervalSize) {
    const uint32_t oneBack = 1 + kLzxRepeatedOffsets - 1; // a new offset of distance 1
    bool zeroBefore = false;
    for (size_t position = from; position < intervalSize;) {
        const size_t frameEnd = (position / kLzxFrameSize + 1) * kLzxFrameSize;
        const size_t length = std::min<size_t>({kLzxMaxMatch, frameEnd - position, intervalSize - position});
        if (!zeroBefore || length < kLzxMinMatch) {
            tokens.push_back(LzxToken{0, 0, 0});
            ++position;
            zeroBefore = true;
            continue;
        }
        tokens.push_back(LzxToken{static_cast<uint16_t>(length), 0, oneBack});
        position += length;
    }
}

} // namespace

struct LzxStreamCompressor::State {
    explicit State(const LzxSettings& settings)
        : settings(settings), intervalSize(static_cast<size_t>(settings.framesPerReset) * kLzxFrameSize) {}

    // Hands out complete intervals until none is left and the input has ended (or the compressor is dropped).
    void Work() {
        // Made at the first interval: a thread that finds no work should not pay for the parser's tables.
        std::optional<LzxIntervalParser> parser;
        std::unique_lock lock(mutex);
        while (true) {
            ready.wait(lock, [&] { return stopping || nextInterval < completeIntervals || finishing; });
            if (stopping || nextInterval >= completeIntervals)
                return;
            CompressNext(lock, parser);
        }
    }

    // Compresses the next complete interval; called and returns with the lock held.
    void CompressNext(std::unique_lock<std::mutex>& lock, std::optional<LzxIntervalParser>& parser) {
        const size_t index = nextInterval++;
        // Deque elements stay in place while others are added; only this thread touches these two now.
        Bytes& input = inputs[index];
        IntervalOutput& output = outputs[index];
        lock.unlock();
        if (!parser)
            parser.emplace(LzxParseSettings{settings.windowBits, settings.searchDepth, settings.niceLength});
        std::vector<LzxToken> tokens = parser->Parse(input.data(), input.size());
        AppendZeroPadding(tokens, input.size(), intervalSize);
        output = IntervalEncoder(settings).Encode(tokens, intervalSize);
        // Done with: the memory goes back to be reused for intervals still being filled, instead of the
        // section being held twice until the end.
        Bytes().swap(input);
        lock.lock();
    }

    const LzxSettings settings;
    const size_t intervalSize;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Bytes> inputs; // one per interval; all but the last are full
    std::deque<IntervalOutput> outputs;
    size_t completeIntervals = 0;
    size_t nextInterval = 0;
    bool finishing = false;
    bool stopping = false;
    uint64_t appended = 0;
    std::vector<std::thread> helpers;
    std::optional<LzxIntervalParser> callerParser; // for intervals the caller compresses itself
};

LzxStreamCompressor::LzxStreamCompressor(const LzxSettings& settings) : state_(std::make_unique<State>(settings)) {
    unsigned threadCount = settings.threadCount > 0 ? settings.threadCount : std::thread::hardware_concurrency();
    threadCount = std::clamp<unsigned>(threadCount, 1, 8);
    // The caller's thread joins in at Finish; until then it is busy producing the input.
    for (unsigned i = 1; i < threadCount; ++i)
        state_->helpers.emplace_back([this] { state_->Work(); });
}

LzxStreamCompressor::~LzxStreamCompressor() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->ready.notify_all();
    for (std::thread& helper : state_->helpers)
        helper.join();
}

uint64_t LzxStreamCompressor::Size() const {
    return state_->appended;
}

void LzxStreamCompressor::Append(std::span<const uint8_t> data) {
    while (!data.empty()) {
        Bytes* current = nullptr;
        {
            std::lock_guard lock(state_->mutex);
            // A complete interval may be compressed and emptied already: the count says it is done.
            if (state_->completeIntervals == state_->inputs.size()) {
                state_->inputs.emplace_back().reserve(state_->intervalSize);
                state_->outputs.emplace_back();
            }
            current = &state_->inputs.back();
        }
        // Only this thread writes the last interval, and no worker reads it before it is complete.
        const size_t take = std::min(data.size(), state_->intervalSize - current->size());
        current->insert(current->end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        state_->appended += take;
        if (current->size() == state_->intervalSize) {
            std::unique_lock lock(state_->mutex);
            ++state_->completeIntervals;
            state_->ready.notify_one();
            // Input that comes faster than the helpers compress it would wait in memory, up to the whole
            // section: past a few intervals the caller compresses one itself.
            if (state_->completeIntervals - state_->nextInterval >
                static_cast<size_t>(std::max(0, state_->settings.waitingIntervals)))
                state_->CompressNext(lock, state_->callerParser);
        }
    }
}

LzxResult LzxStreamCompressor::Finish() {
    {
        std::lock_guard lock(state_->mutex);
        state_->finishing = true;
        state_->completeIntervals = state_->inputs.size();
    }
    state_->ready.notify_all();
    state_->Work();
    for (std::thread& helper : state_->helpers)
        helper.join();
    state_->helpers.clear();

    LzxResult result;
    result.paddedLength = state_->inputs.size() * state_->intervalSize;
    size_t total = 0;
    for (const IntervalOutput& output : state_->outputs)
        total += output.bytes.size();
    result.compressed.reserve(total);
    for (IntervalOutput& output : state_->outputs) {
        const uint64_t base = result.compressed.size();
        for (uint64_t offset : output.frameOffsets)
            result.frameOffsets.push_back(base + offset);
        result.compressed.insert(result.compressed.end(), output.bytes.begin(), output.bytes.end());
        Bytes().swap(output.bytes);
    }
    return result;
}

LzxResult CompressLzx(const uint8_t* data, size_t size, const LzxSettings& settings) {
    LzxStreamCompressor compressor(settings);
    compressor.Append(std::span(data, size));
    return compressor.Finish();
}
