#pragma once
// Collecting image paths from a folder (not recursive, grouped by extension) and the extension
// test for single dropped files. Used by "Add folder", dropping and tessoly-cli.

#include <array>
#include <string>
#include <vector>

namespace tessoly {

//! Accepted extensions, lower case, in the order a folder's files are grouped.
inline constexpr std::array<const char*, 15> ImageExtensions = {
    "bmp", "gif", "jpg", "jpeg", "jp2", "pcx", "png", "psd", "tga", "tif", "tiff", "heic", "heif", "avif", "webp"};

//! The image files directly inside folder: all ".bmp" files first, then ".gif" and so on in the
//! order of ImageExtensions, extensions compared without regard to case. Sub-folders and hidden
//! files (names starting with ".") are left out. Within one extension the names are sorted, so the
//! order does not depend on how the file system hashes its folders. The folder text is used as
//! given, joined with "/" unless it already ends in one. An unreadable folder gives nothing.
std::vector<std::string> CollectFolderImages(const std::string& folder);

//! Does the file name of path end in "." + one of ImageExtensions, in any letter case?
bool HasImageExtension(const std::string& path);

} // namespace tessoly
