#pragma once
// WorkingImage: the image the preview shows or the batch processes, with the decoded library
// image kept open for the output stage. The window owns one; each tessoly-cli worker owns one.
// Touched by one thread at a time only.

#include <string>

#include "render/Bitmap32.h"

struct FIBITMAP;

namespace tessoly {

struct WorkingImage {
    WorkingImage() = default;
    ~WorkingImage();
    WorkingImage(const WorkingImage&) = delete;
    WorkingImage& operator=(const WorkingImage&) = delete;

    //! The decoded current image, full size; the renderer's input.
    TBitmap32 SourceBitmap;
    //! The renderer's output, the size of SourceBitmap.
    TBitmap32 ComposedBitmap;
    //! What the preview shows: the decoded pixels first, then the composed picture.
    TBitmap32 PreviewBitmap;
    //! UTF-8 path of the image shown or processed.
    std::string CurrentImagePath;
    //! FreeImage format code detected for the last file decoded (-1 unknown), set even on failure.
    int SourceFormat = -1;
    //! The open library image, from a successful decode to ReleaseSourceImage.
    FIBITMAP* SourceImage = nullptr;
    //! FreeImage_GetBPP of the last decoded file.
    int SourceBitsPerPixel = 0;
    //! Some pixel of SourceBitmap, as decoded, is not fully opaque.
    bool SourceHasTransparency = false;
    //! Exif orientation of the source as stored (1..8); 1 when it has none.
    int SourceOrientation = 1;
    //! The bitmaps hold the source turned upright from SourceOrientation, so an output that
    //! keeps the source's Exif must say orientation 1.
    bool OrientationApplied = false;
};

} // namespace tessoly
