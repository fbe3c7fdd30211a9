#include "imageio/JpegEntropyScan.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessoly {

namespace {

constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kFirstRestart = 0xD0;

long long CeilDiv(long long a, long long b) {
    return (a + b - 1) / b;
}

} // namespace

JBLOCK* McuRowBlocks::At(int component, int blockRow, int blockColumn) {
    return const_cast<JBLOCK*>(std::as_const(*this).At(component, blockRow, blockColumn));
}

bool ReadEntropyData(const std::uint8_t* file, std::size_t size, std::size_t start, EntropyData& data) {
    data.segments.clear();
    if (start >= size)
        return false;
    // Room for all of it, not zeroed: what the data leaves of it is never read, and the padding
    // after the data is set to zeros.
    data.unstuffed.reset(new std::uint8_t[size - start + BitReader::kReadPadding]);
    std::uint8_t* out = data.unstuffed.get();
    std::size_t written = 0;
    EntropySegment segment{start, start, 0, 0};
    std::size_t next = start;
    while (true) {
        // Eight bytes at a time while they hold no 0xFF, then byte by byte.
        while (next + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, file + next, sizeof word);
            if (HoldsFF(word))
                break;
            std::memcpy(out + written, &word, sizeof word);
            written += 8;
            next += 8;
        }
        while (next < size && file[next] != 0xFF)
            out[written++] = file[next++];
        if (next >= size)
            return false; // no marker ends the data
        const std::size_t at = next;
        std::size_t code = at + 1;
        while (code < size && file[code] == 0xFF)
            ++code; // fill bytes before a marker
        if (code >= size)
            return false;
        if (file[code] == 0x00) {
            if (code != at + 1)
                return false;
            out[written++] = 0xFF;
            next = code + 1;
            continue;
        }
        segment.end = at;
        segment.endBit = written * 8;
        data.segments.push_back(segment);
        if (file[code] >= kFirstRestart && file[code] <= kFirstRestart + 7) {
            if (file[code] != kFirstRestart + ((data.segments.size() - 1) & 7))
                return false;
            next = code + 1;
            segment = EntropySegment{next, next, written * 8, written * 8};
            continue;
        }
        data.endMarker = at;
        std::memset(out + written, 0, BitReader::kReadPadding);
        return true;
    }
}

const JBLOCK* McuRowBlocks::At(int component, int blockRow, int blockColumn) const {
    const Component& c = components[static_cast<std::size_t>(component)];
    const std::size_t block = static_cast<std::size_t>(blockRow - c.firstBlockRow) * static_cast<std::size_t>(c.blocksPerRow) +
                              static_cast<std::size_t>(blockColumn - c.firstBlockColumn);
    return reinterpret_cast<const JBLOCK*>(c.coefficients.data() + block * DCTSIZE2);
}

