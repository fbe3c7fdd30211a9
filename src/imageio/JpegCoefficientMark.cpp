#include "imageio/JpegCoefficientMark.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "imageio/HeaderSanity.h"
#include "imageio/JpegBand.h"
#include "imageio/JpegEntropyScan.h"
#include "imageio/JpegLib.h"
#include "imageio/JpegOutputMarkers.h"
#include "imageio/OutputFormat.h"
#include "imageio/OutputWriter.h"
#include "imageio/SafeFileWrite.h"
#include "imageio/StoredOrientation.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

constexpr int kFreeImageJpeg = 2;
//! Largest density a JFIF header holds [dots per inch].
constexpr int kMaxJfifDensity = 65535;

std::string Ordinary(const std::string& why) {
    return "Written the ordinary way: " + why + ".";
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff size = file.tellg();
    if (size < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    return static_cast<bool>(
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)));
}

bool Resizes(const OutputSettings& settings) {
    if (!settings.resize)
        return false;
    if (!settings.proportional)
        return true;
    // Proportional with both or neither side "0" keeps the size.
    return (settings.widthText == "0") != (settings.heightText == "0");
}

int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ExifOrientationOfApp1(m->data, m->data_length);
    }
    return 1;
}

//! The colour refusal of a source read as coefficients, or "".
std::string ColourRefusal(const jpeg_decompress_struct& info, const std::string& colourMode) {
    if (info.data_precision != 8)
        return Ordinary("the source is not an 8-bit JPEG");
    if (info.jpeg_color_space == JCS_YCbCr && info.num_components == 3) {
        if (colourMode == "Greyscale")
            return Ordinary("the colour mode Greyscale changes the colours");
        return "";
    }
    if (info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1) {
        if (colourMode != "Greyscale")
            return Ordinary("a greyscale JPEG is kept as it is only with the colour mode Greyscale");
        return "";
    }
    return Ordinary("the source is neither a YCbCr colour nor a greyscale JPEG");
}

//! Whether libjpeg can encode with every component's quantisation table: it divides by each of
//! their values, and a file may hold a zero, which decoders take.
bool QuantisationTablesEncodable(const jpeg_decompress_struct& info) {
    for (int c = 0; c < info.num_components; ++c) {
        const int number = info.comp_info[c].quant_tbl_no;
        if (number < 0 || number >= NUM_QUANT_TBLS || info.quant_tbl_ptrs[number] == nullptr)
            return false;
        const UINT16* values = info.quant_tbl_ptrs[number]->quantval;
        if (std::find(values, values + DCTSIZE2, 0) != values + DCTSIZE2)
            return false;
    }
    return true;
}

//! The stored band [pixels, on the MCU grid] the mark's viewed box covers; empty for none.
TRect StoredBand(const CoefficientSource& source, const StoredOrientation& orientation, const TRect& viewedBounds) {
    if (viewedBounds.Width() <= 0 || viewedBounds.Height() <= 0)
        return {};
    return source.CellAligned(orientation.StoredRect(viewedBounds));
}

//! Marks the band of the source's coefficients.
void MarkBand(const CoefficientSource& source, const StoredOrientation& orientation, const TRect& band,
              ViewedMark& mark) {
    if (band.Width() <= 0 || band.Height() <= 0)
        return;
    TBitmap32 original;
    DecodeBand(source, band, original);
    TBitmap32 composed;
    composed.Assign(original);
    if (orientation.orientation == 1) {
        mark.Draw(composed, band.left, band.top);
    } else {
        TBitmap32 viewed;
        orientation.StoredToViewed(original, band, viewed);
        const TRect viewedBand = orientation.ViewedRect(band);
        mark.Draw(viewed, viewedBand.left, viewedBand.top);
        orientation.ViewedToStored(viewed, band, composed);
    }
    ReplaceChangedCells(source, band, original, composed);
}

//! Reads all of the source's coefficients with libjpeg; the refusal when it cannot, or "".
std::string ReadAllCoefficients(JpegDecompressor& in, CoefficientSource& source) {
    try {
        source.arrays = jpeg_read_coefficients(&in.info);
    } catch (const JpegError& error) {
        return Ordinary(std::string("libjpeg cannot read the source's coefficients (") + error.what() + ")");
    }
    if (in.error.num_warnings != 0)
        return Ordinary("libjpeg found damaged data in the source");
    return "";
}

