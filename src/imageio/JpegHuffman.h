#pragma once
// The Huffman coding of a sequential JPEG's blocks, in both directions, with the file's own
// tables. libjpeg codes whole scans only; splicing a few re-encoded MCU rows into a scan that is
// otherwise copied needs the coder at block level and the exact bit position of every MCU, which
// its interface does not give.
//
// Bits are read from and written to the entropy-coded data with its byte stuffing and markers
// taken out (see JpegEntropyScan.h): a 0xFF data byte is just a byte here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <cstdio>

#include <jpeglib.h>

namespace tessoly {

//! Whether any of the eight bytes of word is 0xFF, the byte that entropy-coded data stuffs.
inline bool HoldsFF(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    return ((~word - kOnes) & word & (kOnes << 7)) != 0;
}

//! Reads bits from unstuffed entropy-coded data, through a 64-bit buffer that a refill tops up
//! to 56 bits or more without a branch. The data must be followed by kReadPadding readable
//! bytes, so that a damaged block can run on past the end before the caller checks.
class BitReader {
public:
    static constexpr std::size_t kReadPadding = 4096;

    BitReader(const std::uint8_t* data, std::size_t bytes) : data_(data), next_(data), bitEnd_(bytes * 8) {}

    //! Makes at least 56 bits available at the top of Bits().
    void Refill() {
        std::uint64_t word;
        std::memcpy(&word, next_, sizeof word);
        buffer_ |= __builtin_bswap64(word) >> count_;
        next_ += (63 - count_) >> 3;
        count_ |= 56;
    }
    std::uint64_t Bits() const { return buffer_; }
    //! The next 56 bits or more, at the top of the word.
    std::uint64_t Peek() {
        Refill();
        return buffer_;
    }
    void Skip(unsigned bits) {
        buffer_ <<= bits;
        count_ -= bits;
    }
    std::size_t Position() const { return static_cast<std::size_t>(next_ - data_) * 8 - count_; }
    void Seek(std::size_t bit) {
        next_ = data_ + bit / 8;
        buffer_ = 0;
        count_ = 0;
        Refill();
        Skip(static_cast<unsigned>(bit & 7));
    }
    bool Overran() const { return Position() > bitEnd_; }

private:
    const std::uint8_t* data_;
    const std::uint8_t* next_;
    std::size_t bitEnd_;
    std::uint64_t buffer_ = 0;
    //! Bits of buffer_ not yet consumed; the bits below them are the data's too.
    unsigned count_ = 0;
};

//! Writes entropy-coded data with its byte stuffing: every 0xFF byte is followed by 0x00.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    //! Appends the low count bits of bits (count <= 32).
    void Put(std::uint32_t bits, unsigned count);
    //! Appends bits [from, to) of unstuffed data.
    void PutBits(const std::uint8_t* data, std::size_t from, std::size_t to);
    //! Completes the last byte with 1 bits, as the standard pads before a marker.
    void PadToByte();
    //! Appends bytes exactly as they are (already stuffed data, markers); the writer must be at a
    //! byte boundary.
    void PutRaw(const std::uint8_t* bytes, std::size_t count);

private:
    //! Appends count bytes of source taken shift bits on (the byte after them is read when shift
    //! is not 0), each 0xFF followed by 0x00.
    void PutStuffed(const std::uint8_t* source, unsigned shift, std::size_t count);

    std::vector<std::uint8_t>& out_;
    std::uint64_t pending_ = 0;
    unsigned pendingBits_ = 0;
};

//! One Huffman table of the file, for decoding. Valid() is false for a table no decoder accepts.
class HuffmanDecodeTable {
public:
    //! ac: the table codes AC symbols, and ShortRun() is to be used on it.
    HuffmanDecodeTable(const JHUFF_TBL& table, bool ac);
    bool Valid() const { return valid_; }

    //! Decodes the symbol at the top of bits; sets length to its code's length, 0 for no code.
    int Decode(std::uint64_t bits, unsigned& length) const {
        const Entry entry = fast_[static_cast<std::size_t>(bits >> (64 - kLookahead))];
        if (entry.length == 0)
            return DecodeLong(bits, length);
        length = entry.length;
        return entry.symbol;
    }

