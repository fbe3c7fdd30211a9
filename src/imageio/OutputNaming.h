#pragma once
// Output naming and the existing-file policy: the target path of an output comes from its source
// path, the output folder and the format's extension; the policy decides what happens when a file
// of that path is already there. Paths use "/" and a file name ends at the last "/".

#include <string>

namespace tessoly {

//! What happens when the target file already exists.
enum class ExistingFilePolicy { Skip, Rename, Overwrite };

//! Appended to the base once under Rename: "a.jpg" becomes "a_Renamed_by_TLY.jpg".
inline constexpr const char* RenameSuffix = "_Renamed_by_TLY";

//! The path without its last extension; a dot inside a folder name is not an extension.
std::string StripExtension(const std::string& path);
//! The part of a path after its last "/".
std::string FileNameOf(const std::string& path);
//! Target path without extension: next to the source when outputFolder is empty, otherwise the
//! source's file name inside the output folder.
std::string OutputBasePath(const std::string& sourcePath, const std::string& outputFolder);

//! The path with its folder resolved (links, "..", relative spellings), so two spellings of one
//! file give one key. The last part is kept as written: it may not exist yet.
std::string NormalisedPath(const std::string& path);

//! True for an existing regular file (after following links); a folder does not count.
bool IsExistingFile(const std::string& path);

//! Outcome of the policy step.
struct PolicyDecision {
    //! The target exists and the policy is Skip: nothing may be written.
    bool skip = false;
    //! The path to write, or the existing file that caused the skip.
    std::string targetPath;
};

//! The policy step for base + extension (extension with its dot, such as ".jpg"). The Rename
//! path is not tested again: a file of that name is replaced.
PolicyDecision ApplyExistingFilePolicy(const std::string& basePath, const std::string& extension,
                                       ExistingFilePolicy policy);

} // namespace tessoly
