#pragma once
// Why a source could not be read, in a command-line user's words.

#include <string>

namespace tessoly::cli {

//! "no such file", "permission denied", "not a regular file" or "not a supported image": the first
//! that holds for path, the last when the file opens but did not decode.
std::string SourceProblem(const std::string& path);

} // namespace tessoly::cli
