#include "render/CoverageRasterizer.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tessoly {

namespace {

// Floor and ceiling of a / b for b > 0, for negative a too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

} // namespace

void TCoverageRasterizer::Reset(std::span<const TPolygon> polygons, TPolyFillMode mode, int samples,
                                int clipWidth, int clipHeight) {
    mode_ = mode;
    samples_ = samples == 8 ? 8 : 16;
    shift_ = samples_ == 8 ? 3 : 4;
    width_ = std::max(clipWidth, 0);
    height_ = std::max(clipHeight, 0);
    edges_.clear();
    active_.clear();
    nextEdge_ = 0;
    row_ = 0;
    touchedLo_ = INT_MAX;
    touchedHi_ = -1;

    // The columns the polygons can reach, so the cell array spans the bounding box, not the bitmap.
    std::int64_t minX = INT64_MAX, maxX = INT64_MIN;
    for (const TPolygon& polygon : polygons) {
        if (polygon.size() < 3)
            continue;
        for (const FixedPoint& p : polygon) {
            minX = std::min<std::int64_t>(minX, p.X);
            maxX = std::max<std::int64_t>(maxX, p.X);
        }
    }
    if (minX > maxX || width_ == 0 || height_ == 0) {
        cells_.clear();
        return;
    }
    cellBase_ = static_cast<int>(std::clamp<std::int64_t>(FloorDiv(minX, kFixedOne) - 1, 0, width_));
    cellEnd_ = static_cast<int>(std::clamp<std::int64_t>(CeilDiv(maxX, kFixedOne) + 1, 0, width_));
    xMinSub_ = double(cellBase_) * samples_;
    xMaxSub_ = double(cellEnd_) * samples_;
    cells_.assign(static_cast<std::size_t>(cellEnd_ - cellBase_) + 2, 0);

    for (const TPolygon& polygon : polygons) {
        if (polygon.size() < 3)
            continue;
        for (std::size_t i = 0; i < polygon.size(); ++i)
            AddEdge(polygon[i], polygon[(i + 1) % polygon.size()]);
    }
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.First < b.First; });
}

void TCoverageRasterizer::AddEdge(const FixedPoint& a, const FixedPoint& b) {
    if (a.Y == b.Y)
        return; // horizontal edges cross no sub-scanline
    const FixedPoint& top = a.Y < b.Y ? a : b;
    const FixedPoint& bottom = a.Y < b.Y ? b : a;
    const std::int64_t unit = kFixedOne >> shift_; // one sub-scanline [fixed units]
    const std::int64_t half = unit / 2;
    // Sub-scanline k samples y = k * unit + half; the edge owns the samples in [top.Y, bottom.Y).
    const std::int64_t first = std::max<std::int64_t>(CeilDiv(std::int64_t(top.Y) - half, unit), 0);
    const std::int64_t last = std::min<std::int64_t>(CeilDiv(std::int64_t(bottom.Y) - half, unit),
                                                     std::int64_t(height_) * samples_);
    if (first >= last)
        return;

    Edge e;
    e.First = static_cast<int>(first);
    e.Last = static_cast<int>(last);
    e.Dir = a.Y < b.Y ? 1 : -1;
    e.Slope = double(std::int64_t(bottom.X) - top.X) / double(std::int64_t(bottom.Y) - top.Y);
    // Kept at the first sub-scanline rather than at 0, so long nearly flat edges lose no precision.
    const double sampleY = double(first * unit + half);
    e.X0 = (double(top.X) + (sampleY - double(top.Y)) * e.Slope) / double(unit);
    edges_.push_back(e);
}

void TCoverageRasterizer::ClearTouched() {
    if (touchedHi_ >= touchedLo_) {
        std::fill(cells_.begin() + (touchedLo_ - cellBase_), cells_.begin() + (touchedHi_ - cellBase_) + 1,
                  0);
    }
    touchedLo_ = INT_MAX;
    touchedHi_ = -1;
}

void TCoverageRasterizer::AddSpan(int x0, int x1) {
    if (x1 <= x0)
        return;
    const int mask = samples_ - 1;
    const int p = x0 >> shift_, f = x0 & mask;
    const int q = x1 >> shift_, g = x1 & mask;
    std::int32_t* c = cells_.data() - cellBase_;
    c[p] += mask - f;
    c[p + 1] += f;
    c[q] -= mask - g;
    c[q + 1] -= g;
    touchedLo_ = std::min(touchedLo_, p);
    touchedHi_ = std::max(touchedHi_, q + 1);
}

void TCoverageRasterizer::ScanSubline(int k) {
    while (nextEdge_ < edges_.size() && edges_[nextEdge_].First <= k) {
        const Edge& e = edges_[nextEdge_++];
        active_.push_back(Active{0, e.Dir, e.First, e.Last, e.X0, e.Slope});
    }
    std::erase_if(active_, [k](const Active& a) { return a.Last <= k; });
    if (active_.empty())
        return;

    // Crossings rounded to 1/S pixel and clamped to the cell range (the clip); clamping keeps the
    // order, so the spans outside the bitmap simply shrink to nothing.
    for (Active& a : active_) {
        double x = a.X0 + double(k - a.First) * a.Slope;
        x = std::clamp(x, xMinSub_, xMaxSub_);
        a.X = static_cast<int>(std::floor(x + 0.5));
    }
    // The order changes little from one sub-scanline to the next: insertion sort is near linear.
    for (std::size_t i = 1; i < active_.size(); ++i) {
        if (active_[i - 1].X <= active_[i].X)
            continue;
        Active moving = active_[i];
        std::size_t j = i;
        while (j > 0 && active_[j - 1].X > moving.X) {
            active_[j] = active_[j - 1];
            --j;
        }
        active_[j] = moving;
    }

    if (mode_ == TPolyFillMode::pfAlternate) {
        for (std::size_t i = 0; i + 1 < active_.size(); i += 2)
            AddSpan(active_[i].X, active_[i + 1].X);
    } else {
        int winding = 0, start = 0;
        for (const Active& a : active_) {
            const int before = winding;
            winding += a.Dir;
            if (before == 0) {
                start = a.X;
            } else if (winding == 0) {
                AddSpan(start, a.X);
            }
        }
    }
}

bool TCoverageRasterizer::NextRow(TCoverageRow& row) {
    ClearTouched();
    if (cells_.empty())
        return false;
    while (row_ < height_) {
        if (active_.empty()) {
            if (nextEdge_ == edges_.size())
                return false;
            // Jump over rows no edge reaches.
            row_ = std::max(row_, edges_[nextEdge_].First >> shift_);
            if (row_ >= height_)
                return false;
        }
        const int k0 = row_ << shift_;
        for (int k = k0; k < k0 + samples_; ++k)
            ScanSubline(k);
        const int y = row_++;
        if (touchedHi_ < touchedLo_)
            continue;

        // Differences become coverage. The running sum is back to 0 at touchedHi_, past every span.
        std::int32_t* c = cells_.data() - cellBase_;
        std::int32_t sum = 0;
        for (int x = touchedLo_; x <= touchedHi_; ++x) {
            sum += c[x];
            c[x] = sum;
        }
        const int right = std::min(touchedHi_, width_);
        if (right <= touchedLo_) {
            ClearTouched();
            continue;
        }
        row.Y = y;
        row.Left = touchedLo_;
        row.Right = right;
        row.Coverage = c + touchedLo_;
        return true;
    }
    return false;
}

} // namespace tessoly
