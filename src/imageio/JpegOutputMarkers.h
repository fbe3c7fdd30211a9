#pragma once
// The markers of a JPEG marked in place: which of the source's it keeps, its JFIF header, and the
// head of a file whose entropy-coded data is the source's own (copied with its tables). Both ways
// of marking in place write the same markers.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "imageio/OutputWriter.h"

namespace tessoly {

//! The markers to save when reading a source to be marked in place.
void SaveMarkersToKeep(jpeg_decompress_struct& info, const OutputSettings& settings);

struct JfifHeader {
    bool write = false;
    UINT8 majorVersion = 1;
    UINT8 minorVersion = 1;
    UINT8 densityUnit = 0;
    UINT16 xDensity = 1;
    UINT16 yDensity = 1;
};

//! The output's JFIF header: the source's when the resolution is kept with the metadata, else
//! one with the chosen density (or only the pixels' aspect ratio).
JfifHeader OutputJfifHeader(const jpeg_decompress_struct& source, const OutputSettings& settings);

struct SavedMarker {
    int code = 0;
    std::vector<std::uint8_t> payload;
};

//! The source's saved markers the output keeps, in the source's order: the colour profile
//! always, the rest with the metadata, and Exif without its thumbnail (it would show the picture
//! unmarked).
std::vector<SavedMarker> KeptMarkers(const jpeg_decompress_struct& source, const OutputSettings& settings);

//! Appends to out the head of an output whose scan is the source's own: SOI, the JFIF and Adobe
//! markers and the kept markers as libjpeg writes them, then the source's tables, frame and scan
//! headers as they are, up to scanStart. False when the source's header holds a marker that
//! cannot simply be copied.
bool AppendHeadForCopiedScan(const std::uint8_t* file, std::size_t scanStart, const jpeg_decompress_struct& source,
                             const OutputSettings& settings, std::vector<std::uint8_t>& out);

} // namespace tessoly
