// The block coder that walks a scan without libjpeg: decoding a block must give libjpeg's
// coefficients, and stepping over an MCU (the fast way, by runs of symbols) must end exactly where
// decoding its blocks ends, with the same DC predictions. The sources cover the codes the fast
// way treats apart: long codes, symbols whose magnitude runs past a look-up, runs of zeros,
// blocks that end without an end-of-block symbol, and tables made for one picture.

#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "imageio/JpegEntropyScan.h"
#include "imageio/JpegHuffman.h"
#include "imageio/JpegLib.h"
#include "support/JpegSources.h"

namespace tessoly {
namespace {

using test::Coefficients;
using test::SourceKind;

const SourceKind kSources[] = {
    {.name = "noise420Quality100", .width = 203, .height = 141, .quality = 100, .noise = true},
    {.name = "noise420Optimized", .width = 203, .height = 141, .quality = 100, .optimize = true, .noise = true},
    {.name = "noise444Quality90", .width = 99, .height = 77, .h = 1, .v = 1, .quality = 90, .noise = true},
    {.name = "noiseGreyQuality100", .width = 99, .height = 77, .grey = true, .quality = 100, .noise = true},
    {.name = "gradient422Quality30", .width = 211, .height = 133, .h = 2, .v = 1, .quality = 30},
    {.name = "gradient420Optimized", .width = 203, .height = 141, .optimize = true},
};

class BlockCoderTest : public ::testing::TestWithParam<SourceKind> {};

TEST_P(BlockCoderTest, DecodesAsLibjpegAndStepsToWhereDecodingEnds) {
    const std::vector<std::uint8_t> bytes = test::EncodeSource(GetParam());
    const Coefficients expected = test::ReadCoefficients(bytes);

    JpegDecompressor in;
    jpeg_mem_src(&in.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&in.info, TRUE);
    EntropyData data;
    ASSERT_TRUE(ReadEntropyData(bytes.data(), bytes.size(),
                                static_cast<std::size_t>(in.info.src->next_input_byte - bytes.data()), data));
    ASSERT_EQ(data.segments.size(), 1u);

    std::vector<HuffmanDecodeTable> tables;
    tables.reserve(2 * static_cast<std::size_t>(in.info.comps_in_scan));
    struct BlockAt {
        int component, row, column;
    };
    std::vector<McuBlockCoding> coding;
    const bool interleaved = in.info.comps_in_scan > 1;
    for (int c = 0; c < in.info.comps_in_scan; ++c) {
        const jpeg_component_info& comp = *in.info.cur_comp_info[c];
        tables.emplace_back(*in.info.dc_huff_tbl_ptrs[comp.dc_tbl_no], false);
        tables.emplace_back(*in.info.ac_huff_tbl_ptrs[comp.ac_tbl_no], true);
        ASSERT_TRUE(tables[tables.size() - 2].Valid() && tables.back().Valid());
        const int blocks = interleaved ? comp.h_samp_factor * comp.v_samp_factor : 1;
        for (int b = 0; b < blocks; ++b)
            coding.push_back({&tables[tables.size() - 2], &tables.back(), c});
    }
    const int cellWidth = 8 * in.info.max_h_samp_factor;
    const int cellHeight = 8 * in.info.max_v_samp_factor;
    const int mcuColumns = interleaved ? (static_cast<int>(in.info.image_width) + cellWidth - 1) / cellWidth
                                       : static_cast<int>(in.info.cur_comp_info[0]->width_in_blocks);
    const int mcuRows = interleaved ? (static_cast<int>(in.info.image_height) + cellHeight - 1) / cellHeight
                                    : static_cast<int>(in.info.cur_comp_info[0]->height_in_blocks);
    // Where each block of an MCU lies in its component.
    auto blocksOf = [&](int mcuRow, int mcuColumn) {
        std::vector<BlockAt> at;
        for (int c = 0; c < in.info.comps_in_scan; ++c) {
            const jpeg_component_info& comp = *in.info.cur_comp_info[c];
            const int h = interleaved ? comp.h_samp_factor : 1;
            const int v = interleaved ? comp.v_samp_factor : 1;
            for (int y = 0; y < v; ++y) {
                for (int x = 0; x < h; ++x)
                    at.push_back({c, mcuRow * v + y, mcuColumn * h + x});
            }
        }
        return at;
    };

    const std::size_t dataEnd = data.segments[0].endBit;
    BitReader reader(data.unstuffed.get(), dataEnd / 8);
    BitReader stepper = reader;
    std::vector<int> predictions(static_cast<std::size_t>(in.info.comps_in_scan), 0);
    std::vector<int> stepped = predictions;
    JCOEF block[DCTSIZE2];
    for (int row = 0; row < mcuRows; ++row) {
        for (int column = 0; column < mcuColumns; ++column) {
            const std::vector<BlockAt> at = blocksOf(row, column);
            for (std::size_t b = 0; b < at.size(); ++b) {
                ASSERT_TRUE(DecodeBlock(reader, *coding[b].dc, *coding[b].ac,
                                        predictions[static_cast<std::size_t>(coding[b].prediction)], block))
                    << "MCU " << row << "," << column;
                const Coefficients::Component& component = expected.components[static_cast<std::size_t>(at[b].component)];
                if (at[b].row >= component.rows || at[b].column >= component.columns)
                    continue; // a block past the picture's edge, which libjpeg does not keep
                const JCOEF* want =
                    &component.blocks[(static_cast<std::size_t>(at[b].row) * static_cast<std::size_t>(component.columns) +
                                       static_cast<std::size_t>(at[b].column)) * DCTSIZE2];
                ASSERT_TRUE(std::equal(block, block + DCTSIZE2, want)) << "MCU " << row << "," << column << " block " << b;
            }
            ASSERT_TRUE(StepOverMcus(stepper, coding.data(), static_cast<int>(coding.size()), 1, stepped.data()));
            ASSERT_EQ(stepper.Position(), reader.Position()) << "MCU " << row << "," << column;
            ASSERT_EQ(stepped, predictions) << "MCU " << row << "," << column;
        }
    }
    // The data ends with the last MCU, padded to a byte.
    EXPECT_LE(reader.Position(), dataEnd);
    EXPECT_LT(dataEnd - reader.Position(), 8u);

    // All of it in one call.
    BitReader whole(data.unstuffed.get(), dataEnd / 8);
    std::vector<int> wholePredictions(predictions.size(), 0);
    ASSERT_TRUE(StepOverMcus(whole, coding.data(), static_cast<int>(coding.size()),
                             static_cast<long long>(mcuRows) * mcuColumns, wholePredictions.data()));
    EXPECT_EQ(whole.Position(), reader.Position());
    EXPECT_EQ(wholePredictions, predictions);
}

TEST(HuffmanTables, TablesWhoseCountsOverflowTheirLengthsAreRefused) {
    // bits[length] is how many codes have that length; a file may claim anything there.
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> counts; // length, count
        bool valid;
    };
    const Case cases[] = {
        {"three one-bit codes", {{1, 3}}, false},
        {"the all-ones one-bit code", {{1, 2}}, false},
        {"five two-bit codes after none", {{2, 5}}, false},
        {"129 seven-bit codes", {{7, 129}}, false},
        {"every seven-bit code, the all-ones one too", {{7, 128}}, false},
        {"two short and a few long codes", {{1, 1}, {2, 1}, {12, 3}, {16, 5}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JHUFF_TBL table{};
        int symbols = 0;
        for (const auto& [length, count] : c.counts) {
            table.bits[length] = static_cast<UINT8>(count);
            symbols += count;
        }
        for (int i = 0; i < symbols && i < 256; ++i)
            table.huffval[i] = static_cast<UINT8>(i);
        EXPECT_EQ(HuffmanDecodeTable(table, true).Valid(), c.valid);
        EXPECT_EQ(HuffmanDecodeTable(table, false).Valid(), c.valid);
        const HuffmanEncodeTable encode(table);
        EXPECT_EQ(encode.Length(0) != 0, c.valid);
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, BlockCoderTest, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<SourceKind>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tessoly
