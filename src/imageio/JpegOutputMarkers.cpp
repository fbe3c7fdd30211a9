#include "imageio/JpegOutputMarkers.h"

#include <cstring>

#include "imageio/ExifThumbnail.h"
#include "imageio/OutputFormat.h"

namespace tessoly {

namespace {

//! The markers of the metadata rules: Exif and XMP (APP1), ICC (APP2), IPTC (APP13), comments.
constexpr int kKeptMarkers[] = {JPEG_APP0 + 1, JPEG_APP0 + 2, JPEG_APP0 + 13, JPEG_COM};
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
//! What a copied head may hold besides application markers and comments: quantisation and
//! Huffman tables, the restart interval, and a baseline or extended sequential frame.
constexpr std::uint8_t kCopiedSegments[] = {0xDB, 0xC4, 0xDD, 0xC0, 0xC1, kStartOfScan};

bool IsProfile(const jpeg_marker_struct& m) {
    return m.marker == JPEG_APP0 + 2 && m.data_length >= 12 && std::memcmp(m.data, "ICC_PROFILE", 12) == 0;
}

void AppendSegment(std::vector<std::uint8_t>& out, int code, const std::uint8_t* payload, std::size_t length) {
    const std::size_t total = length + 2;
    const std::uint8_t head[4] = {0xFF, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(total >> 8),
                                  static_cast<std::uint8_t>(total & 0xFF)};
    out.insert(out.end(), head, head + 4);
    out.insert(out.end(), payload, payload + length);
}

} // namespace

void SaveMarkersToKeep(jpeg_decompress_struct& info, const OutputSettings& settings) {
    // APP1 always: its Exif orientation decides where the mark goes; APP2 always: the colour
    // profile is kept whether or not the other metadata is.
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    if (settings.keepMetadata) {
        for (const int marker : kKeptMarkers)
            jpeg_save_markers(&info, marker, 0xFFFF);
    }
}

JfifHeader OutputJfifHeader(const jpeg_decompress_struct& source, const OutputSettings& settings) {
    JfifHeader header;
    if (source.saw_JFIF_marker) {
        if (source.JFIF_major_version == 1 || source.JFIF_major_version == 2) {
            header.majorVersion = source.JFIF_major_version;
            header.minorVersion = source.JFIF_minor_version;
        }
        header.densityUnit = source.density_unit;
        header.xDensity = source.X_density;
        header.yDensity = source.Y_density;
    }
    if (settings.resolutionChoice == "Src" && settings.keepMetadata) {
        header.write = source.saw_JFIF_marker;
        return header;
    }
    header.write = true;
    const int dpi = settings.resolutionChoice == "Src" ? 0 : ParseWholeNumber(settings.resolutionChoice);
    if (dpi <= 0) {
        // No resolution: the header gives only the pixels' aspect ratio.
        header.densityUnit = 0;
        header.xDensity = 1;
        header.yDensity = 1;
        return header;
    }
    header.densityUnit = 1;
    header.xDensity = static_cast<UINT16>(dpi);
    header.yDensity = static_cast<UINT16>(dpi);
    return header;
}

std::vector<SavedMarker> KeptMarkers(const jpeg_decompress_struct& source, const OutputSettings& settings) {
    std::vector<SavedMarker> kept;
    for (jpeg_saved_marker_ptr m = source.marker_list; m != nullptr; m = m->next) {
        if (!settings.keepMetadata && !IsProfile(*m))
            continue;
        SavedMarker marker{m->marker, std::vector<std::uint8_t>(m->data, m->data + m->data_length)};
        if (marker.code == JPEG_APP0 + 1)
            DropExifThumbnail(marker.payload);
        kept.push_back(std::move(marker));
    }
    return kept;
}

bool AppendHeadForCopiedScan(const std::uint8_t* file, std::size_t scanStart, const jpeg_decompress_struct& source,
                             const OutputSettings& settings, std::vector<std::uint8_t>& out) {
    out.push_back(0xFF);
    out.push_back(kStartOfImage);
    const JfifHeader jfif = OutputJfifHeader(source, settings);
    if (jfif.write) {
        const std::uint8_t app0[] = {'J', 'F', 'I', 'F', 0, jfif.majorVersion, jfif.minorVersion, jfif.densityUnit,
                                     static_cast<std::uint8_t>(jfif.xDensity >> 8),
                                     static_cast<std::uint8_t>(jfif.xDensity & 0xFF),
                                     static_cast<std::uint8_t>(jfif.yDensity >> 8),
                                     static_cast<std::uint8_t>(jfif.yDensity & 0xFF), 0, 0};
        AppendSegment(out, JPEG_APP0, app0, sizeof app0);
    }
    if (source.saw_Adobe_marker) {
        // A source that names its colour transform in an Adobe marker keeps it, so readers that go
        // by that marker see the same colours.
        const std::uint8_t transform = source.jpeg_color_space == JCS_YCbCr ? 1 : 0;
        const std::uint8_t app14[] = {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, transform};
        AppendSegment(out, JPEG_APP0 + 14, app14, sizeof app14);
    }
    for (const SavedMarker& marker : KeptMarkers(source, settings))
        AppendSegment(out, marker.code, marker.payload.data(), marker.payload.size());

    std::size_t at = 2;
    while (at < scanStart) {
        if (file[at] != 0xFF)
            return false;
        while (at < scanStart && file[at] == 0xFF)
            ++at; // fill bytes
        if (at + 3 > scanStart)
            return false;
        const std::uint8_t code = file[at];
        const std::size_t end = at + 1 + ((std::size_t{file[at + 1]} << 8) | file[at + 2]);
        if (end > scanStart)
            return false;
        const bool application = (code >= JPEG_APP0 && code <= JPEG_APP0 + 15) || code == JPEG_COM;
        if (!application) {
            if (std::memchr(kCopiedSegments, code, sizeof kCopiedSegments) == nullptr)
                return false;
            out.push_back(0xFF);
            out.insert(out.end(), file + at, file + end);
        }
        at = end;
        if (code == kStartOfScan)
            return at == scanStart;
    }
    return false;
}

} // namespace tessoly
