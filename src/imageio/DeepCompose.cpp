#include "imageio/DeepCompose.h"

#include <algorithm>
#include <cstdint>

namespace tessoly {

namespace {

//! One 16-bit channel value under a mark of 8-bit contribution m and kept share k (of 255).
inline WORD Blend16(unsigned picture, unsigned black, unsigned white) {
    const unsigned kept = white > black ? white - black : 0;
    const unsigned value = (picture * kept + 127) / 255 + black * 257;
    return static_cast<WORD>(std::min(value, 65535u));
}

bool MarkIsGrey(const TBitmap32& overBlack, const TBitmap32& overWhite) {
    const auto grey = [](TColor32 c) { return RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c); };
    for (int y = 0; y < overBlack.Height(); ++y) {
        const TColor32* b = overBlack.ScanLine(y);
        const TColor32* w = overWhite.ScanLine(y);
        for (int x = 0; x < overBlack.Width(); ++x) {
            if (!grey(b[x]) || !grey(w[x]))
                return false;
        }
    }
    return true;
}

} // namespace

bool IsDeepPicture(FIBITMAP* source) {
    const FREE_IMAGE_TYPE type = source ? FreeImage_GetImageType(source) : FIT_UNKNOWN;
    return type == FIT_RGB16 || type == FIT_RGBA16 || type == FIT_UINT16;
}

FreeImagePtr ComposeDeepPicture(FIBITMAP* source, const TBitmap32& overBlack, const TBitmap32& overWhite) {
    const int width = static_cast<int>(FreeImage_GetWidth(source));
    const int height = static_cast<int>(FreeImage_GetHeight(source));
    if (!IsDeepPicture(source) || overBlack.Width() != width || overBlack.Height() != height ||
        overWhite.Width() != width || overWhite.Height() != height) {
        return nullptr;
    }
    const bool greySource = FreeImage_GetImageType(source) == FIT_UINT16;
    const bool withAlpha = FreeImage_GetImageType(source) == FIT_RGBA16;
    const bool greyResult = greySource && MarkIsGrey(overBlack, overWhite);
    FreeImagePtr result(FreeImage_AllocateT(greyResult ? FIT_UINT16 : FIT_RGB16, width, height));
    if (!result)
        return nullptr;
    for (int y = 0; y < height; ++y) {
        // Library rows run bottom-up, the bitmaps' top-down.
        const int row = height - 1 - y;
        const BYTE* in = FreeImage_GetScanLine(source, row);
        BYTE* out = FreeImage_GetScanLine(result.get(), row);
        const TColor32* b = overBlack.ScanLine(y);
        const TColor32* w = overWhite.ScanLine(y);
        if (greyResult) {
            const auto* p = reinterpret_cast<const WORD*>(in);
            auto* q = reinterpret_cast<WORD*>(out);
            for (int x = 0; x < width; ++x)
                q[x] = Blend16(p[x], GreenOf(b[x]), GreenOf(w[x]));
            continue;
        }
        auto* q = reinterpret_cast<FIRGB16*>(out);
        for (int x = 0; x < width; ++x) {
            unsigned red, green, blue;
            if (greySource) {
                red = green = blue = reinterpret_cast<const WORD*>(in)[x];
            } else if (withAlpha) {
                const FIRGBA16& p = reinterpret_cast<const FIRGBA16*>(in)[x];
                red = p.red;
                green = p.green;
                blue = p.blue;
            } else {
                const FIRGB16& p = reinterpret_cast<const FIRGB16*>(in)[x];
                red = p.red;
                green = p.green;
                blue = p.blue;
            }
            q[x].red = Blend16(red, RedOf(b[x]), RedOf(w[x]));
            q[x].green = Blend16(green, GreenOf(b[x]), GreenOf(w[x]));
            q[x].blue = Blend16(blue, BlueOf(b[x]), BlueOf(w[x]));
        }
    }
    return result;
}

} // namespace tessoly
