#include "imageio/OutputCapabilities.h"

#include <FreeImage.h>

#include "imageio/OutputFormat.h"

namespace tessoly {

namespace {

// PNG holds Exif in an eXIf chunk and IPTC in a "Raw profile type iptc" text chunk, both added
// by the output stage (the library's writer has neither; see EncodedFinish.h). TIFF's IPTC and
// Exif directories are written by the output stage too (see TiffMetadata.h). GIF, BMP and
// JPEG-2000 keep nothing but their pixels.
constexpr FormatCapabilities kRows[] = {
    //  code       exif   xmp    iptc   icc    alpha
    {FIF_JPEG, true, true, true, true, false},
    {FIF_PNG, true, true, true, true, true},
    {FIF_TIFF, true, true, true, true, true},
    {FIF_TARGA, false, false, false, false, true},
    {FIF_BMP, false, false, false, false, false},
    {FIF_GIF, false, false, false, false, false},
    {FIF_JP2, false, false, false, false, false},
};

constexpr FormatCapabilities kNothing{};

} // namespace

const FormatCapabilities& CapabilitiesOf(int formatCode) {
    for (const FormatCapabilities& row : kRows) {
        if (row.code == formatCode)
            return row;
    }
    return kNothing;
}

bool OutputHoldsAlpha(const OutputSettings& settings, int sourceFormat) {
    const OutputFormat format =
        SelectOutputFormat(FormatNameForChoice(settings.formatChoice, sourceFormat), settings.jpegQuality);
    return CapabilitiesOf(format.code).alpha;
}

} // namespace tessoly
