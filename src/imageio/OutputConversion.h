#pragma once
// The conversion half of the output stage: the composed picture becomes a library image, then
// metadata, resolution, colour mode, rotation, resizing, the reduction to 24 bits and the
// format's own step are applied in this fixed order. A greyscale source written in colour mode
// "RGB" to a format that holds 8-bit grey becomes one channel again when the mark added no colour.
//
// Invariants: every step hands its metadata and resolution on to the image it makes, so what the
// metadata and resolution steps set reaches the file; a step that yields no image (a resize to
// a 0 side) leaves `image` null with `lostReason` set, and later steps do nothing, so the policy
// step still runs before the failure is reported.

#include <memory>
#include <string>

#include "imageio/FreeImageHandle.h"
#include "imageio/OutputFormat.h"
#include "imageio/OutputSettings.h"
#include "render/Bitmap32.h"

namespace tessoly {

//! The image ready for the encoder, or the reason it was lost.
struct ConvertedOutput {
    //! Pixels of the intermediate image, which the library image wraps without owning them;
    //! declared first so that it outlives image.
    std::unique_ptr<unsigned char[]> intermediatePixels;
    //! 24-bit (8-bit palette for GIF) image, or null when a step lost it.
    FreeImagePtr image;
    //! Format row chosen by the format choice.
    OutputFormat format;
    //! Why image is null.
    std::string lostReason;
};

//! A library image of the composed pixels at 0 dots per metre, wrapping out.intermediatePixels
//! (which it fills, rows bottom-up as the library keeps them), into out.image. bitsPerPixel 32
//! keeps the alpha channel; 24 drops it at once, which gives the same output because every later
//! step treats the colour channels alone and the reduction to 24 bits drops alpha anyway. Leaves
//! out.image null when the memory cannot be had.
void MakeIntermediateImage(const TBitmap32& composed, int bitsPerPixel, ConvertedOutput& out);

//! Writes width pixels of src as 3-byte blue, green, red pixels to dst (alpha dropped), with the
//! processor's vector instructions when allowVector and available. Exposed for its test.
void PackRowTo24Bits(const TColor32* src, unsigned char* dst, int width, bool allowVector = true);

//! Runs the conversion steps. sourceImage may be null (nothing to copy metadata from). Throws
//! RenderError for a resolution, width or height text that is not a whole number, or a negative
//! or impossibly large resolution. intermediateBits 32 is the reference route of the steps.
ConvertedOutput ConvertForOutput(const TBitmap32& composed, FIBITMAP* sourceImage, int sourceFormat,
                                 const OutputSettings& settings, int intermediateBits = 24);

//! The steps for a 16-bit picture that stays deep (colour mode "RGB", written as PNG or TIFF):
//! metadata, resolution, rotation and resizing on deep itself, no reduction to 24 bits.
ConvertedOutput ConvertDeepForOutput(FreeImagePtr deep, FIBITMAP* sourceImage, int sourceFormat,
                                     const OutputSettings& settings);

} // namespace tessoly
