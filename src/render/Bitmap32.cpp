#include "render/Bitmap32.h"

#include <algorithm>
#include <utility>

#include "render/PixelBlend.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

//! The pixel count of a new size, negative sides counted as 0; throws when it is too large.
std::size_t CheckedPixelCount(int& width, int& height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::int64_t count = std::int64_t(width) * height;
    if (count > TBitmap32::kMaxPixels)
        throw RenderError("The image is too large to be processed.");
    return static_cast<std::size_t>(count);
}

} // namespace

void TBitmap32::SetSize(int width, int height) {
    if (std::max(width, 0) == width_ && std::max(height, 0) == height_)
        return;
    const std::size_t count = CheckedPixelCount(width, height);
    // Replace rather than resize: a new size always starts as transparent black.
    decltype(pixels_)(count, 0u).swap(pixels_);
    width_ = width;
    height_ = height;
}

void TBitmap32::SetSizeForOverwrite(int width, int height) {
    if (std::max(width, 0) == width_ && std::max(height, 0) == height_)
        return;
    const std::size_t count = CheckedPixelCount(width, height);
    decltype(pixels_)(count).swap(pixels_);
    width_ = width;
    height_ = height;
}

void TBitmap32::Assign(const TBitmap32& src) {
    if (this == &src)
        return;
    pixels_ = src.pixels_;
    width_ = src.width_;
    height_ = src.height_;
    DrawMode = src.DrawMode;
    CombineMode = src.CombineMode;
    MasterAlpha = src.MasterAlpha;
}

void TBitmap32::Clear(TColor32 colour) {
    std::fill(pixels_.begin(), pixels_.end(), colour);
}

namespace {

// A rotation changes only the destination's size and pixels. out is complete before dst is touched,
// so src and dst may be the same bitmap.
void KeepModesAndMove(TBitmap32& out, TBitmap32& dst) {
    out.DrawMode = dst.DrawMode;
    out.CombineMode = dst.CombineMode;
    out.MasterAlpha = dst.MasterAlpha;
    dst = std::move(out);
}

// The quarter turns write one destination column per source row; walking the source in square
// tiles keeps both the reads and the scattered writes in cache on large pictures.
template <class Map> void QuarterTurn(const TBitmap32& src, TBitmap32& out, Map map) {
    constexpr int kTile = 64;
    const int w = src.Width(), h = src.Height();
    for (int ty = 0; ty < h; ty += kTile) {
        const int yEnd = std::min(ty + kTile, h);
        for (int tx = 0; tx < w; tx += kTile) {
            const int xEnd = std::min(tx + kTile, w);
            for (int y = ty; y < yEnd; ++y) {
                const TColor32* row = src.ScanLine(y);
                for (int x = tx; x < xEnd; ++x)
                    map(out, x, y, row[x]);
            }
        }
    }
}

} // namespace

void Rotate90(const TBitmap32& src, TBitmap32& dst) {
    const int h = src.Height();
    TBitmap32 out;
    out.SetSize(h, src.Width());
    QuarterTurn(src, out, [h](TBitmap32& o, int x, int y, TColor32 c) { o.SetPixel(h - 1 - y, x, c); });
    KeepModesAndMove(out, dst);
}

void Rotate270(const TBitmap32& src, TBitmap32& dst) {
    const int w = src.Width();
    TBitmap32 out;
    out.SetSize(src.Height(), w);
    QuarterTurn(src, out, [w](TBitmap32& o, int x, int y, TColor32 c) { o.SetPixel(y, w - 1 - x, c); });
    KeepModesAndMove(out, dst);
}

void Rotate180(const TBitmap32& src, TBitmap32& dst) {
    const int w = src.Width(), h = src.Height();
    TBitmap32 out;
    out.SetSize(w, h);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    const TColor32* in = src.Bits();
    TColor32* o = out.Bits();
    for (std::size_t i = 0; i < n; ++i)
        o[n - 1 - i] = in[i];
    KeepModesAndMove(out, dst);
}

namespace {

// Writes count source pixels onto a destination row by the source bitmap's draw mode.
void TransferRow(const TBitmap32& src, const TColor32* in, TColor32* out, int count) {
    if (src.DrawMode == dmOpaque) {
        std::copy(in, in + count, out);
    } else if (src.CombineMode == cmMerge) {
        MergeRowEx(in, out, count, static_cast<std::uint32_t>(src.MasterAlpha));
    } else if (src.MasterAlpha >= 255) {
        BlendRow(in, out, count);
    } else {
        BlendRowEx(in, out, count, static_cast<std::uint32_t>(src.MasterAlpha));
    }
}

bool DrawsNothing(const TBitmap32& src, const TBitmap32& dst) {
    return src.Empty() || dst.Empty() || (src.DrawMode == dmBlend && src.MasterAlpha <= 0);
}

} // namespace

void DrawAt(const TBitmap32& src, TBitmap32& dst, int x, int y) {
    if (DrawsNothing(src, dst))
        return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = static_cast<int>(std::min<std::int64_t>(std::int64_t(x) + src.Width(), dst.Width()));
    const int bottom = static_cast<int>(std::min<std::int64_t>(std::int64_t(y) + src.Height(), dst.Height()));
    if (left >= right || top >= bottom)
        return;
    for (int row = top; row < bottom; ++row) {
        TransferRow(src, src.ScanLine(row - y) + (left - x), dst.ScanLine(row) + left, right - left);
    }
}

void DrawStretched(const TBitmap32& src, TBitmap32& dst, const TRect& rect) {
    // In 64 bits: a rectangle reaching far off the bitmap must not overflow its own width.
    const std::int64_t rw = std::int64_t(rect.right) - rect.left, rh = std::int64_t(rect.bottom) - rect.top;
    if (rw == src.Width() && rh == src.Height()) {
        DrawAt(src, dst, rect.left, rect.top);
        return;
    }
    if (DrawsNothing(src, dst) || rw <= 0 || rh <= 0)
        return;
    const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int right = std::min(rect.right, dst.Width()), bottom = std::min(rect.bottom, dst.Height());
    if (left >= right || top >= bottom)
        return;

    // Sampling steps are 32-bit floats, their products with the index exact (in double): a float
    // product could round 6.9999999 up to 7 and sample one column too far. A one-pixel target takes
    // the middle source column or row.
    const float sx = static_cast<float>(src.Width()) / static_cast<float>(rw);
    const float sy = static_cast<float>(src.Height()) / static_cast<float>(rh);
    std::vector<int> columns(static_cast<std::size_t>(right - left));
    for (int i = left; i < right; ++i) {
        const int c = rw == 1 ? (src.Width() - 1) / 2
                              : static_cast<int>(double(std::int64_t(i) - rect.left) * double(sx));
        columns[static_cast<std::size_t>(i - left)] = std::min(c, src.Width() - 1);
    }
    std::vector<TColor32> sampled(columns.size());
    for (int j = top; j < bottom; ++j) {
        int r = rh == 1 ? (src.Height() - 1) / 2
                        : static_cast<int>(double(std::int64_t(j) - rect.top) * double(sy));
        r = std::min(r, src.Height() - 1);
        const TColor32* in = src.ScanLine(r);
        for (std::size_t k = 0; k < columns.size(); ++k)
            sampled[k] = in[columns[k]];
        TransferRow(src, sampled.data(), dst.ScanLine(j) + left, right - left);
    }
}

} // namespace tessoly
