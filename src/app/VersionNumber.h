#pragma once
// Version numbers of the update check: the strict text-to-number rule both the installed version
// and the server's answer must pass, and the two-decimal text shown in the upgrade question.
// Both are pure functions, safe on any thread.

#include <optional>
#include <string_view>

#include <QString>

namespace tessoly {

//! The number in text, rounded to a 32-bit float, or nothing when text is not exactly: optional
//! blanks, an optional sign, digits with at most one "." (at least one digit), an optional exponent
//! ("E" or "e", optional sign, digits), optional blanks. Line breaks, commas, words and values beyond
//! the float range are refused.
std::optional<float> ParseVersionNumber(std::string_view text);

//! v with two decimals and no leading zero ("1.10", "2.00", ".50"), halves away from zero, written
//! with the locale's decimal separator and then every "," made a ".".
QString VersionNumberText(float v);

} // namespace tessoly