//! The source's coefficients, as they now are, as a JPEG file with the kept markers.
std::vector<JOCTET> WriteCoefficients(const CoefficientSource& source, const OutputSettings& settings,
                                      std::size_t sizeHint) {
    JpegCompressor out;
    out.bytes.reserve(sizeHint);
    jpeg_copy_critical_parameters(source.info, &out.info);
    if (source.info->progressive_mode)
        jpeg_simple_progression(&out.info);
    out.info.restart_interval = source.info->restart_interval;
    // A source that names its colour transform in an Adobe marker keeps it, so readers that go
    // by that marker see the same colours.
    out.info.write_Adobe_marker = source.info->saw_Adobe_marker;
    const JfifHeader jfif = OutputJfifHeader(*source.info, settings);
    out.info.write_JFIF_header = jfif.write ? TRUE : FALSE;
    out.info.JFIF_major_version = jfif.majorVersion;
    out.info.JFIF_minor_version = jfif.minorVersion;
    out.info.density_unit = jfif.densityUnit;
    out.info.X_density = jfif.xDensity;
    out.info.Y_density = jfif.yDensity;
    out.ToMemory();
    jpeg_write_coefficients(&out.info, source.arrays);
    for (const SavedMarker& marker : KeptMarkers(*source.info, settings))
        jpeg_write_marker(&out.info, marker.code, marker.payload.data(), static_cast<unsigned>(marker.payload.size()));
    jpeg_finish_compress(&out.info);
    return std::move(out.bytes);
}

//! A source whose scan is copied as it is but for the MCU rows under the mark: the head of its
//! output and its scan, walked and holding those rows.
struct SplicedSource {
    std::vector<JOCTET> head;
    std::unique_ptr<EntropyScan> scan;
};

//! Opens the source's scan for splicing the band in; false when it cannot be (the whole
//! coefficients are read then).
bool OpenSpliced(const std::vector<unsigned char>& file, const jpeg_decompress_struct& info,
                 const OutputSettings& settings, const TRect& band, SplicedSource& spliced) {
    if (!QuantisationTablesEncodable(info))
        return false; // libjpeg names a missing table; a zero is refused after its reading
    spliced.scan = EntropyScan::Open(file.data(), file.size(), info);
    if (spliced.scan == nullptr)
        return false;
    spliced.head.reserve(file.size() + file.size() / 16);
    if (!AppendHeadForCopiedScan(file.data(), spliced.scan->ScanStart(), info, settings, spliced.head))
        return false;
    if (band.Width() <= 0 || band.Height() <= 0)
        return spliced.scan->Walk(0, 0, 0, 0);
    const int height = spliced.scan->McuRowHeight();
    const int width = spliced.scan->McuWidth();
    return spliced.scan->Walk(band.top / height, (band.bottom + height - 1) / height, band.left / width,
                              (band.right + width - 1) / width);
}

} // namespace

std::string InPlaceSettingsRefusal(const OutputSettings& settings) {
    if (settings.formatChoice != "Unchanged" &&
        SelectOutputFormat(TrimBlanks(settings.formatChoice), settings.jpegQuality).code != kFreeImageJpeg) {
        return Ordinary("the output format is not JPEG");
    }
    if (settings.rotation == kRotation90CW || settings.rotation == kRotation90CCW ||
        settings.rotation == kRotation180)
        return Ordinary("the output is rotated");
    if (Resizes(settings))
        return Ordinary("the output is resized");
    if (settings.colourMode == "Monochrome")
        return Ordinary("the colour mode Monochrome changes the colours");
    if (settings.resolutionChoice != "Src") {
        int dpi = -1;
        try {
            dpi = ParseWholeNumber(settings.resolutionChoice);
        } catch (const RenderError&) {
        }
        if (dpi < 0 || dpi > kMaxJfifDensity)
            return Ordinary("the resolution is not a density a JPEG can hold");
    }
    return "";
}

