// The strict version-number grammar is checked by hand before the conversion, because
// std::from_chars alone would accept a prefix ("1.10 beta" -> 1.1) and refuse a leading "+".
// The conversion goes straight from decimal text to float (correctly rounded), so two texts that
// round to the same float compare equal, as the update check expects.

#include "app/VersionNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include <QLocale>

namespace tessoly {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<float> ParseVersionNumber(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;

    std::size_t pos = begin;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t numberStart = pos;
    int digits = 0;
    bool seenPoint = false;
    for (; pos < end; ++pos) {
        if (IsDigit(text[pos]))
            ++digits;
        else if (text[pos] == '.' && !seenPoint)
            seenPoint = true;
        else
            break;
    }
    if (digits == 0)
        return std::nullopt;
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const std::size_t exponentStart = pos;
        while (pos < end && IsDigit(text[pos]))
            ++pos;
        if (pos == exponentStart)
            return std::nullopt;
    }
    if (pos != end)
        return std::nullopt;

    // from_chars takes no sign of its own in front of the mantissa, so the sign is applied after.
    float value = 0.0f;
    const char* first = text.data() + numberStart;
    const char* last = text.data() + end;
    const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || stop != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

QString VersionNumberText(float v) {
    if (!std::isfinite(v))
        return QString();
    std::string digits;
    // A float holds 24 significant bits, so v * 100 is exact in a long double (64 bits) and the
    // rounding below sees the true value, not a decimal approximation of it.
    const long double scaled = static_cast<long double>(v) * 100.0L;
    if (std::fabs(scaled) < 9.0e18L) {
        const long long hundredths = std::llroundl(scaled);
        const unsigned long long magnitude = hundredths < 0
                                                 ? 0ULL - static_cast<unsigned long long>(hundredths)
                                                 : static_cast<unsigned long long>(hundredths);
        const unsigned long long whole = magnitude / 100;
        const unsigned long long fraction = magnitude % 100;
        if (hundredths < 0)
            digits += '-';
        if (whole != 0)
            digits += std::to_string(whole);
        digits += '.';
        digits += static_cast<char>('0' + fraction / 10);
        digits += static_cast<char>('0' + fraction % 10);
    } else {
        // Floats this large are whole numbers, printed exactly.
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.0f.00", static_cast<double>(v));
        digits = buffer;
    }
    QString text = QString::fromLatin1(digits);
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

} // namespace tessoly
