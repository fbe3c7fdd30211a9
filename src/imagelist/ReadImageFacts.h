#pragma once
// The facts of one file as the image list shows them: format, dimensions, resolution and size.

#include <QString>

#include "imagelist/ImageListItem.h"

namespace tessoly {

//! The checked, Waiting row for path with its four fact texts, read from the file's header where
//! that can tell them (SourceFacts.h). Never fails: a file FreeImage cannot identify or read gives
//! "Unknown" (or its format), "0 x 0" and "72"; a file whose size cannot be read, or that is no
//! regular file (a folder, a named pipe, a device), gives an empty size text and is never opened.
//! With applyExifOrientation the dimensions are those viewers show (swapped for Exif orientations
//! 5..8), as the decoder turns the picture. Any thread, several at once; FreeImage must be
//! initialised.
ImageListItem ReadImageFacts(const QString& path, bool applyExifOrientation = true);
//! The same row from a full decode of the file: the texts the header path must agree with.
ImageListItem ReadImageFactsByDecoding(const QString& path, bool applyExifOrientation = true);

//! The "DPI" column: one value (0 read as 72) when both axes agree, else "h x v" as they are.
QString DpiColumnText(unsigned dotsPerMetreX, unsigned dotsPerMetreY);

} // namespace tessoly
