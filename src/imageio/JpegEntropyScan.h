#pragma once
// The entropy-coded data of a sequential Huffman JPEG with one scan for all its components: where
// it lies in the file, how its MCUs are laid out, and the two passes that rewrite a few rows of it.
// Walk() steps over every MCU (checking the data as libjpeg's reader would), keeps the
// coefficients of a range of MCUs and notes where that range starts and ends; Write() sends the
// scan again with the MCUs of that range that were changed re-encoded from the kept coefficients
// and every other bit copied.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <cstdio>

#include <jpeglib.h>

#include "imageio/JpegHuffman.h"

namespace tessoly {

//! The data between restart markers: as file offsets, and as bits of the data with its stuffing
//! and markers taken out.
struct EntropySegment {
    std::size_t begin = 0;
    //! Where the marker that closes it starts (its fill bytes included).
    std::size_t end = 0;
    //! Where it starts in the unstuffed data (on a byte) and ends.
    std::size_t firstBit = 0;
    std::size_t endBit = 0;
};

//! The entropy-coded data of a scan.
struct EntropyData {
    std::vector<EntropySegment> segments;
    //! Where the marker that ends the data starts.
    std::size_t endMarker = 0;
    //! The data without stuffing or markers, then BitReader::kReadPadding zero bytes.
    std::unique_ptr<std::uint8_t[]> unstuffed;
};

//! Reads the entropy-coded data that starts at start, up to the marker that ends it. False when
//! it has no ending marker, its restart markers are out of sequence, or a 0xFF byte is neither
//! stuffed nor a marker.
bool ReadEntropyData(const std::uint8_t* file, std::size_t size, std::size_t start, EntropyData& data);

//! The coefficients of MCU rows [firstRow, firstRow + rows), columns [firstColumn, firstColumn +
//! columns), of every component, with the blocks past the picture's edge that complete the edge
//! MCUs.
struct McuRowBlocks {
    struct Component {
        int firstBlockRow = 0;
        int firstBlockColumn = 0;
        int blockRows = 0;
        int blocksPerRow = 0;
        //! DCTSIZE2 coefficients per block, row by row.
        std::vector<JCOEF> coefficients;
    };
    int firstRow = 0;
    int rows = 0;
    int firstColumn = 0;
    int columns = 0;
    std::vector<Component> components;

    bool Holds(int row, int column) const {
        return row >= firstRow && row < firstRow + rows && column >= firstColumn && column < firstColumn + columns;
    }

    JBLOCK* At(int component, int blockRow, int blockColumn);
    const JBLOCK* At(int component, int blockRow, int blockColumn) const;
};

class EntropyScan {
public:
    //! The scan of a source read up to its first scan header (jpeg_read_header), or null when it
    //! is not one sequential Huffman scan of all components ending the image (the caller then
    //! reads it some other way).
    static std::unique_ptr<EntropyScan> Open(const std::uint8_t* file, std::size_t size,
                                             const jpeg_decompress_struct& info);

    //! Where the entropy-coded data starts in the file.
    std::size_t ScanStart() const { return scanStart_; }
    int McusPerRow() const { return mcusPerRow_; }
    int McuRows() const { return mcuRows_; }
    //! Picture rows an MCU row covers.
    int McuRowHeight() const { return mcuRowHeight_; }
    //! Picture columns an MCU covers.
    int McuWidth() const { return mcuWidth_; }

    //! Steps over the whole scan, keeping the MCUs of rows [firstRow, endRow) and columns
    //! [firstColumn, endColumn) and those whose DC values follow on theirs (none when the range is
    //! empty). False for data libjpeg would find damaged or that this coder cannot take.
    bool Walk(int firstRow, int endRow, int firstColumn, int endColumn);
    //! The rows Walk kept, to be changed in place before Write.
    McuRowBlocks& Kept() { return kept_; }
    //! Appends the scan's entropy-coded data, the kept rows re-encoded, and the image's end
    //! marker. False when the file's tables have no code for a changed block.
    bool Write(std::vector<std::uint8_t>& out) const;

private:
    struct ScanComponent {
        int index = 0;
        int mcuWidth = 1;
        int mcuHeight = 1;
        const HuffmanDecodeTable* dcDecode = nullptr;
        const HuffmanDecodeTable* acDecode = nullptr;
        const HuffmanEncodeTable* dcEncode = nullptr;
        const HuffmanEncodeTable* acEncode = nullptr;
    };
    using Predictions = std::vector<int>;

    EntropyScan() = default;
    long long TotalMcus() const { return static_cast<long long>(mcusPerRow_) * mcuRows_; }
    //! Calls code(component, its index in the scan, block) for each of the MCU's blocks in blocks
    //! (kept_ or a const view of it), in the scan's order, while it returns true.
    template <typename Blocks, typename Code>
    bool ForEachBlock(Blocks& blocks, long long mcu, Code code) const;
    //! Decodes one MCU into kept_.
    bool DecodeMcu(BitReader& reader, long long mcu, Predictions& predictions);
    bool EncodeMcu(BitWriter& writer, long long mcu, Predictions& predictions) const;
    //! Whether the kept MCU's blocks are still the source's.
    bool McuUnchanged(long long mcu) const;
    //! Writes MCUs [begin, end) of the rewritten range, which follow on the source's predictions.
    bool WriteRange(BitWriter& writer, long long begin, long long end) const;

    const std::uint8_t* file_ = nullptr;
    std::size_t scanStart_ = 0;
    EntropyData data_;
    std::vector<ScanComponent> components_;
    //! The blocks of an MCU in the order the scan sends them.
    std::vector<McuBlockCoding> mcuBlocks_;
    std::vector<HuffmanDecodeTable> decodeTables_;
    std::vector<HuffmanEncodeTable> encodeTables_;
    int mcusPerRow_ = 0;
    int mcuRows_ = 0;
    int mcuRowHeight_ = 0;
    int mcuWidth_ = 0;
    int restartInterval_ = 0;

    //! Where each segment's last MCU ends.
    std::vector<std::size_t> segmentDataEnds_;
    McuRowBlocks kept_;
    //! The kept rows as the source has them.
    McuRowBlocks original_;
    //! The rewritten range [firstMcu_, endMcu_): where each of its MCUs and the one after it start
    //! in unstuffed_ and the source's DC predictions they start from; where the data's last MCU
    //! ends.
    long long firstMcu_ = 0;
    long long endMcu_ = 0;
    std::vector<std::size_t> mcuBits_;
    std::vector<int> mcuPredictions_;
    std::size_t dataEndBit_ = 0;
};

} // namespace tessoly
