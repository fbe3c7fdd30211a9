#include "imageio/JpegBand.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imageio/JpegEntropyScan.h"
#include "imageio/JpegLib.h"

namespace tessoly {

namespace {

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

//! The band's own blocks of component c: its size in blocks and where it starts in the source.
struct BandBlocks {
    int width = 0;
    int height = 0;
    int firstColumn = 0;
    int firstRow = 0;
};

BandBlocks BlocksOf(const CoefficientSource& source, const TRect& band, int c) {
    const jpeg_component_info& comp = source.info->comp_info[c];
    BandBlocks blocks;
    blocks.width = CeilDiv(band.Width() * comp.h_samp_factor, source.CellWidth());
    blocks.height = CeilDiv(band.Height() * comp.v_samp_factor, source.CellHeight());
    blocks.firstColumn = band.left / source.CellWidth() * comp.h_samp_factor;
    blocks.firstRow = band.top / source.CellHeight() * comp.v_samp_factor;
    return blocks;
}

//! The band's coefficients as a JPEG in memory, with the source's tables.
std::vector<JOCTET> BandAsJpeg(const CoefficientSource& source, const TRect& band) {
    JpegCompressor out;
    jpeg_copy_critical_parameters(source.info, &out.info);
    out.info.image_width = static_cast<JDIMENSION>(band.Width());
    out.info.image_height = static_cast<JDIMENSION>(band.Height());
    out.info.write_JFIF_header = FALSE;
    out.info.write_Adobe_marker = FALSE;
    j_common_ptr common = reinterpret_cast<j_common_ptr>(&out.info);
    jvirt_barray_ptr arrays[MAX_COMPONENTS] = {};
    std::vector<BandBlocks> blocks;
    for (int c = 0; c < source.info->num_components; ++c) {
        const jpeg_component_info& comp = source.info->comp_info[c];
        blocks.push_back(BlocksOf(source, band, c));
        arrays[c] = out.info.mem->request_virt_barray(
            common, JPOOL_IMAGE, TRUE,
            static_cast<JDIMENSION>(CeilDiv(blocks[c].width, comp.h_samp_factor) * comp.h_samp_factor),
            static_cast<JDIMENSION>(CeilDiv(blocks[c].height, comp.v_samp_factor) * comp.v_samp_factor),
            static_cast<JDIMENSION>(comp.v_samp_factor));
    }
    out.info.mem->realize_virt_arrays(common);
    for (int c = 0; c < source.info->num_components; ++c) {
        for (int row = 0; row < blocks[c].height; ++row) {
            const JBLOCKROW src = source.Blocks(c, blocks[c].firstRow + row, blocks[c].firstColumn, false);
            JBLOCKROW dst = CoefficientRow(common, arrays[c], static_cast<JDIMENSION>(row), true);
            std::memcpy(dst, src,
                        sizeof(JBLOCK) * static_cast<std::size_t>(blocks[c].width));
        }
    }
    out.ToMemory();
    jpeg_write_coefficients(&out.info, arrays);
    jpeg_finish_compress(&out.info);
    return std::move(out.bytes);
}

bool CellChanged(const TBitmap32& a, const TBitmap32& b, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
        if (std::memcmp(a.ScanLine(y) + x0, b.ScanLine(y) + x0,
                        sizeof(TColor32) * static_cast<std::size_t>(x1 - x0)) != 0)
            return true;
    }
    return false;
}

} // namespace

JBLOCKROW CoefficientSource::Blocks(int component, int blockRow, int blockColumn, bool writable) const {
    if (heldRows != nullptr)
        return heldRows->At(component, blockRow, blockColumn);
    return CoefficientRow(reinterpret_cast<j_common_ptr>(info), arrays[component], static_cast<JDIMENSION>(blockRow),
                          writable) +
           blockColumn;
}

TRect CoefficientSource::CellAligned(const TRect& rect) const {
    const int cw = CellWidth();
    const int ch = CellHeight();
    const int width = static_cast<int>(info->image_width);
    const int height = static_cast<int>(info->image_height);
    TRect cells;
    cells.left = std::clamp(rect.left, 0, width) / cw * cw;
    cells.top = std::clamp(rect.top, 0, height) / ch * ch;
    cells.right = std::min(CeilDiv(std::clamp(rect.right, 0, width), cw) * cw, width);
    cells.bottom = std::min(CeilDiv(std::clamp(rect.bottom, 0, height), ch) * ch, height);
    return cells;
}

