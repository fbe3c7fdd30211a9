#pragma once
// JPEG sources of every kind written with libjpeg, and their coefficients read back, for the
// tests of marking in place.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imageio/JpegLib.h"

namespace tessoly::test {

struct SourceKind {
    const char* name;
    int width;
    int height;
    //! Luma sampling factors; chroma is 1 x 1. Ignored for greyscale.
    int h = 2;
    int v = 2;
    bool grey = false;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    int quality = 85;
    int orientation = 1;
    //! Write an APP2 colour-profile marker (its payload is not a real profile).
    bool profile = false;
    //! A restart marker every this many MCUs (restartRows wins when set).
    int restartInterval = 0;
    //! Huffman tables made for this picture: they lack the codes it does not use.
    bool optimize = false;
    bool adobe = false;
    //! JFIF density [dots per inch]; 0 for the aspect ratio only.
    int densityDpi = 0;
    //! Noise instead of gradients: large coefficients all over, long codes, blocks without an end.
    bool noise = false;
};

//! For test names and failure messages.
inline void PrintTo(const SourceKind& kind, std::ostream* out) {
    *out << kind.name;
}

//! Smooth gradients with a fine texture, so that blocks carry AC coefficients.
inline std::uint8_t Sample(int x, int y, int channel) {
    const int texture = ((x * 7 + y * 13 + channel * 5) % 11) * 3;
    return static_cast<std::uint8_t>((x * (channel + 1) + y * (3 - channel) + texture) & 0xFF);
}

//! Big-endian Exif: IFD0 with the orientation, linked to IFD1 with an 8-byte "thumbnail".
inline std::uint8_t Noise(int x, int y, int channel) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(channel) * 83492791u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<std::uint8_t>(h);
}

inline std::vector<std::uint8_t> ExifWithOrientation(int orientation) {
    return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
            // IFD0 at 8: one entry, then the link to IFD1 at 26.
            0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 26,
            // IFD1 at 26: thumbnail offset 56 and length 8, no further link.
            0, 2, 0x02, 0x01, 0, 4, 0, 0, 0, 1, 0, 0, 0, 56, 0x02, 0x02, 0, 4, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0,
            0, 0, 0xFF, 0xD8, 0xAA, 0xAA, 0xAA, 0xAA, 0xFF, 0xD9};
}

inline std::vector<std::uint8_t> EncodeSource(const SourceKind& kind) {
    JpegCompressor out;
    out.info.image_width = static_cast<JDIMENSION>(kind.width);
    out.info.image_height = static_cast<JDIMENSION>(kind.height);
    out.info.input_components = kind.grey ? 1 : 3;
    out.info.in_color_space = kind.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&out.info);
    jpeg_set_quality(&out.info, kind.quality, TRUE);
    if (!kind.grey) {
        out.info.comp_info[0].h_samp_factor = kind.h;
        out.info.comp_info[0].v_samp_factor = kind.v;
    }
    if (kind.progressive)
        jpeg_simple_progression(&out.info);
    out.info.arith_code = kind.arithmetic ? TRUE : FALSE;
    out.info.restart_in_rows = kind.restartRows;
    out.info.restart_interval = static_cast<unsigned>(kind.restartInterval);
    out.info.optimize_coding = kind.optimize ? TRUE : FALSE;
    out.info.write_Adobe_marker = kind.adobe ? TRUE : FALSE;
    if (kind.densityDpi > 0) {
        out.info.density_unit = 1;
        out.info.X_density = static_cast<UINT16>(kind.densityDpi);
        out.info.Y_density = static_cast<UINT16>(kind.densityDpi);
    }
    out.ToMemory();
    jpeg_start_compress(&out.info, TRUE);
    if (kind.orientation != 1) {
        const std::vector<std::uint8_t> exif = ExifWithOrientation(kind.orientation);
        jpeg_write_marker(&out.info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
    if (kind.profile) {
        const std::uint8_t icc[] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, 1, 1, 0xAB, 0xCD};
        jpeg_write_marker(&out.info, JPEG_APP0 + 2, icc, sizeof icc);
    }
    std::vector<JSAMPLE> row(static_cast<std::size_t>(kind.width) * 3);
    while (out.info.next_scanline < out.info.image_height) {
        const int y = static_cast<int>(out.info.next_scanline);
        for (int x = 0; x < kind.width; ++x) {
            for (int c = 0; c < out.info.input_components; ++c)
                row[static_cast<std::size_t>(x * out.info.input_components + c)] =
                    kind.noise ? Noise(x, y, c) : Sample(x, y, c);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&out.info, rows, 1);
    }
    jpeg_finish_compress(&out.info);
    return {out.bytes.begin(), out.bytes.end()};
}

inline void WriteSource(const std::string& path, const SourceKind& kind) {
    const std::vector<std::uint8_t> bytes = EncodeSource(kind);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

//! The coefficient blocks of a file, component by component, row by row.
struct Coefficients {
    int cellWidth = 0;
    int cellHeight = 0;
    struct Component {
        int h = 1, v = 1, columns = 0, rows = 0;
        //! DCTSIZE2 coefficients per block.
        std::vector<JCOEF> blocks;
    };
    std::vector<Component> components;
    bool progressive = false;
    //! The warnings (damaged data) libjpeg gave reading them.
    long warnings = 0;
};

//! Throws JpegError when libjpeg cannot read the file.
inline Coefficients ReadCoefficients(const std::vector<std::uint8_t>& bytes) {
    JpegDecompressor in;
    jpeg_mem_src(&in.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&in.info, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&in.info);
    Coefficients out;
    out.cellWidth = 8 * in.info.max_h_samp_factor;
    out.cellHeight = 8 * in.info.max_v_samp_factor;
    out.progressive = in.info.progressive_mode;
    for (int c = 0; c < in.info.num_components; ++c) {
        const jpeg_component_info& comp = in.info.comp_info[c];
        Coefficients::Component component;
        component.h = comp.h_samp_factor;
        component.v = comp.v_samp_factor;
        component.columns = static_cast<int>(comp.width_in_blocks);
        component.rows = static_cast<int>(comp.height_in_blocks);
        for (int r = 0; r < component.rows; ++r) {
            const JBLOCKROW row = CoefficientRow(reinterpret_cast<j_common_ptr>(&in.info), arrays[c],
                                                 static_cast<JDIMENSION>(r), false);
            const JCOEF* first = row[0];
            component.blocks.insert(component.blocks.end(), first, first + DCTSIZE2 * component.columns);
        }
        out.components.push_back(std::move(component));
    }
    jpeg_finish_decompress(&in.info);
    out.warnings = in.error.num_warnings;
    return out;
}

inline Coefficients ReadCoefficients(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ReadCoefficients(bytes);
}

} // namespace tessoly::test
