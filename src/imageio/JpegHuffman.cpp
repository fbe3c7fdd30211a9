#include "imageio/JpegHuffman.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tessoly {

namespace {

//! The position in natural (row-major) order of each coefficient in zigzag order.
constexpr std::uint8_t kNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

//! Largest magnitude category of an 8-bit JPEG's DC differences and AC coefficients.
constexpr int kMaxDcCategory = 11;
constexpr int kMaxAcCategory = 10;
constexpr int kEndOfBlock = 0x00;
constexpr int kZeroRun = 0xF0;

//! The value of a category-s magnitude field (the standard's EXTEND).
int Extend(std::uint32_t raw, int s) {
    return raw < (1u << (s - 1)) ? static_cast<int>(raw) - (1 << s) + 1 : static_cast<int>(raw);
}

int Category(int magnitude) {
    return magnitude == 0 ? 0 : 32 - __builtin_clz(static_cast<unsigned>(magnitude));
}

//! Calls visit(symbol, code, length) for every code of the table, in the standard's canonical
//! order. False when the lengths overflow the code space (a table no decoder accepts).
template <typename Visit>
bool ForEachCode(const JHUFF_TBL& table, Visit visit) {
    std::uint32_t code = 0;
    int index = 0;
    for (unsigned length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.bits[length]; ++i) {
            // A file's counts may claim more codes than the length has room for.
            if (index >= 256 || code >= (1u << length))
                return false;
            visit(table.huffval[index++], code++, length);
        }
        // As libjpeg: the all-ones code of a length is not a code.
        if (code >= (1u << length))
            return false;
        code <<= 1;
    }
    return true;
}

//! The DC difference at the top of the reader's bits, added to prediction.
__attribute__((always_inline)) inline bool CodeDc(BitReader& reader, const HuffmanDecodeTable& dc, int& prediction) {
    const std::uint64_t bits = reader.Peek();
    unsigned length = 0;
    const int s = dc.Decode(bits, length);
    if (length == 0 || s > kMaxDcCategory)
        return false;
    if (s != 0)
        prediction += Extend(static_cast<std::uint32_t>((bits << length) >> (64 - s)), s);
    reader.Skip(length + static_cast<unsigned>(s));
    return true;
}

//! One AC symbol and its magnitude bits at k, k moved past them; with block its coefficient is
//! kept. ends is set for an end of block. False as DecodeBlock.
template <bool Keep>
__attribute__((always_inline)) inline bool CodeAcSymbol(BitReader& reader, const HuffmanDecodeTable& ac, int& k,
                                                        bool& ends, JCOEF* block) {
    const std::uint64_t bits = reader.Peek();
    unsigned length = 0;
    const int rs = ac.Decode(bits, length);
    if (length == 0)
        return false;
    const int r = rs >> 4;
    const int size = rs & 15;
    if (size == 0) {
        reader.Skip(length);
        ends = r != 15;
        k += 16;
        return true;
    }
    k += r;
    if (size > kMaxAcCategory || k >= DCTSIZE2)
        return false;
    if constexpr (Keep)
        block[kNaturalOrder[k]] =
            static_cast<JCOEF>(Extend(static_cast<std::uint32_t>((bits << length) >> (64 - size)), size));
    reader.Skip(length + static_cast<unsigned>(size));
    ++k;
    return true;
}

