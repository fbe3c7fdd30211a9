#pragma once
// The output folders of a tessoly-cli run, made and proved writable before any image is decoded,
// so a wrong folder costs nothing and is told once instead of once per image.

#include <string>
#include <vector>

namespace tessoly::cli {

//! Makes each folder that is missing, with its parents (mkdir -p), and proves that a file can be
//! made in it. Throws UsageError naming the first folder that cannot be made or written.
void PrepareOutputFolders(const std::vector<std::string>& folders);

//! The dry-run form: makes nothing; throws UsageError when a folder exists but is not writable,
//! or is missing and its nearest existing parent is not a writable folder.
void CheckOutputFoldersWouldWork(const std::vector<std::string>& folders);

} // namespace tessoly::cli
