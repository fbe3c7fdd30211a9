// Fuzz entry point of the raster engine: the bytes become polygons, a stroke width and a colour,
// which are filled, stroked and drawn as thin lines on a small bitmap. Any coordinate, including
// the ends of the 16.16 range, must stay inside the bitmap; a fill must never write a colour it
// was not given.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/Bitmap32.h"
#include "render/LineStroke.h"
#include "render/PolygonFill.h"

namespace {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    template <class T> bool Take(T& out) {
        if (size < sizeof(T))
            return false;
        std::memcpy(&out, data, sizeof(T));
        data += sizeof(T);
        size -= sizeof(T);
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessoly;
    Reader in{data, size};
    std::uint8_t flags = 0, widthTenths = 0;
    std::uint16_t sizeBits = 0;
    if (!in.Take(flags) || !in.Take(widthTenths) || !in.Take(sizeBits))
        return 0;
    // A small bitmap keeps each run fast; up to 64 x 64 pixels.
    TBitmap32 bitmap((sizeBits & 63) + 1, ((sizeBits >> 6) & 63) + 1);
    const TColor32 colour = 0xFF00FF00u;
    const int samples = (flags & 1) ? 16 : 8;
    const TPolyFillMode mode = (flags & 2) ? TPolyFillMode::pfAlternate : TPolyFillMode::pfWinding;
    const bool closed = (flags & 4) != 0;

    TPolyPolygon polygons(1);
    std::uint8_t count = 0;
    while (in.Take(count)) {
        // A zero count starts the next polygon.
        if (count == 0) {
            polygons.emplace_back();
            continue;
        }
        FixedPoint p;
        if (!in.Take(p.X) || !in.Take(p.Y))
            break;
        // Small coordinates land on the bitmap often; high bits reach anywhere in the fixed range.
        if (count & 1) {
            p.X = static_cast<TFixed>(p.X % (80 << 16)) - (8 << 16);
            p.Y = static_cast<TFixed>(p.Y % (80 << 16)) - (8 << 16);
        }
        polygons.back().push_back(p);
    }

    FillPolyPolygon(bitmap, polygons, colour, mode, samples);
    for (const TPolygon& polygon : polygons) {
        StrokePolyline(bitmap, polygon, closed, widthTenths / 10.0, colour);
        AaPolyline(bitmap, polygon, closed, colour);
    }
    // Green on transparent black, so every pixel holds green alone.
    const TColor32* pixels = bitmap.Bits();
    for (int i = 0; i < bitmap.Width() * bitmap.Height(); ++i) {
        if ((pixels[i] & 0x00FF00FFu) != 0)
            std::abort();
    }
    return 0;
}