std::unique_ptr<EntropyScan> EntropyScan::Open(const std::uint8_t* file, std::size_t size,
                                               const jpeg_decompress_struct& info) {
    if (info.progressive_mode || info.arith_code || info.data_precision != 8 ||
        info.comps_in_scan != info.num_components || info.src == nullptr)
        return nullptr;
    if (info.src->next_input_byte < file || info.src->next_input_byte > file + size)
        return nullptr;
    std::unique_ptr<EntropyScan> scan(new EntropyScan);
    scan->file_ = file;
    scan->scanStart_ = static_cast<std::size_t>(info.src->next_input_byte - file);
    if (!ReadEntropyData(file, size, scan->scanStart_, scan->data_))
        return nullptr;
    std::size_t code = scan->data_.endMarker;
    while (file[code] == 0xFF)
        ++code;
    if (file[code] != kEndOfImage)
        return nullptr; // a second scan, or a marker libjpeg would read on

    const bool interleaved = info.comps_in_scan > 1;
    const int cellWidth = 8 * info.max_h_samp_factor;
    const int cellHeight = 8 * info.max_v_samp_factor;
    const jpeg_component_info& first = *info.cur_comp_info[0];
    if (interleaved) {
        scan->mcusPerRow_ = static_cast<int>(CeilDiv(info.image_width, cellWidth));
        scan->mcuRows_ = static_cast<int>(CeilDiv(info.image_height, cellHeight));
        scan->mcuRowHeight_ = cellHeight;
        scan->mcuWidth_ = cellWidth;
    } else {
        scan->mcusPerRow_ = static_cast<int>(CeilDiv(static_cast<long long>(info.image_width) * first.h_samp_factor, cellWidth));
        scan->mcuRows_ = static_cast<int>(CeilDiv(static_cast<long long>(info.image_height) * first.v_samp_factor, cellHeight));
        scan->mcuRowHeight_ = cellHeight / first.v_samp_factor;
        scan->mcuWidth_ = cellWidth / first.h_samp_factor;
    }
    scan->restartInterval_ = static_cast<int>(info.restart_interval);
    const std::size_t intervals =
        scan->restartInterval_ == 0 ? 1 : static_cast<std::size_t>(CeilDiv(scan->TotalMcus(), scan->restartInterval_));
    if (scan->data_.segments.size() != intervals)
        return nullptr;

    // Every table a component names, decoded and encoded; 0..3 DC, 4..7 AC.
    scan->decodeTables_.reserve(8);
    scan->encodeTables_.reserve(8);
    int slot[8];
    std::fill(std::begin(slot), std::end(slot), -1);
    auto tableFor = [&](int number, bool ac) -> int {
        if (number < 0 || number >= NUM_HUFF_TBLS)
            return -1;
        const JHUFF_TBL* table = ac ? info.ac_huff_tbl_ptrs[number] : info.dc_huff_tbl_ptrs[number];
        if (table == nullptr)
            return -1;
        int& at = slot[number + (ac ? 4 : 0)];
        if (at < 0) {
            at = static_cast<int>(scan->decodeTables_.size());
            scan->decodeTables_.emplace_back(*table, ac);
            scan->encodeTables_.emplace_back(*table);
            if (!scan->decodeTables_.back().Valid())
                return -1;
        }
        return at;
    };
    for (int i = 0; i < info.comps_in_scan; ++i) {
        const jpeg_component_info& comp = *info.cur_comp_info[i];
        const int dc = tableFor(comp.dc_tbl_no, false);
        const int ac = tableFor(comp.ac_tbl_no, true);
        if (dc < 0 || ac < 0)
            return nullptr;
        ScanComponent component;
        component.index = comp.component_index;
        component.mcuWidth = interleaved ? comp.h_samp_factor : 1;
        component.mcuHeight = interleaved ? comp.v_samp_factor : 1;
        scan->components_.push_back(component);
    }
    for (std::size_t i = 0; i < scan->components_.size(); ++i) {
        const jpeg_component_info& comp = *info.cur_comp_info[i];
        ScanComponent& component = scan->components_[i];
        component.dcDecode = &scan->decodeTables_[static_cast<std::size_t>(slot[comp.dc_tbl_no])];
        component.acDecode = &scan->decodeTables_[static_cast<std::size_t>(slot[comp.ac_tbl_no + 4])];
        component.dcEncode = &scan->encodeTables_[static_cast<std::size_t>(slot[comp.dc_tbl_no])];
        component.acEncode = &scan->encodeTables_[static_cast<std::size_t>(slot[comp.ac_tbl_no + 4])];
        for (int b = 0; b < component.mcuWidth * component.mcuHeight; ++b)
            scan->mcuBlocks_.push_back({component.dcDecode, component.acDecode, static_cast<int>(i)});
    }
    if (scan->mcuBlocks_.size() > static_cast<std::size_t>(D_MAX_BLOCKS_IN_MCU))
        return nullptr;
    return scan;
}

template <typename Blocks, typename Code>
bool EntropyScan::ForEachBlock(Blocks& blocks, long long mcu, Code code) const {
    const int column = static_cast<int>(mcu % mcusPerRow_);
    const int row = static_cast<int>(mcu / mcusPerRow_);
    for (std::size_t i = 0; i < components_.size(); ++i) {
        const ScanComponent& c = components_[i];
        for (int y = 0; y < c.mcuHeight; ++y) {
            for (int x = 0; x < c.mcuWidth; ++x) {
                if (!code(c, i, *blocks.At(c.index, row * c.mcuHeight + y, column * c.mcuWidth + x)))
                    return false;
            }
        }
    }
    return true;
}

bool EntropyScan::DecodeMcu(BitReader& reader, long long mcu, Predictions& predictions) {
    return ForEachBlock(kept_, mcu, [&](const ScanComponent& c, std::size_t i, JCOEF* block) {
        return DecodeBlock(reader, *c.dcDecode, *c.acDecode, predictions[i], block);
    });
}

bool EntropyScan::EncodeMcu(BitWriter& writer, long long mcu, Predictions& predictions) const {
    return ForEachBlock(kept_, mcu, [&](const ScanComponent& c, std::size_t i, const JCOEF* block) {
        return EncodeBlock(writer, *c.dcEncode, *c.acEncode, predictions[i], block);
    });
}