void DecodeBand(const CoefficientSource& source, const TRect& band, TBitmap32& piece) {
    const std::vector<JOCTET> jpeg = BandAsJpeg(source, band);
    JpegDecompressor in;
    jpeg_mem_src(&in.info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&in.info, TRUE);
    // The band carries no JFIF or Adobe marker; its colour space is the source's, not a guess.
    in.info.jpeg_color_space = source.info->jpeg_color_space;
    in.info.out_color_space = JCS_EXT_BGRA;
    // The settings of the ordinary decode, so the band's pixels are the ones it would compose on.
    in.info.dct_method = JDCT_IFAST;
    in.info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&in.info);
    piece.SetSizeForOverwrite(band.Width(), band.Height());
    while (in.info.output_scanline < in.info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(piece.ScanLine(static_cast<int>(in.info.output_scanline)));
        jpeg_read_scanlines(&in.info, &row, 1);
    }
    jpeg_finish_decompress(&in.info);
}

int ReplaceChangedCells(const CoefficientSource& source, const TRect& band, const TBitmap32& original,
                        const TBitmap32& composed) {
    const int cw = source.CellWidth();
    const int ch = source.CellHeight();
    const int columns = CeilDiv(band.Width(), cw);
    const int rows = CeilDiv(band.Height(), ch);
    std::vector<char> changed(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    int count = 0;
    for (int cy = 0; cy < rows; ++cy) {
        for (int cx = 0; cx < columns; ++cx) {
            const bool hit =
                CellChanged(original, composed, cx * cw, cy * ch, std::min((cx + 1) * cw, band.Width()),
                            std::min((cy + 1) * ch, band.Height()));
            changed[static_cast<std::size_t>(cy) * columns + cx] = hit;
            count += hit;
        }
    }
    if (count == 0)
        return 0;

    JpegCompressor out;
    jpeg_copy_critical_parameters(source.info, &out.info);
    out.info.image_width = static_cast<JDIMENSION>(band.Width());
    out.info.image_height = static_cast<JDIMENSION>(band.Height());
    out.info.in_color_space = JCS_EXT_BGRA;
    out.info.input_components = 4;
    out.info.dct_method = JDCT_ISLOW;
    out.info.write_JFIF_header = FALSE;
    out.info.write_Adobe_marker = FALSE;
    out.ToMemory();
    jpeg_start_compress(&out.info, TRUE);
    while (out.info.next_scanline < out.info.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            const_cast<TColor32*>(composed.ScanLine(static_cast<int>(out.info.next_scanline))));
        jpeg_write_scanlines(&out.info, &row, 1);
    }
    jpeg_finish_compress(&out.info);

    JpegDecompressor in;
    jpeg_mem_src(&in.info, out.bytes.data(), static_cast<unsigned long>(out.bytes.size()));
    jpeg_read_header(&in.info, TRUE);
    jvirt_barray_ptr* encoded = jpeg_read_coefficients(&in.info);
    j_common_ptr from = reinterpret_cast<j_common_ptr>(&in.info);
    for (int c = 0; c < source.info->num_components; ++c) {
        const jpeg_component_info& comp = source.info->comp_info[c];
        const BandBlocks blocks = BlocksOf(source, band, c);
        for (int row = 0; row < blocks.height; ++row) {
            const int cy = row / comp.v_samp_factor;
            const JBLOCKROW src = CoefficientRow(from, encoded[c], static_cast<JDIMENSION>(row), false);
            JBLOCKROW dst = source.Blocks(c, blocks.firstRow + row, blocks.firstColumn, true);
            for (int column = 0; column < blocks.width; ++column) {
                if (changed[static_cast<std::size_t>(cy) * columns + column / comp.h_samp_factor])
                    std::memcpy(dst[column], src[column], sizeof(JBLOCK));
            }
        }
    }
    jpeg_finish_decompress(&in.info);
    return count;
}

} // namespace tessoly