__attribute__((always_inline)) inline bool StepOverBlock(BitReader& reader, const HuffmanDecodeTable& dc,
                                                         const HuffmanDecodeTable& ac, int& prediction) {
    if (!CodeDc(reader, dc, prediction))
        return false;
    // One table look-up for a few symbols at a time (several of them fit in the bits a refill
    // gives); one symbol at a time for a long code, a symbol that does not fit in what is left
    // of the look-up, or near the block's end.
    int k = 1;
    while (k < DCTSIZE2) {
        reader.Refill();
        int looked = 0;
        for (; looked < HuffmanDecodeTable::kRunsPerRefill; ++looked) {
            const HuffmanDecodeTable::Run run = ac.ShortRun(reader.Bits());
            if (run.bits == 0 || k + static_cast<int>(run.Advance()) >= DCTSIZE2)
                break;
            reader.Skip(run.bits);
            if (run.Ends())
                return true;
            k += static_cast<int>(run.Advance());
        }
        if (looked == HuffmanDecodeTable::kRunsPerRefill)
            continue;
        bool ends = false;
        if (!CodeAcSymbol<false>(reader, ac, k, ends, nullptr))
            return false;
        if (ends)
            return true;
    }
    return true;
}

} // namespace

void BitWriter::Put(std::uint32_t bits, unsigned count) {
    if (count == 0)
        return;
    pending_ = (pending_ << count) | (bits & ((std::uint64_t{1} << count) - 1));
    pendingBits_ += count;
    while (pendingBits_ >= 8) {
        pendingBits_ -= 8;
        const auto byte = static_cast<std::uint8_t>(pending_ >> pendingBits_);
        out_.push_back(byte);
        if (byte == 0xFF)
            out_.push_back(0x00);
    }
}

void BitWriter::PutBits(const std::uint8_t* data, std::size_t from, std::size_t to) {
    auto readBits = [data](std::size_t at, unsigned count) {
        std::uint64_t word;
        std::memcpy(&word, data + (at >> 3), sizeof word);
        return static_cast<std::uint32_t>((__builtin_bswap64(word) << (at & 7)) >> (64 - count));
    };
    // First up to the writer's next byte boundary, then whole bytes, shifted when the source is
    // not at a boundary of its own.
    if (pendingBits_ != 0) {
        const unsigned fill = std::min<std::size_t>(8 - pendingBits_, to - from);
        if (fill != 0)
            Put(readBits(from, fill), fill);
        from += fill;
    }
    if (pendingBits_ != 0 || from == to)
        return;
    const std::size_t wholeBytes = (to - from) / 8;
    PutStuffed(data + from / 8, from & 7, wholeBytes);
    from += wholeBytes * 8;
    if (from != to)
        Put(readBits(from, static_cast<unsigned>(to - from)), static_cast<unsigned>(to - from));
}

void BitWriter::PadToByte() {
    if (pendingBits_ != 0)
        Put(0xFF, 8 - pendingBits_);
}

void BitWriter::PutRaw(const std::uint8_t* bytes, std::size_t count) {
    out_.insert(out_.end(), bytes, bytes + count);
}

void BitWriter::PutStuffed(const std::uint8_t* source, unsigned shift, std::size_t count) {
    // Eight bytes at a time, through a buffer with room for each of them to be stuffed.
    constexpr std::size_t kChunk = 8192;
    std::uint8_t buffer[2 * kChunk];
    auto shiftedWord = [source, shift](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, source + at, sizeof word);
        word = __builtin_bswap64(word);
        return shift == 0 ? word : (word << shift) | (source[at + 8] >> (8 - shift));
    };
    for (std::size_t done = 0; done < count;) {
        const std::size_t end = done + std::min(kChunk, count - done);
        std::size_t length = 0;
        for (; done + 8 <= end; done += 8) {
            const std::uint64_t word = shiftedWord(done);
            if (!HoldsFF(word)) {
                const std::uint64_t stored = __builtin_bswap64(word);
                std::memcpy(buffer + length, &stored, sizeof stored);
                length += 8;
                continue;
            }
            for (int byte = 7; byte >= 0; --byte) {
                buffer[length] = static_cast<std::uint8_t>(word >> (8 * byte));
                if (buffer[length++] == 0xFF)
                    buffer[length++] = 0x00;
            }
        }
        for (; done < end; ++done) {
            buffer[length] = static_cast<std::uint8_t>(
                shift == 0 ? source[done] : (source[done] << shift) | (source[done + 1] >> (8 - shift)));
            if (buffer[length++] == 0xFF)
                buffer[length++] = 0x00;
        }
        out_.insert(out_.end(), buffer, buffer + length);
    }
}

