#pragma once
// The conversion half of the output stage: the composed picture becomes a library image, then
// metadata, resolution, colour mode, rotation, resizing, the reduction to 24 bits and the
// format's own step are applied in this fixed order.
//
// A source with transparent pixels keeps the composed alpha where the format holds alpha (the
// reduction is then to 32 bits); the metadata of the result is fitted to its format last
// (OutputMetadata.h).
//
// Invariants: every step hands its metadata and resolution on to the image it makes, so what the
// metadata and resolution steps set reaches the file; a step that yields no image (a resize to
// a 0 side) leaves `image` null with `lostReason` set, and later steps do nothing, so the policy
// step still runs before the failure is reported.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    //! 24-bit (32-bit with alpha kept, 8-bit palette for GIF) image, or null when a step lost it.
    FreeImagePtr image;
    //! Format row chosen by the format choice.
    OutputFormat format;
    //! Why image is null.
    std::string lostReason;
    //! The source's Exif as a TIFF-shaped block, brought up to date for this output, for a
    //! writer that cannot store it itself (see FinishEncodedFile); empty when none goes in.
    std::vector<std::uint8_t> exifBlock;
    //! The source's IPTC as IPTC-IIM records, for the same purpose; empty when none goes in.
    std::vector<std::uint8_t> iptcRecords;
};

//! What the output stage knows of the source beyond its library image.
struct SourceTraits {
    //! Some pixel of the decoded source is not fully opaque.
    bool hasTransparency = false;
    //! The pixels were turned upright from the source's Exif orientation.
    bool orientationApplied = false;
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

//! The size [pixels] the resize step gives an image of width x height as it reaches that step
//! (after the rotation); false when the step leaves the size. Sides may come out 0 or negative,
//! which the step refuses. Throws RenderError for a width or height text that is not a number.
bool ResizedSize(int width, int height, const OutputSettings& settings, int& outWidth, int& outHeight);

//! source resized (bicubic, as the resize step does) to the size the output will have before its
//! rotation, into resized; for composing a mark measured on the image as written. false, and
//! resized untouched, when the output is not resized or its size is one the output stage refuses.
bool ResizedSourceForOutput(const TBitmap32& source, const OutputSettings& settings, TBitmap32& resized);

//! Runs the conversion steps. sourceImage may be null (nothing to copy metadata from). Throws
//! RenderError for a resolution, width or height text that is not a whole number, or a negative
//! or impossibly large resolution. intermediateBits 32 is the reference route of the steps (a
//! source with transparency written in a format that holds alpha always takes it, and keeps
//! its alpha to the end).
ConvertedOutput ConvertForOutput(const TBitmap32& composed, FIBITMAP* sourceImage, int sourceFormat,
                                 const OutputSettings& settings, int intermediateBits = 24,
                                 const SourceTraits& traits = {});

} // namespace tessoly
