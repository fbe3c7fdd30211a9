// The placement tables of the nine anchors. Column and row are chosen apart: left, centre or right
// sets the x offset, top, middle or bottom the y offset. Halves round to the even neighbour.
// Arithmetic runs in double / 64 bits and the result is clamped to int, so extreme margins push
// the watermark off the image instead of wrapping around.

#include "render/Placement.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace tessoly {

namespace {

enum class Band { Near, Middle, Far };

Band ColumnOf(WatermarkPosition p) {
    switch (p) {
    case WatermarkPosition::TopLeft:
    case WatermarkPosition::Left:
    case WatermarkPosition::BottomLeft:
        return Band::Near;
    case WatermarkPosition::TopCenter:
    case WatermarkPosition::Center:
    case WatermarkPosition::Bottom:
        return Band::Middle;
    default:
        return Band::Far;
    }
}

Band RowOf(WatermarkPosition p) {
    switch (p) {
    case WatermarkPosition::TopLeft:
    case WatermarkPosition::TopCenter:
    case WatermarkPosition::TopRight:
        return Band::Near;
    case WatermarkPosition::Left:
    case WatermarkPosition::Center:
    case WatermarkPosition::Right:
        return Band::Middle;
    default:
        return Band::Far;
    }
}

//! round half to even (the default rounding mode)
double Rnd(double v) {
    return std::nearbyint(v);
}

int ClampToInt(double v) {
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

int ClampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

//! Text offset along one axis: margin - rnd(min), rnd((size - extent) / 2 - min) or rnd(size - (margin +
//! max)).
int TextAxisOffset(Band band, int size, int margin, double lo, double hi) {
    switch (band) {
    case Band::Near:
        return ClampToInt(static_cast<double>(margin) - Rnd(lo));
    case Band::Middle:
        return ClampToInt(Rnd((static_cast<double>(size) - (hi - lo)) / 2.0 - lo));
    case Band::Far:
        return ClampToInt(Rnd(static_cast<double>(size) - (static_cast<double>(margin) + hi)));
    }
    return 0;
}

//! Picture corner along one axis: margin, rnd((size - extent) / 2) or size - (extent + margin).
int PictureAxisPosition(Band band, int size, int extent, int margin) {
    switch (band) {
    case Band::Near:
        return margin;
    case Band::Middle:
        return ClampToInt(Rnd((static_cast<double>(size) - extent) / 2.0));
    case Band::Far:
        return ClampToInt(std::int64_t(size) - (std::int64_t(extent) + margin));
    }
    return 0;
}

} // namespace

TextOffset TextPlacementOffset(WatermarkPosition position, int imageWidth, int imageHeight, int hMargin,
                               int vMargin, const TextBoxGeometry& box) {
    return {TextAxisOffset(ColumnOf(position), imageWidth, hMargin, box.minX, box.maxX),
            TextAxisOffset(RowOf(position), imageHeight, vMargin, box.minY, box.maxY)};
}

PicturePosition PicturePlacement(WatermarkPosition position, int imageWidth, int imageHeight,
                                 int pictureWidth, int pictureHeight, int hMargin, int vMargin) {
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    return {PictureAxisPosition(ColumnOf(position), imageWidth, pictureWidth, hMargin),
            PictureAxisPosition(RowOf(position), imageHeight, pictureHeight, vMargin)};
}

} // namespace tessoly
