#pragma once
// The output format table and the small numeric rules of the output stage: the format chosen by
// name, the name of a source format for "Unchanged", the JPEG-2000 rate, the resolution in dots
// per metre and the whole-number reading of the texts of the output controls.

#include <array>
#include <cstdint>
#include <string>

namespace tessoly {

//! One row of the format table.
struct OutputFormat {
    //! FreeImage format code (FREE_IMAGE_FORMAT).
    int code = 2;
    //! Flags handed to the encoder: the JPEG quality, the JPEG-2000 rate, or 0.
    int flags = 0;
    //! Extension with its dot, such as ".jpg".
    const char* extension = ".jpg";
    //! Reduce to an 8-bit palette (Wu quantiser) before writing.
    bool quantize = false;
};

//! The entries of the format box, in its order: "Unchanged", then every name SelectOutputFormat
//! knows. A new output format joins by its name here and its row in SelectOutputFormat; the
//! command line's spellings of a format (name, extension) follow from these two.
inline constexpr std::array<const char*, 8> OutputFormatChoices = {"Unchanged", "BMP", "GIF",  "JPEG",
                                                                   "JPEG-2000", "PNG", "TIFF", "TGA"};

//! The format name for "Unchanged": "BMP", "JPEG", "PNG", "TGA", "TIFF", "GIF", "JPEG-2000", or
//! "" for any other source format (PCX, PSD, unknown), which then writes JPEG.
std::string FormatNameForSource(int sourceFormat);
//! The row for a format name, exact and case-sensitive; anything unknown is JPEG.
OutputFormat SelectOutputFormat(const std::string& formatName, int jpegQuality);
//! The format name a format choice stands for: from the source for exactly "Unchanged",
//! otherwise the choice trimmed of surrounding blanks.
std::string FormatNameForChoice(const std::string& formatChoice, int sourceFormat);
//! Compression ratio r:1 of a JPEG quality 1..100: round((101 - q) / 20 * 5.12), halves to even,
//! never below 1.
int Jpeg2000Rate(int jpegQuality);
//! dpi * 1000 / 25.4 rounded to the nearest whole number, halves to even.
std::int64_t DotsPerMetreFromDpi(std::int64_t dpi);
//! Reads a whole decimal number with an optional sign, as a number field's text is read.
//! Throws RenderError "'TEXT' is not a valid integer value" for anything else.
int ParseWholeNumber(const std::string& text);
//! Removes the blanks and control characters around text.
std::string TrimBlanks(const std::string& text);

} // namespace tessoly
