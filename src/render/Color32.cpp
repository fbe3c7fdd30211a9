#include "render/Color32.h"

#include <array>

namespace tessoly {

namespace {

// A classic desktop's system colour table (0x00BBGGRR), indexed by the low byte of a negative
// window colour. The shipped controls only offer plain RGB colours, so this is a fallback.
constexpr std::array<std::uint32_t, 31> kSystemColours = {
    0xC8D0D4, 0x984E00, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF9933, 0xC8D0D4};

} // namespace

TColor32 ColorToColor32(std::int32_t windowColour) {
    std::uint32_t bgr = static_cast<std::uint32_t>(windowColour);
    if (windowColour < 0) {
        const std::uint32_t index = bgr & 0xFFu;
        bgr = index < kSystemColours.size() ? kSystemColours[index] : 0u;
    }
    const std::uint32_t r = bgr & 0xFFu, g = (bgr >> 8) & 0xFFu, b = (bgr >> 16) & 0xFFu;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

} // namespace tessoly