bool EntropyScan::Walk(int firstRow, int endRow, int firstColumn, int endColumn) {
    const long long total = TotalMcus();
    firstRow = std::clamp(firstRow, 0, mcuRows_);
    endRow = std::clamp(endRow, firstRow, mcuRows_);
    firstColumn = std::clamp(firstColumn, 0, mcusPerRow_);
    endColumn = std::clamp(endColumn, firstColumn, mcusPerRow_);
    if (endColumn == firstColumn)
        endRow = firstRow;
    firstMcu_ = endMcu_ = 0;
    kept_ = McuRowBlocks{};
    if (endRow > firstRow) {
        firstMcu_ = static_cast<long long>(firstRow) * mcusPerRow_;
        endMcu_ = static_cast<long long>(endRow) * mcusPerRow_;
        if (restartInterval_ == 0) {
            // The next MCU follows on the range's last DC values; it is sent again with its own.
            endMcu_ = std::min(endMcu_ + 1, total);
        } else {
            // Whole restart intervals: they start from fresh predictions and on a byte.
            firstMcu_ = firstMcu_ / restartInterval_ * restartInterval_;
            endMcu_ = std::min(CeilDiv(endMcu_, restartInterval_) * restartInterval_, total);
        }
        // The MCU after each changed one follows on its DC values and may need sending again:
        // the one to the right, or the next row's first when the band reaches the right edge.
        kept_.firstRow = firstRow;
        kept_.rows = endRow - firstRow;
        kept_.firstColumn = firstColumn;
        kept_.columns = endColumn + 1 - firstColumn;
        if (endColumn >= mcusPerRow_) {
            kept_.firstColumn = 0;
            kept_.columns = mcusPerRow_;
            kept_.rows = std::min(endRow + 1, mcuRows_) - firstRow;
        }
    }
    // The scan holds every component, so their indexes are 0 .. count - 1.
    kept_.components.resize(components_.size());
    for (const ScanComponent& c : components_) {
        McuRowBlocks::Component& held = kept_.components[static_cast<std::size_t>(c.index)];
        held.firstBlockRow = kept_.firstRow * c.mcuHeight;
        held.firstBlockColumn = kept_.firstColumn * c.mcuWidth;
        held.blockRows = kept_.rows * c.mcuHeight;
        held.blocksPerRow = kept_.columns * c.mcuWidth;
        held.coefficients.resize(
            static_cast<std::size_t>(held.blockRows) * static_cast<std::size_t>(held.blocksPerRow) * DCTSIZE2);
    }

    mcuBits_.clear();
    mcuPredictions_.clear();
    segmentDataEnds_.clear();
    const std::vector<EntropySegment>& segments = data_.segments;
    BitReader reader(data_.unstuffed.get(), segments.back().endBit / 8);
    Predictions predictions(components_.size(), 0);
    // A segment ends with its last MCU, padded to a byte; libjpeg warns of anything more.
    auto segmentComplete = [&](std::size_t segment) {
        return reader.Position() <= segments[segment].endBit && segments[segment].endBit - reader.Position() < 8;
    };
    std::size_t segment = 0;
    long long untilRestart = restartInterval_ == 0 ? total : restartInterval_;
    for (long long mcu = 0; mcu < total;) {
        if (untilRestart == 0) {
            if (!segmentComplete(segment))
                return false;
            segmentDataEnds_.push_back(reader.Position());
            reader.Seek(segments[++segment].firstBit);
            std::fill(predictions.begin(), predictions.end(), 0);
            untilRestart = restartInterval_;
        }
        const bool inRange = mcu >= firstMcu_ && mcu < endMcu_;
        if (inRange || (mcu == endMcu_ && endMcu_ > firstMcu_)) {
            mcuBits_.push_back(reader.Position());
            mcuPredictions_.insert(mcuPredictions_.end(), predictions.begin(), predictions.end());
        }
        // Outside the range, every MCU up to it, to the next restart marker or to the end at once.
        long long count = 1;
        if (!inRange)
            count = std::min(mcu < firstMcu_ ? firstMcu_ - mcu : total - mcu, untilRestart);
        const bool keep = inRange && kept_.Holds(static_cast<int>(mcu / mcusPerRow_), static_cast<int>(mcu % mcusPerRow_));
        if (keep ? !DecodeMcu(reader, mcu, predictions)
                 : !StepOverMcus(reader, mcuBlocks_.data(), static_cast<int>(mcuBlocks_.size()), count, predictions.data()))
            return false;
        if (reader.Overran())
            return false;
        mcu += count;
        untilRestart -= count;
    }
    dataEndBit_ = reader.Position();
    segmentDataEnds_.push_back(dataEndBit_);
    if (endMcu_ == total && endMcu_ > firstMcu_) {
        mcuBits_.push_back(dataEndBit_);
        mcuPredictions_.insert(mcuPredictions_.end(), predictions.begin(), predictions.end());
    }
    original_ = kept_;
    return segmentComplete(segment);
}

