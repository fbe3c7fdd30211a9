#pragma once
// Collecting image paths from a folder (grouped by extension, optionally descending into
// sub-folders) and the extension test for single dropped files. Used by "Add folder", dropping and
// tessoly-cli.

#include <array>
#include <string>
#include <vector>

namespace tessoly {

//! Accepted extensions, lower case, in the order a folder's files are grouped.
inline constexpr std::array<const char*, 11> ImageExtensions = {"bmp", "gif", "jpg", "jpeg", "jp2", "pcx",
                                                                "png", "psd", "tga", "tif",  "tiff"};

//! How far a folder scan reaches.
struct FolderScanOptions {
    //! Descend into sub-folders (hidden ones left out). Off for "Add folder" and dropping.
    bool recursive = false;
};

//! The image files directly inside folder: all ".bmp" files first, then ".gif" and so on in the
//! order of ImageExtensions, extensions compared without regard to case. Hidden files and folders
//! (names starting with ".") are left out. Within one extension the names are sorted, so the
//! order does not depend on how the file system hashes its folders. The folder text is used as
//! given, joined with "/" unless it already ends in one. An unreadable folder gives nothing.
//! Recursive: after a folder's own images come those of each sub-folder, sub-folders in name
//! order, depth first. Links to folders are followed, but no folder is ever scanned twice (of the
//! sub-folders of one level that are one folder, the first by name is taken), so a link back to
//! an ancestor (a loop) adds nothing.
std::vector<std::string> CollectFolderImages(const std::string& folder,
                                             const FolderScanOptions& options = {});

//! Does the file name of path end in "." + one of ImageExtensions, in any letter case?
bool HasImageExtension(const std::string& path);

} // namespace tessoly
