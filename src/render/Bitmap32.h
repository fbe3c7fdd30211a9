#pragma once
// TBitmap32: the 32-bit ARGB bitmap everything is drawn on, with its copy, rotation and transfer
// operations. Row-major, top row first; pixel (x, y) is at index x + y * width.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "render/Color32.h"

namespace tessoly {

//! How a bitmap is drawn onto another.
enum TDrawMode { dmOpaque = 0, dmBlend = 1 };
//! Which blend arithmetic dmBlend uses. The renderer always keeps cmBlend.
enum TCombineMode { cmBlend = 0, cmMerge = 1 };

//! A rectangle in pixels, right and bottom exclusive.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

//! An allocator whose new elements are default-initialised: a pixel block made for a bitmap that
//! is about to be overwritten whole is not zeroed first. Elements given a value keep it.
template <class T> struct DefaultInitAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = DefaultInitAllocator<U>; };
    DefaultInitAllocator() noexcept = default;
    template <class U> DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    //! Pixel blocks start on a cache line, so that rows of a width that is a multiple of 16
    //! pixels start on one too (whole-line writes when a picture is turned).
    static constexpr std::size_t kAlignment = 64;
    T* allocate(std::size_t n) {
        return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{kAlignment}));
    }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p, std::align_val_t{kAlignment}); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class TBitmap32 {
public:
    //! Largest number of pixels a bitmap may hold (1 GiB of pixel data); SetSize refuses more with a
    //! RenderError instead of letting an overflowing product through.
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

    TBitmap32() = default;
    TBitmap32(int width, int height) { SetSize(width, height); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    //! Negative sizes count as 0. The same size keeps the pixels; any other size gives all
    //! 0x00000000 pixels. Draw mode, combine mode and master alpha are kept.
    void SetSize(int width, int height);
    //! SetSize for a caller that writes every pixel next: a new size leaves the pixels
    //! unspecified instead of spending a pass on zeroing them.
    void SetSizeForOverwrite(int width, int height);
    //! Copies size, pixels, draw mode, combine mode and master alpha.
    void Assign(const TBitmap32& src);
    //! Sets every pixel to colour.
    void Clear(TColor32 colour = 0);

    TColor32* Bits() { return pixels_.data(); }
    const TColor32* Bits() const { return pixels_.data(); }
    TColor32* ScanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const TColor32* ScanLine(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    //! Pixel access without bounds checks: callers stay inside the bitmap.
    TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
    void SetPixel(int x, int y, TColor32 c) { ScanLine(y)[x] = c; }

    TDrawMode DrawMode = dmOpaque;
    TCombineMode CombineMode = cmBlend;
    //! Global opacity [0..255] applied when drawn with dmBlend.
    int MasterAlpha = 255;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<TColor32, DefaultInitAllocator<TColor32>> pixels_;
};

//! Swaps the pixels (and sizes) of two bitmaps without a copy; each keeps its own draw mode,
//! combine mode and master alpha.
inline void SwapBitmapPixels(TBitmap32& a, TBitmap32& b) noexcept {
    std::swap(a, b);
    std::swap(a.DrawMode, b.DrawMode);
    std::swap(a.CombineMode, b.CombineMode);
    std::swap(a.MasterAlpha, b.MasterAlpha);
}

//! dst becomes height x width; src (x, y) goes to dst (height - 1 - y, x): a clockwise quarter turn.
void Rotate90(const TBitmap32& src, TBitmap32& dst);
//! dst becomes width x height; pixel i goes to index width * height - 1 - i.
void Rotate180(const TBitmap32& src, TBitmap32& dst);
//! dst becomes height x width; src (x, y) goes to dst (y, width - 1 - x): counter-clockwise.
void Rotate270(const TBitmap32& src, TBitmap32& dst);

//! Draws the whole src with its top-left corner at (x, y) of dst, clipped, by src's draw mode.
void DrawAt(const TBitmap32& src, TBitmap32& dst, int x, int y);
//! Draws the whole src into rect of dst with nearest-neighbour sampling, clipped.
void DrawStretched(const TBitmap32& src, TBitmap32& dst, const TRect& rect);

} // namespace tessoly