bool EntropyScan::McuUnchanged(long long mcu) const {
    const int column = static_cast<int>(mcu % mcusPerRow_);
    const int row = static_cast<int>(mcu / mcusPerRow_);
    for (const ScanComponent& c : components_) {
        for (int y = 0; y < c.mcuHeight; ++y) {
            const int blockRow = row * c.mcuHeight + y;
            const int blockColumn = column * c.mcuWidth;
            if (std::memcmp(*kept_.At(c.index, blockRow, blockColumn), *original_.At(c.index, blockRow, blockColumn),
                            sizeof(JBLOCK) * static_cast<std::size_t>(c.mcuWidth)) != 0)
                return false;
        }
    }
    return true;
}

bool EntropyScan::WriteRange(BitWriter& writer, long long begin, long long end) const {
    // An MCU is copied as it was when it is still the source's and the DC values it follows on
    // are the source's too; every other one is encoded again. Only kept MCUs can have changed,
    // and the kept ones include every MCU that follows on a changed one.
    const std::size_t components = components_.size();
    auto sourcePredictions = [&](long long mcu) {
        const auto at = static_cast<std::size_t>(mcu - firstMcu_) * components;
        return Predictions(mcuPredictions_.begin() + static_cast<std::ptrdiff_t>(at),
                           mcuPredictions_.begin() + static_cast<std::ptrdiff_t>(at + components));
    };
    // Where an MCU's data ends: the next one's start, but for the last of a restart interval,
    // whose padding is not data.
    auto endOf = [&](long long mcu) {
        if (restartInterval_ != 0 && ((mcu + 1) % restartInterval_ == 0 || mcu + 1 == TotalMcus()))
            return segmentDataEnds_[static_cast<std::size_t>(mcu / restartInterval_)];
        return mcuBits_[static_cast<std::size_t>(mcu + 1 - firstMcu_)];
    };
    Predictions predictions;
    bool followsSource = true;
    std::size_t copyFrom = mcuBits_[static_cast<std::size_t>(begin - firstMcu_)];
    for (long long mcu = begin; mcu < end; ++mcu) {
        const auto at = static_cast<std::size_t>(mcu - firstMcu_);
        const bool kept = kept_.Holds(static_cast<int>(mcu / mcusPerRow_), static_cast<int>(mcu % mcusPerRow_));
        if (!kept && !followsSource)
            return false; // cannot happen with the kept MCUs chosen as they are
        if (!kept || (followsSource && McuUnchanged(mcu)))
            continue;
        writer.PutBits(data_.unstuffed.get(), copyFrom, mcuBits_[at]);
        if (followsSource)
            predictions = sourcePredictions(mcu);
        if (!EncodeMcu(writer, mcu, predictions))
            return false;
        copyFrom = endOf(mcu);
        const bool restarts = restartInterval_ != 0 && (mcu + 1) % restartInterval_ == 0;
        followsSource = restarts || mcu + 1 == TotalMcus() || predictions == sourcePredictions(mcu + 1);
    }
    if (!followsSource)
        return false; // cannot happen either
    writer.PutBits(data_.unstuffed.get(), copyFrom, endOf(end - 1));
    return true;
}

bool EntropyScan::Write(std::vector<std::uint8_t>& out) const {
    BitWriter writer(out);
    if (endMcu_ <= firstMcu_) {
        writer.PutRaw(file_ + scanStart_, data_.endMarker - scanStart_);
    } else if (restartInterval_ == 0) {
        writer.PutBits(data_.unstuffed.get(), 0, mcuBits_.front());
        if (!WriteRange(writer, firstMcu_, endMcu_))
            return false;
        writer.PutBits(data_.unstuffed.get(), mcuBits_.back(), dataEndBit_);
        writer.PadToByte();
    } else {
        const auto firstInterval = static_cast<std::size_t>(firstMcu_ / restartInterval_);
        const auto endInterval = static_cast<std::size_t>(CeilDiv(endMcu_, restartInterval_));
        // Up to and with the restart marker before the range, as it is.
        writer.PutRaw(file_ + scanStart_, data_.segments[firstInterval].begin - scanStart_);
        for (std::size_t interval = firstInterval; interval < endInterval; ++interval) {
            if (interval != firstInterval) {
                const std::uint8_t marker[2] = {0xFF, static_cast<std::uint8_t>(kFirstRestart + ((interval - 1) & 7))};
                writer.PutRaw(marker, 2);
            }
            const long long begin = static_cast<long long>(interval) * restartInterval_;
            if (!WriteRange(writer, begin, std::min(begin + restartInterval_, endMcu_)))
                return false;
            writer.PadToByte();
        }
        // From the restart marker after the range on, as it is.
        const std::size_t tail = data_.segments[endInterval - 1].end;
        writer.PutRaw(file_ + tail, data_.endMarker - tail);
    }
    const std::uint8_t end[2] = {0xFF, kEndOfImage};
    writer.PutRaw(end, 2);
    return true;
}

} // namespace tessoly
