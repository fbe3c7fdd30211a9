// Guide lines: the two centre lines and, when a margin is positive, the four margin lines, drawn
// as square-ended bands of width 1 / k image pixels so that they come out about one screen pixel
// wide in the preview scaled by k. Lines are drawn one by one in a fixed order, so crossings blend
// twice. The colour always has alpha 170, whatever alpha the chosen guide colour carries.

#include "render/GuideLines.h"

#include <algorithm>
#include <cmath>

#include "render/LineStroke.h"

namespace tessoly {

namespace {

//! 16.16 coordinates hold about +-32767 pixels; clamp so huge images cannot wrap a line around.
FixedPoint GuidePoint(double x, double y) {
    constexpr double kLimit = 32767.0;
    return FixedPointFromReal(std::clamp(x, -kLimit, kLimit), std::clamp(y, -kLimit, kLimit));
}

void GuideLine(TBitmap32& target, double x1, double y1, double x2, double y2, double width, TColor32 colour) {
    StrokePolyline(target, TPolygon{GuidePoint(x1, y1), GuidePoint(x2, y2)}, false, width, colour);
}

} // namespace

float PreviewFitFactor(int clientWidth, int clientHeight, int previewWidth, int previewHeight) {
    if (previewWidth <= 0 || previewHeight <= 0)
        return 1.0f;
    const double k = std::min(static_cast<double>(clientWidth) / previewWidth,
                              static_cast<double>(clientHeight) / previewHeight);
    return k > 1.0 ? 1.0f : static_cast<float>(k);
}

void DrawGuideLines(TBitmap32& target, const WatermarkSettings& settings, float fitFactor) {
    if (target.Empty())
        return;
    // A collapsed preview (k = 0) would ask for infinitely wide lines; draw them as at 1:1.
    if (!(fitFactor > 0.0f) || !std::isfinite(fitFactor) || fitFactor > 1.0f)
        fitFactor = 1.0f;
    const double w = 1.0f / fitFactor;
    const TColor32 colour = SetAlpha(settings.guideColour, 170);
    const double wt = target.Width(), ht = target.Height();

    GuideLine(target, wt / 2, 0, wt / 2, ht, w, colour);
    GuideLine(target, 0, ht / 2, wt, ht / 2, w, colour);
    if (settings.hMargin > 0 || settings.vMargin > 0) {
        const double hm = settings.hMargin, vm = settings.vMargin;
        GuideLine(target, hm, 0, hm, ht, w, colour);
        GuideLine(target, wt - hm, 0, wt - hm, ht, w, colour);
        GuideLine(target, 0, vm, wt, vm, w, colour);
        GuideLine(target, 0, ht - vm, wt, ht - vm, w, colour);
    }
}

} // namespace tessoly
