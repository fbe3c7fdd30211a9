#pragma once
// UTF-8 command-line text to the UTF-16 the caption is drawn from.

#include <optional>
#include <string>

namespace tessoly::cli {

//! The UTF-16 form of text, or nothing when text is not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(const std::string& text);

} // namespace tessoly::cli
