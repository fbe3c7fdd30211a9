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

struct OutputSettings {
    //! "Unchanged", "BMP", "GIF", "JPEG", "JPEG-2000", "PNG", "TIFF", "TGA" or typed text.
    std::string formatChoice = "Unchanged";
    //! "Src" or a whole number of dots per inch, as typed.
    std::string resolutionChoice = "Src";
    //! "RGB", "Greyscale" or "Monochrome".
    std::string colourMode = "RGB";
    //! 1..100; also gives the JPEG-2000 compression rate.
    int jpegQuality = 80;
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
};

} // namespace tessoly
