#pragma once
// The items of a tessoly-cli run: the images of the PATH arguments and of the --files-from lists,
// in one deterministic order, each with the sub-folder its output mirrors under --keep-folders,
// and the share of them one shard takes.

#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace tessoly::cli {

struct SourceItem {
    std::string path;
    //! The sub-folder of the source below the folder it was found in ("" for none), relative.
    std::string subFolder;
};

//! The whole list: PATH arguments first, then each list's paths, each path taken as a PATH
//! argument is (a folder gives its images). Throws UsageError when a list cannot be read.
std::vector<SourceItem> CollectSourceItems(const CliOptions& options);

//! The paths of one list file's text: separated by NUL or by newline, empty entries left out.
std::vector<std::string> SplitPathList(const std::string& text, bool nulSeparated);

//! The items at positions index - 1 modulo count (1-based index), in their order.
std::vector<SourceItem> ShardOf(const std::vector<SourceItem>& items, int index, int count);

} // namespace tessoly::cli
