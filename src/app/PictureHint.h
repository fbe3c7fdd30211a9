#pragma once
// The information hint of the watermark picture's thumbnail.

#include <QString>

namespace tessoly {

//! "Portable Network Graphics (<b>PNG</b>)" and the other type texts by FreeImage format code;
//! "Unknown" for any other code.
QString PictureTypeText(int formatCode);
//! The four hint lines: file, type, original size and resolution.
QString PictureInfoHint(const QString& path, int formatCode, int width, int height, int dpiX, int dpiY);

} // namespace tessoly