InPlaceOutcome MarkJpegInPlace(const std::string& sourcePath, const OutputSettings& settings, ViewedMark& mark,
                               WrittenOutputs* writtenThisRun, ScanRewrite rewrite) {
    InPlaceOutcome outcome;
    outcome.notApplied = InPlaceSettingsRefusal(settings);
    if (!outcome.notApplied.empty())
        return outcome;
    std::vector<unsigned char> file;
    if (!ReadWholeFile(sourcePath, file)) {
        outcome.notApplied = Ordinary("the source cannot be read");
        return outcome;
    }
    if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF) {
        outcome.notApplied = Ordinary("the source is not a JPEG file");
        return outcome;
    }
    // The checks the ordinary decode makes first: libjpeg would allocate whatever a header claims.
    // They stop at the first scan: what follows is checked on the way here, as the splice takes
    // only a scan that ends the image, and libjpeg reports damage anywhere when it reads it all.
    ByteReader header(file.data(), file.size());
    if (CheckSourceHeader(header, kFreeImageJpeg, HeaderScope::HeaderOnly) == HeaderCheck::Refused) {
        outcome.notApplied = Ordinary("the source is damaged or too large");
        return outcome;
    }

    JpegDecompressor in;
    CoefficientSource source{&in.info};
    StoredOrientation orientation;
    try {
        jpeg_mem_src(&in.info, file.data(), static_cast<unsigned long>(file.size()));
        SaveMarkersToKeep(in.info, settings);
        jpeg_read_header(&in.info, TRUE);
    } catch (const JpegError& error) {
        outcome.notApplied =
            Ordinary(std::string("libjpeg cannot read the source's coefficients (") + error.what() + ")");
        return outcome;
    }
    if (!PlausiblePictureSize(in.info.image_width, in.info.image_height)) {
        outcome.notApplied = Ordinary("the source is too large");
        return outcome;
    }
    outcome.notApplied = ColourRefusal(in.info, settings.colourMode);
    if (!outcome.notApplied.empty())
        return outcome;
    const int storedOrientation = OrientationOf(in.info);
    if (settings.applyExifOrientation && !settings.keepMetadata && storedOrientation != 1) {
        outcome.notApplied = Ordinary("the photo must be turned upright, and without its Exif data it cannot say so");
        return outcome;
    }
    // Without "Apply Exif orientation" the ordinary way marks the picture as stored; so does this.
    orientation.orientation = settings.applyExifOrientation ? storedOrientation : 1;
    orientation.storedWidth = static_cast<int>(in.info.image_width);
    orientation.storedHeight = static_cast<int>(in.info.image_height);
    const TRect band = StoredBand(source, orientation, mark.Place(orientation.ViewedWidth(), orientation.ViewedHeight()));

    // Copying the scan but for the band spares decoding and encoding the rest; sources it does
    // not take (progressive, arithmetic-coded, several scans) have all their coefficients read.
    SplicedSource spliced;
    if (rewrite != ScanRewrite::Splice || !OpenSpliced(file, in.info, settings, band, spliced))
        spliced.scan.reset();
    if (spliced.scan == nullptr) {
        outcome.notApplied = ReadAllCoefficients(in, source);
        if (!outcome.notApplied.empty())
            return outcome;
    }

    if (!QuantisationTablesEncodable(in.info)) {
        outcome.notApplied = Ordinary("a quantisation table of the source holds a zero");
        return outcome;
    }

    const std::string base = OutputBasePath(sourcePath, settings.outputFolder);
    const PolicyDecision decision = ApplyExistingFilePolicy(base, ".jpg", settings.existingFilePolicy);
    if (SkipsTarget(decision, writtenThisRun, outcome.output)) {
        outcome.handled = true;
        return outcome;
    }

    std::vector<JOCTET> written;
    try {
        if (spliced.scan != nullptr) {
            source.heldRows = &spliced.scan->Kept();
            MarkBand(source, orientation, band, mark);
            written = std::move(spliced.head);
            if (!spliced.scan->Write(written)) {
                // The file's Huffman tables have no code for some marked block: all of it is
                // written again with tables of libjpeg's.
                spliced.scan.reset();
                source.heldRows = nullptr;
                outcome.notApplied = ReadAllCoefficients(in, source);
                if (!outcome.notApplied.empty())
                    return outcome;
            }
        }
        if (spliced.scan == nullptr) {
            MarkBand(source, orientation, band, mark);
            // The output is about the source's size; reserving it spares the buffer's regrowth.
            written = WriteCoefficients(source, settings, file.size() + file.size() / 8);
        }
    } catch (const JpegError& error) {
        outcome.notApplied =
            Ordinary(std::string("libjpeg cannot re-encode the source (") + error.what() + ")");
        return outcome;
    }
    outcome.handled = true;
    outcome.output.targetPath = decision.targetPath;
    try {
        WriteFileSafely(decision.targetPath, written.data(), written.size());
        if (writtenThisRun != nullptr)
            writtenThisRun->Record(decision.targetPath);
    } catch (const RenderError& error) {
        outcome.output.OutputFailed = true;
        outcome.output.reason = error.what();
    }
    return outcome;
}

} // namespace tessoly
