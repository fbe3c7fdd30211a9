// Turning a stored picture upright by its Exif orientation. Where stored pixel (sx, sy) of a
// W x H picture goes:
//   1 (sx, sy)            2 (W-1-sx, sy)          3 (W-1-sx, H-1-sy)      4 (sx, H-1-sy)
//   5 (sy, sx)            6 (H-1-sy, sx)          7 (H-1-sy, W-1-sx)      8 (sy, W-1-sx)
// 1..4 keep every stored row a row (copied or reversed); 5..8 make it a column. A column written
// pixel by pixel touches one cache line per pixel, so the quarter turns go through square tiles:
// a tile's stored rows are read while they are in the first-level cache and every upright row
// gets a run of kTile consecutive pixels.

#include "imageio/ExifOrientation.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "imageio/PixelTransfer.h"

namespace tessoly {

namespace {

//! Side of a transpose tile [pixels]: 32 pixels are two cache lines of an upright row.
constexpr int kTile = 32;

//! Stored rows of orientations 1..4: each becomes one upright row, reversed for 2 and 3.
void PlaceRowsKeepingAxes(const TColor32* rows, int width, int height, int firstRow, int rowCount,
                          int orientation, TBitmap32& upright) {
    const bool reverse = orientation == 2 || orientation == 3;
    const bool flip = orientation == 3 || orientation == 4;
    for (int k = 0; k < rowCount; ++k) {
        const int sy = firstRow + k;
        const TColor32* src = rows + std::size_t(k) * width;
        TColor32* dst = upright.ScanLine(flip ? height - 1 - sy : sy);
        if (reverse)
            std::reverse_copy(src, src + width, dst);
        else
            std::memcpy(dst, src, std::size_t(width) * sizeof(TColor32));
    }
}

//! Stored rows of orientations 5..8: stored column sx becomes upright row sx (5, 6) or W-1-sx
//! (7, 8); stored row sy becomes upright column sy (5, 8) or H-1-sy (6, 7).
void PlaceRowsSwappingAxes(const TColor32* rows, int width, int height, int firstRow, int rowCount,
                           int orientation, TBitmap32& upright) {
    const bool mirrorRows = orientation == 7 || orientation == 8;
    const bool mirrorColumns = orientation == 6 || orientation == 7;
    for (int k0 = 0; k0 < rowCount; k0 += kTile) {
        const int kEnd = std::min(rowCount, k0 + kTile);
        const int tileRows = kEnd - k0;
        // The upright columns this tile of stored rows fills: a run of tileRows pixels from
        // `first`, in stored-row order forwards or backwards.
        const int sy0 = firstRow + k0;
        const int first = mirrorColumns ? height - sy0 - tileRows : sy0;
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int xEnd = std::min(width, x0 + kTile);
            for (int sx = x0; sx < xEnd; ++sx) {
                TColor32* dst = upright.ScanLine(mirrorRows ? width - 1 - sx : sx) + first;
                const TColor32* src = rows + std::size_t(k0) * width + sx;
                if (mirrorColumns) {
                    for (int k = tileRows - 1; k >= 0; --k, src += width)
                        dst[k] = *src;
                } else {
                    for (int k = 0; k < tileRows; ++k, src += width)
                        dst[k] = *src;
                }
            }
        }
    }
}

} // namespace

int ExifOrientation(FIBITMAP* dib) {
    FITAG* tag = nullptr;
    if (dib == nullptr || !FreeImage_GetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", &tag) || tag == nullptr)
        return 1;
    if (FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) < 1 ||
        FreeImage_GetTagValue(tag) == nullptr) {
        return 1;
    }
    WORD value = 0;
    std::memcpy(&value, FreeImage_GetTagValue(tag), sizeof value);
    return value >= 1 && value <= 8 ? value : 1;
}

void UprightSize(int orientation, unsigned& width, unsigned& height) {
    if (OrientationSwapsAxes(orientation))
        std::swap(width, height);
}

void ViewedSize(FIBITMAP* dib, bool applyOrientation, unsigned& width, unsigned& height) {
    width = FreeImage_GetWidth(dib);
    height = FreeImage_GetHeight(dib);
    if (applyOrientation)
        UprightSize(ExifOrientation(dib), width, height);
}

void PlaceStoredRows(const TColor32* rows, int storedWidth, int storedHeight, int firstRow, int rowCount,
                     int orientation, TBitmap32& upright) noexcept {
    if (OrientationSwapsAxes(orientation))
        PlaceRowsSwappingAxes(rows, storedWidth, storedHeight, firstRow, rowCount, orientation, upright);
    else
        PlaceRowsKeepingAxes(rows, storedWidth, storedHeight, firstRow, rowCount, orientation, upright);
}

void OrientUpright(const TBitmap32& stored, int orientation, TBitmap32& upright) {
    unsigned w = static_cast<unsigned>(stored.Width()), h = static_cast<unsigned>(stored.Height());
    UprightSize(orientation, w, h);
    upright.SetSizeForOverwrite(static_cast<int>(w), static_cast<int>(h));
    PlaceStoredRows(stored.Bits(), stored.Width(), stored.Height(), 0, stored.Height(), orientation, upright);
}

bool UprightTransfer::Prepare(FIBITMAP* dib, int orientation) {
    dib_ = dib;
    orientation_ = orientation;
    bands_.clear();
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    try {
        for (unsigned top = 0; top < height; top += kBandRows) {
            const unsigned bottom = std::min(height, top + unsigned(kBandRows));
            FreeImagePtr view(FreeImage_CreateView(dib, 0, top, width, bottom));
            if (!view)
                return false;
            bands_.push_back(std::move(view));
        }
        const int rows = static_cast<int>(std::min(height, unsigned(kBandRows)));
        band_.SetSizeForOverwrite(static_cast<int>(width), rows);
        const int lastRows = static_cast<int>(height % kBandRows);
        lastBand_.SetSizeForOverwrite(lastRows == 0 ? 0 : static_cast<int>(width), lastRows);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void UprightTransfer::Run(TBitmap32& upright, bool keepAlpha) noexcept {
    const int width = static_cast<int>(FreeImage_GetWidth(dib_));
    const int height = static_cast<int>(FreeImage_GetHeight(dib_));
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        const int top = static_cast<int>(i) * kBandRows;
        TBitmap32& band = height - top < kBandRows ? lastBand_ : band_;
        TransferLibraryPixels(bands_[i].get(), band, keepAlpha);
        PlaceStoredRows(band.Bits(), width, height, top, band.Height(), orientation_, upright);
    }
}

} // namespace tessoly
