#include "render/TileGrid.h"

#include <algorithm>
#include <cmath>

namespace tessoly {

namespace {

TileAxis AxisWithStep(double offset, double lo, double hi, int size, double pad, double step) {
    TileAxis axis;
    axis.step = static_cast<int>(std::clamp(std::nearbyint(step), 1.0, 1e9));
    const double s = axis.step;
    // A copy at i * step touches the image while offset + i s + hi + pad > 0 and
    // offset + i s + lo - pad < size.
    // Clamped before the conversion: margins without limits can put the mark billions away.
    const double first = std::floor((-pad - offset - hi) / s) + 1;
    const double last = std::ceil((size + pad - offset - lo) / s) - 1;
    axis.first = static_cast<int>(std::clamp(first, -1e9, 1e9));
    axis.last = static_cast<int>(std::clamp(last, -1e9, 1e9));
    return axis;
}

double StepFor(double lo, double hi, int spacingPercent) {
    return (hi - lo) * (100.0 + std::max(0, spacingPercent)) / 100.0;
}

long long Count(const TileAxis& axis) {
    return std::max(0LL, static_cast<long long>(axis.last) - axis.first + 1);
}

} // namespace

TileAxis TileAxisFor(double offset, double lo, double hi, int size, double pad, int spacingPercent) {
    return AxisWithStep(offset, lo, hi, size, pad, StepFor(lo, hi, spacingPercent));
}

void TileAxesFor(double offsetX, double loX, double hiX, int width, double offsetY, double loY, double hiY,
                 int height, double pad, int spacingPercent, TileAxis& x, TileAxis& y) {
    double stepX = StepFor(loX, hiX, spacingPercent);
    double stepY = StepFor(loY, hiY, spacingPercent);
    x = AxisWithStep(offsetX, loX, hiX, width, pad, stepX);
    y = AxisWithStep(offsetY, loY, hiY, height, pad, stepY);
    for (int round = 0; round < 8 && Count(x) * Count(y) > kMaxTiles; ++round) {
        const double widen = std::sqrt(static_cast<double>(Count(x) * Count(y)) / kMaxTiles) * 1.01;
        stepX = std::max(stepX, 1.0) * widen;
        stepY = std::max(stepY, 1.0) * widen;
        x = AxisWithStep(offsetX, loX, hiX, width, pad, stepX);
        y = AxisWithStep(offsetY, loY, hiY, height, pad, stepY);
    }
}

} // namespace tessoly
