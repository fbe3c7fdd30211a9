#include "imageio/SourceFacts.h"

#include <FreeImage.h>

#include "imageio/ByteReader.h"
#include "imageio/ExifOrientation.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/HeaderSanity.h"
#include "imageio/HeifCodec.h"
#include "imageio/SourceFormat.h"

namespace tessoly {

namespace {

//! Loads path with flags after the header check of scope; the facts of what loaded.
SourceFacts LoadFacts(const std::string& path, FREE_IMAGE_FORMAT format, HeaderScope scope, int flags,
                      bool applyExifOrientation) {
    SourceFacts facts;
    facts.format = format;
    // The header is checked before FreeImage reads it: a hostile file must neither corrupt the
    // library's heap nor make the job allocate gigabytes just to learn a size. A refused file
    // reads as a failed load.
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format) ||
        !SourceHeaderIsPlausible(path, format, scope)) {
        return facts;
    }
    const FreeImagePtr image(FreeImage_Load(format, path.c_str(), flags));
    if (!image)
        return facts;
    // A header-only image carries the Exif block too, so both loads see the same orientation.
    ViewedSize(image.get(), applyExifOrientation, facts.width, facts.height);
    facts.dotsPerMetreX = FreeImage_GetDotsPerMeterX(image.get());
    facts.dotsPerMetreY = FreeImage_GetDotsPerMeterY(image.get());
    return facts;
}

//! GIF and JPEG-2000 facts from the header checks' reader (the first frame's image descriptor, the
//! code stream's SIZ segment), as the decoder sizes its image; the library reads no resolution
//! and no Exif block from these files. False when the reader does not say.
bool ReaderFacts(const std::string& path, FREE_IMAGE_FORMAT format, SourceFacts& facts) {
    ByteReader reader(path);
    HeaderPictureSize size;
    const HeaderCheck check = CheckSourceHeader(reader, format, HeaderScope::WholeFile, &size);
    if (check == HeaderCheck::NotChecked)
        return false;
    facts.format = format;
    if (check == HeaderCheck::Plausible) {
        facts.width = static_cast<unsigned>(size.width);
        facts.height = static_cast<unsigned>(size.height);
        // The decoder's image keeps the resolution every new library image starts with.
        static const unsigned kDefaultDotsPerMetre = [] {
            const FreeImagePtr blank(FreeImage_Allocate(1, 1, 24));
            return blank ? FreeImage_GetDotsPerMeterX(blank.get()) : 0u;
        }();
        facts.dotsPerMetreX = kDefaultDotsPerMetre;
        facts.dotsPerMetreY = kDefaultDotsPerMetre;
    }
    return true;
}

//! HEIF and AVIF facts: libheif states the shown size from the boxes alone (its rotation applied,
//! as the decoder applies it); the file declares no resolution.
SourceFacts HeifFacts(const std::string& path, int format) {
    SourceFacts facts;
    facts.format = format;
    if (SourceHeaderIsPlausible(path, format) && !ReadHeifSize(path, facts.width, facts.height)) {
        facts.width = 0;
        facts.height = 0;
    }
    return facts;
}

} // namespace

SourceFacts ReadSourceFacts(const std::string& path, bool applyExifOrientation) {
    const int detected = DetectSourceFormat(path);
    if (IsHeifFamily(detected))
        return HeifFacts(path, detected);
    const FREE_IMAGE_FORMAT format = static_cast<FREE_IMAGE_FORMAT>(detected);
    if (format != FIF_UNKNOWN && FreeImage_FIFSupportsNoPixels(format))
        return LoadFacts(path, format, HeaderScope::HeaderOnly, FIF_LOAD_NOPIXELS, applyExifOrientation);
    SourceFacts facts;
    if ((format == FIF_GIF || format == FIF_JP2 || format == FIF_J2K) && ReaderFacts(path, format, facts))
        return facts;
    return LoadFacts(path, format, HeaderScope::WholeFile, 0, applyExifOrientation);
}

SourceFacts DecodeSourceFacts(const std::string& path, bool applyExifOrientation) {
    const int detected = DetectSourceFormat(path);
    if (IsHeifFamily(detected))
        return HeifFacts(path, detected);
    return LoadFacts(path, static_cast<FREE_IMAGE_FORMAT>(detected), HeaderScope::WholeFile, 0, applyExifOrientation);
}

} // namespace tessoly