HuffmanDecodeTable::HuffmanDecodeTable(const JHUFF_TBL& table, bool ac) {
    // Each symbol with a code of kRunBits or fewer, with its magnitude bits, stepped over at once:
    // the bits they take (0 when the symbol is not a plain one), how far they move along the block
    // (0 for the end of the block) and the code's length (0 for no such code).
    struct Step {
        std::uint8_t bits = 0;
        std::uint8_t advance = 0;
        std::uint8_t codeLength = 0;
    };
    std::vector<Step> steps(ac ? std::size_t{1} << kRunBits : 0);
    maxCode_.fill(-1);
    int index = 0;
    valid_ = ForEachCode(table, [&](std::uint8_t symbol, std::uint32_t code, unsigned length) {
        values_[static_cast<std::size_t>(index)] = symbol;
        if (maxCode_[length] < 0) {
            firstCode_[length] = static_cast<std::int32_t>(code);
            firstValue_[length] = index;
        }
        maxCode_[length] = static_cast<std::int32_t>(code);
        ++index;
        if (length <= kLookahead) {
            const std::uint32_t first = code << (kLookahead - length);
            for (std::uint32_t i = 0; i < (1u << (kLookahead - length)); ++i)
                fast_[first + i] = Entry{static_cast<std::uint8_t>(length), symbol};
        }
        if (ac && length <= kRunBits) {
            const int run = symbol >> 4;
            const int size = symbol & 15;
            Step step{0, 0, static_cast<std::uint8_t>(length)};
            if (size == 0) {
                step.bits = static_cast<std::uint8_t>(length);
                step.advance = static_cast<std::uint8_t>(run == 15 ? 16 : 0);
            } else if (size <= kMaxAcCategory) {
                step.bits = static_cast<std::uint8_t>(length + static_cast<unsigned>(size));
                step.advance = static_cast<std::uint8_t>(run + 1);
            }
            const std::uint32_t first = code << (kRunBits - length);
            std::fill_n(steps.begin() + first, std::size_t{1} << (kRunBits - length), step);
        }
    });
    if (!valid_)
        return;
    for (unsigned length = 1; length <= 16; ++length) {
        codesEnd_[length] = maxCode_[length] < 0
                                ? codesEnd_[length - 1]
                                : static_cast<std::uint32_t>(maxCode_[length] + 1) << (16 - length);
    }
    if (!ac)
        return;
    for (std::uint32_t pattern = 0; pattern < runs_.size(); ++pattern) {
        unsigned bits = 0;
        unsigned advance = 0;
        bool ends = false;
        while (true) {
            const auto window = static_cast<std::uint32_t>((pattern << bits) & ((1u << kRunBits) - 1));
            const Step step = steps[window];
            // The code must lie in the pattern; its magnitude bits need not, as they are only
            // stepped over. A run that reaches the block's end is of no use: the caller steps
            // symbol by symbol there.
            if (step.bits == 0 || step.codeLength > kRunBits - bits || bits + step.bits > kRunMaxBits ||
                advance + step.advance > DCTSIZE2)
                break;
            bits += step.bits;
            if (step.advance == 0) {
                ends = true;
                break;
            }
            advance += step.advance;
            if (bits >= kRunBits)
                break; // what follows lies past the pattern
        }
        runs_[pattern] = Run{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(advance | (ends ? Run::kEnds : 0))};
    }
}

