#pragma once
// Display rules for image facts, shared by the preview's properties line and the list columns.

#include <cstdint>
#include <string>

namespace tessoly {

//! "BMP", "JPEG", "PCX", "PNG", "TARGA", "TIFF", "PSD", "GIF", "JPEG-2K", "WebP",
//! "HEIF", "AVIF" or "Unknown".
std::string FormatDisplayName(int formatCode);
//! Whole DPI of a resolution in dots per metre, halves to even, computed in extended precision.
int DpiFromDotsPerMetre(std::uint32_t dotsPerMetre);
//! "1023", "2 KB", "1 MB".
std::string FormatFileSizeText(std::uint64_t bytes);

} // namespace tessoly
