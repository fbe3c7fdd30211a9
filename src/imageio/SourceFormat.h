#pragma once
// What a source file is, from its content alone, and the one place that turns it into a library
// image. FreeImage codes (FREE_IMAGE_FORMAT) name what FreeImage reads; the HEIF family, which
// libheif reads, gets codes of our own above every FreeImage code. Everything downstream of the
// decode sees a FIBITMAP with its metadata attached and never asks which library made it.

#include <string>

struct FIBITMAP;

namespace tessoly {

//! HEIF with HEVC coding (.heic, .heif), read through libheif.
inline constexpr int kFormatHeif = 4096;
//! AVIF (HEIF with AV1 coding), read and written through libheif.
inline constexpr int kFormatAvif = 4097;

//! Is formatCode one of the HEIF family codes above?
inline bool IsHeifFamily(int formatCode) {
    return formatCode == kFormatHeif || formatCode == kFormatAvif;
}

//! The format of the file at path by its content: kFormatHeif / kFormatAvif from the ISO-BMFF
//! brand, otherwise FreeImage's detection; -1 (FIF_UNKNOWN) when nothing recognises it.
int DetectSourceFormat(const std::string& path);

//! How the decoder handed the picture over.
struct SourceLoadInfo {
    //! Exif orientation as stored in the file (1..8); 1 when it has none.
    int storedOrientation = 1;
    //! The decoder already turned the picture upright (HEIF applies its own transforms), so the
    //! Exif orientation must not be applied again.
    bool orientationApplied = false;
};

//! Decodes the file at path, detected as formatCode, into a new library image with its metadata
//! (ICC profile, Exif, XMP) attached, or null. The caller has checked the header first.
FIBITMAP* LoadSourceBitmap(int formatCode, const std::string& path, SourceLoadInfo& info);

} // namespace tessoly