int HuffmanDecodeTable::DecodeLong(std::uint64_t bits, unsigned& length) const {
    // The code is longer than the fast table's: its length is one more than the number of
    // lengths whose codes all lie below it.
    const auto window = static_cast<std::uint32_t>(bits >> 48);
    if (window >= codesEnd_[16]) {
        length = 0;
        return 0;
    }
    unsigned l = kLookahead + 1;
    for (unsigned shorter = kLookahead + 1; shorter < 16; ++shorter)
        l += window >= codesEnd_[shorter] ? 1 : 0;
    length = l;
    const auto code = static_cast<std::int32_t>(window >> (16 - l));
    return values_[static_cast<std::size_t>(firstValue_[l] + code - firstCode_[l])];
}

HuffmanEncodeTable::HuffmanEncodeTable(const JHUFF_TBL& table) {
    if (!ForEachCode(table, [&](std::uint8_t symbol, std::uint32_t code, unsigned length) {
            code_[symbol] = static_cast<std::uint16_t>(code);
            length_[symbol] = static_cast<std::uint8_t>(length);
        }))
        length_.fill(0);
}

bool DecodeBlock(BitReader& reader, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, int& prediction,
                 JCOEF* block) {
    if (!CodeDc(reader, dc, prediction))
        return false;
    std::memset(block, 0, sizeof(JCOEF) * DCTSIZE2);
    block[0] = static_cast<JCOEF>(prediction);
    bool ends = false;
    for (int k = 1; k < DCTSIZE2 && !ends;) {
        if (!CodeAcSymbol<true>(reader, ac, k, ends, block))
            return false;
    }
    return true;
}

bool StepOverMcus(BitReader& reader, const McuBlockCoding* blocks, int count, long long mcus, int* predictions) {
    // A reader of its own, so that its state stays in registers: the predictions written on the
    // way could otherwise alias it.
    BitReader local = reader;
    int prediction[MAX_COMPS_IN_SCAN + 1] = {};
    for (int i = 0; i < count; ++i)
        prediction[blocks[i].prediction] = predictions[blocks[i].prediction];
    for (long long mcu = 0; mcu < mcus; ++mcu) {
        for (int i = 0; i < count; ++i) {
            if (!StepOverBlock(local, *blocks[i].dc, *blocks[i].ac, prediction[blocks[i].prediction]))
                return false;
        }
        // Damaged data can decode on into the zeros after the end; no MCU takes them all.
        if (local.Overran())
            return false;
    }
    for (int i = 0; i < count; ++i)
        predictions[blocks[i].prediction] = prediction[blocks[i].prediction];
    reader = local;
    return true;
}

bool EncodeBlock(BitWriter& writer, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac, int& prediction,
                 const JCOEF* block) {
    int difference = block[0] - prediction;
    prediction = block[0];
    int category = Category(std::abs(difference));
    if (category > kMaxDcCategory || dc.Length(category) == 0)
        return false;
    writer.Put(dc.Code(category), dc.Length(category));
    // A negative value is sent as its one's complement in category bits.
    writer.Put(static_cast<std::uint32_t>(difference < 0 ? difference - 1 : difference), static_cast<unsigned>(category));
    int run = 0;
    for (int k = 1; k < DCTSIZE2; ++k) {
        const int value = block[kNaturalOrder[k]];
        if (value == 0) {
            ++run;
            continue;
        }
        for (; run > 15; run -= 16) {
            if (ac.Length(kZeroRun) == 0)
                return false;
            writer.Put(ac.Code(kZeroRun), ac.Length(kZeroRun));
        }
        category = Category(std::abs(value));
        const int symbol = (run << 4) + category;
        if (category > kMaxAcCategory || ac.Length(symbol) == 0)
            return false;
        writer.Put(ac.Code(symbol), ac.Length(symbol));
        writer.Put(static_cast<std::uint32_t>(value < 0 ? value - 1 : value), static_cast<unsigned>(category));
        run = 0;
    }
    if (run > 0) {
        if (ac.Length(kEndOfBlock) == 0)
            return false;
        writer.Put(ac.Code(kEndOfBlock), ac.Length(kEndOfBlock));
    }
    return true;
}

} // namespace tessoly
