#pragma once
// Test frames shared by the benchmarks: an opaque colour pattern that no blend can shortcut.

#include <cstdint>

#include "render/Bitmap32.h"

namespace tessoly::bench {

//! An opaque w x h frame with a diagonal colour pattern.
inline TBitmap32 PatternFrame(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y) {
        TColor32* row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF);
            row[x] = Color32(255, v, 255 - v, (v * 3) & 0xFF);
        }
    }
    return b;
}

} // namespace tessoly::bench
