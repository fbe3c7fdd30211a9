#pragma once
// Marking a JPEG in place: the source's coefficients are read, only the MCUs the watermark
// changes are decoded, marked and encoded again with the source's own quantisation tables and
// sampling factors, and every other block is written back bit for bit. The JPEG quality setting
// does not apply. The stored pixels keep their orientation and its Exif tag; the mark is drawn
// into the picture as a viewer shows it (turned and mirrored into stored coordinates).
//
// It applies to a JPEG source written as JPEG with no resizing, no rotation, the colours kept
// ("RGB" for a colour source, "Greyscale" for a greyscale one) and at most a new density. When it
// does not apply the caller writes the item the ordinary way; the outcome says why.

#include <string>

#include "imageio/OutputWriter.h"
#include "render/Bitmap32.h"

namespace tessoly {

//! What marking in place needs of the watermark, in coordinates of the picture as viewed.
class ViewedMark {
public:
    virtual ~ViewedMark() = default;
    //! Places the mark on a viewed picture of width x height and gives the box it may change
    //! (clipped to the picture; empty when it draws nothing). May throw RenderError.
    virtual TRect Place(int width, int height) = 0;
    //! Draws the placed mark onto piece, whose top-left pixel is (originX, originY) of the picture.
    virtual void Draw(TBitmap32& piece, int originX, int originY) = 0;
};

struct InPlaceOutcome {
    //! The item was dealt with here (written, skipped or failed at the output); when false nothing
    //! was written and the caller goes the ordinary way.
    bool handled = false;
    //! When not handled: why, in the user's words.
    std::string notApplied;
    //! When handled: the output's outcome.
    OutputOutcome output;
};

//! Why settings rule marking in place out whatever the source ("" when they allow it).
std::string InPlaceSettingsRefusal(const OutputSettings& settings);

//! How the entropy-coded data is written again. Splice copies the source's scan bit for bit but
//! for the MCU rows the mark touches, which are re-encoded with the file's own Huffman tables;
//! where it cannot (progressive or arithmetic-coded sources, several scans, tables lacking a code
//! the mark needs) it does as Whole, which reads all the coefficients with libjpeg and writes
//! them again with libjpeg's tables.
enum class ScanRewrite { Splice, Whole };

//! Marks sourcePath in place under settings (its output folder, existing-file policy, metadata,
//! orientation and resolution choices) when that applies. With writtenThisRun, a target the run
//! wrote already is skipped and a written target is recorded, as SaveOutputImage does.
//! RenderError from mark passes through; nothing is written then. Thread-safe for distinct
//! sources and marks.
InPlaceOutcome MarkJpegInPlace(const std::string& sourcePath, const OutputSettings& settings, ViewedMark& mark,
                               WrittenOutputs* writtenThisRun = nullptr,
                               ScanRewrite rewrite = ScanRewrite::Splice);

} // namespace tessoly
