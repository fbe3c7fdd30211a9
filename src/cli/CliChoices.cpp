#include "cli/CliChoices.h"

#include <algorithm>
#include <numeric>

namespace tessoly::cli {

std::string PlainSpelling(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '-' || c == '_' || c == '\t')
            continue;
        if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xB0') {
            ++i; // the degree sign, U+00B0 in UTF-8
            continue;
        }
        plain.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return plain;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
    // One row of the Wagner-Fischer table at a time.
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string NearestWord(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(word, candidate);
        if (best.empty() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    // A slip changes a few letters; beyond a third of the word it is another word.
    const std::size_t allowed = std::max<std::size_t>(2, word.size() / 3);
    return !best.empty() && bestDistance <= allowed ? best : "";
}

} // namespace tessoly::cli
