#pragma once
// The ICC profile of a PNG file's iCCP chunk. The library's PNG reader leaves it out, so a
// Display P3 screenshot or an Adobe RGB export would lose what its colour numbers mean.

#include <cstdint>
#include <string>
#include <vector>

namespace tessoly {

//! Largest profile read [bytes]; real profiles are a few kilobytes, a few large ones a megabyte.
constexpr std::size_t kMaxColourProfileBytes = std::size_t(16) << 20;

//! The decompressed profile of the PNG file at path, or empty when it has none (or a broken one).
std::vector<std::uint8_t> ReadPngColourProfile(const std::string& path);

} // namespace tessoly
