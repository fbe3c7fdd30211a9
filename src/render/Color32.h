#pragma once
// One pixel of every bitmap the program draws on.

#include <cstdint>

namespace tessoly {

//! A pixel, 0xAARRGGBB with straight (not premultiplied) alpha; in memory B, G, R, A.
using TColor32 = std::uint32_t;

constexpr std::uint32_t AlphaOf(TColor32 c) { return c >> 24; }
constexpr std::uint32_t RedOf(TColor32 c) { return (c >> 16) & 0xFFu; }
constexpr std::uint32_t GreenOf(TColor32 c) { return (c >> 8) & 0xFFu; }
constexpr std::uint32_t BlueOf(TColor32 c) { return c & 0xFFu; }
constexpr TColor32 Color32(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

//! Keeps the RGB of c and gives it alpha a, clamped to 0..255.
constexpr TColor32 SetAlpha(TColor32 c, int a) {
    const std::uint32_t alpha = a < 0 ? 0u : (a > 255 ? 255u : static_cast<std::uint32_t>(a));
    return (c & 0x00FFFFFFu) | (alpha << 24);
}

//! Turns a window colour (0x00BBGGRR; negative values name a system colour by their low byte)
//! into an opaque TColor32.
TColor32 ColorToColor32(std::int32_t windowColour);

} // namespace tessoly
