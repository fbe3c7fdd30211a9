#pragma once
// OutputSettings: the values of the output controls as the controls hold them (texts stay texts,
// so a typed "png" or a resolution of letters reaches the output stage unchanged).

#include <string>

#include "imageio/OutputNaming.h"

namespace tessoly {

//! Texts of the rotation list.
inline constexpr const char* kRotationNone = "None";
inline constexpr const char* kRotation90CW = "90\u00B0 CW";
inline constexpr const char* kRotation90CCW = "90\u00B0 CCW";
inline constexpr const char* kRotation180 = "180\u00B0";

//! Texts of the JPEG chroma subsampling list.
inline constexpr const char* kSubsampling420 = "4:2:0";
inline constexpr const char* kSubsampling422 = "4:2:2";
inline constexpr const char* kSubsampling444 = "4:4:4";

struct OutputSettings {
    //! "Unchanged", "BMP", "GIF", "JPEG", "JPEG-2000", "PNG", "TIFF", "TGA", "WebP", "AVIF" or
    //! typed text.
    std::string formatChoice = "Unchanged";
    //! "Src" or a whole number of dots per inch, as typed.
    std::string resolutionChoice = "Src";
    //! "RGB", "Greyscale" or "Monochrome".
    std::string colourMode = "RGB";
    //! 1..100; also gives the JPEG-2000 compression rate and the WebP and AVIF quality.
    int jpegQuality = 80;
    //! JPEG chroma subsampling: kSubsampling420, kSubsampling422 (half the colour across) or
    //! kSubsampling444 (full colour, for sharp coloured text); any other text is 4:2:0.
    std::string jpegSubsampling = kSubsampling420;
    //! Write JPEG progressive (coarse scans first).
    bool jpegProgressive = false;
    //! Write WebP without loss; the quality is then not used.
    bool webpLossless = false;
    //! Copy Exif, XMP, IPTC and the resolution of the source (its colour profile goes in either way).
    bool keepMetadata = true;
    //! Turn and mirror each source upright by its Exif orientation right after decoding.
    bool applyExifOrientation = true;
    //! kRotationNone, kRotation90CW, kRotation90CCW or kRotation180.
    std::string rotation = kRotationNone;
    bool resize = false;
    //! Text of the width field [pixels], read as a whole number where it is used.
    std::string widthText = "800";
    //! Text of the height field [pixels].
    std::string heightText = "0";
    bool proportional = true;
    //! Empty: next to the source.
    std::string outputFolder;
    ExistingFilePolicy existingFilePolicy = ExistingFilePolicy::Skip;
    //! Mark a JPEG source in place where the settings keep its pixels as they are: only the
    //! blocks under the mark are encoded again, with the source's own tables (jpegQuality unused).
    bool losslessJpeg = false;
};

} // namespace tessoly
