#pragma once
// The value spellings of tessoly-cli: enumerated values matched without regard to letter case,
// blanks, "-", "_" or the degree sign, and the nearest known word for a mistyped one.

#include <string>
#include <vector>

namespace tessoly::cli {

//! text lower-cased (ASCII), with blanks, "-", "_" and "°" taken out: "90° CW" gives "90cw".
std::string PlainSpelling(const std::string& text);

//! Number of single-character insertions, deletions and substitutions from a to b.
std::size_t EditDistance(const std::string& a, const std::string& b);

//! The candidate nearest to word when it is near enough to be a likely typing slip, else "".
std::string NearestWord(const std::string& word, const std::vector<std::string>& candidates);

//! One value of an enumerated option and the spellings it is known by; the first is shown.
template <typename Value> struct Choice {
    Value value;
    std::vector<std::string> spellings;
};

//! The index of the choice one of whose spellings has the PlainSpelling of text, or -1.
template <typename Value> int FindChoice(const std::vector<Choice<Value>>& choices, const std::string& text) {
    const std::string plain = PlainSpelling(text);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        for (const std::string& spelling : choices[i].spellings) {
            if (PlainSpelling(spelling) == plain)
                return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tessoly::cli