    //! As many AC symbols as the next kRunBits bits hold the codes of, up to and with an end of
    //! block (the last one's magnitude bits may run on past them, up to kRunMaxBits in all): their
    //! bits (0 for none), how far they move along the block, and whether the block ends. Valid
    //! only while the block cannot end without an end-of-block symbol on the way, that is while
    //! the position plus advance stays below 64. Two bytes: the table is looked up all over, and
    //! the smaller it is the more of it stays cached.
    struct Run {
        static constexpr std::uint8_t kEnds = 0x80;
        std::uint8_t bits = 0;
        //! The advance (at most 64), with kEnds set when the block ends.
        std::uint8_t advanceAndEnd = 0;
        unsigned Advance() const { return advanceAndEnd & ~kEnds & 0xFFu; }
        bool Ends() const { return (advanceAndEnd & kEnds) != 0; }
    };
    Run ShortRun(std::uint64_t bits) const { return runs_[static_cast<std::size_t>(bits >> (64 - kRunBits))]; }
    //! How many runs the 56 bits or more that one refill of a BitReader gives always hold.
    static constexpr int kRunsPerRefill = 3;

private:
    static constexpr unsigned kLookahead = 10;
    static constexpr unsigned kRunBits = 14;
    //! The most bits a run takes, with the magnitude bits of its last symbol.
    static constexpr unsigned kRunMaxBits = 18;
    static_assert(kRunsPerRefill * kRunMaxBits <= 56);
    struct Entry {
        std::uint8_t length = 0;
        std::uint8_t symbol = 0;
    };
    int DecodeLong(std::uint64_t bits, unsigned& length) const;

    std::array<Entry, 1u << kLookahead> fast_{};
    std::array<Run, 1u << kRunBits> runs_{};
    //! Largest code of each length, -1 when none; its first code and the index of its first value.
    std::array<std::int32_t, 18> maxCode_{};
    std::array<std::int32_t, 17> firstCode_{};
    std::array<std::int32_t, 17> firstValue_{};
    //! Where the codes of each length and all shorter ones end, left-aligned in 16 bits.
    std::array<std::uint32_t, 17> codesEnd_{};
    std::array<std::uint8_t, 256> values_{};
    bool valid_ = true;
};

//! One Huffman table of the file, for encoding: each symbol's code, length 0 when it has none.
class HuffmanEncodeTable {
public:
    explicit HuffmanEncodeTable(const JHUFF_TBL& table);

    std::uint16_t Code(int symbol) const { return code_[static_cast<std::size_t>(symbol)]; }
    std::uint8_t Length(int symbol) const { return length_[static_cast<std::size_t>(symbol)]; }

private:
    std::array<std::uint16_t, 256> code_{};
    std::array<std::uint8_t, 256> length_{};
};

//! Decodes one block: block gets its coefficients in natural order with the DC value absolute;
//! prediction is the component's last DC value and is updated. False for data no code matches
//! or that runs past the 64th coefficient.
bool DecodeBlock(BitReader& reader, const HuffmanDecodeTable& dc, const HuffmanDecodeTable& ac, int& prediction,
                 JCOEF* block);

//! How one block of an MCU is coded: its tables and the index of its component's prediction.
struct McuBlockCoding {
    const HuffmanDecodeTable* dc = nullptr;
    const HuffmanDecodeTable* ac = nullptr;
    int prediction = 0;
};

//! Steps over mcus MCUs of count blocks each, updating predictions; false as DecodeBlock, or
//! when the reader runs past its data's end.
bool StepOverMcus(BitReader& reader, const McuBlockCoding* blocks, int count, long long mcus, int* predictions);

//! Encodes one block (natural order, absolute DC). False when the tables have no code for a
//! symbol the block needs, or a coefficient is out of the 8-bit range.
bool EncodeBlock(BitWriter& writer, const HuffmanEncodeTable& dc, const HuffmanEncodeTable& ac, int& prediction,
                 const JCOEF* block);

} // namespace tessoly
