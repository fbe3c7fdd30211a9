#pragma once
// The JSON strings of tessoly-cli's --json lines.

#include <string>

namespace tessoly::cli {

//! text as a JSON string literal, quotes included. Control characters, '"' and '\' are escaped;
//! a byte that is not part of well-formed UTF-8 (a file name need not be UTF-8) becomes U+FFFD,
//! so the line is always valid JSON.
std::string JsonString(const std::string& text);

} // namespace tessoly::cli
