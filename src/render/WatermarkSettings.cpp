#include "render/WatermarkSettings.h"

#include <array>
#include <cstdlib>

namespace tessoly {

int OpacityToAlpha(int position) {
    if (position <= 0) return 0;
    if (position >= 50) return 255;
    // 51 * p / 10 exactly, halves to even: only p = 5, 15, 25, 35, 45 sit on a half.
    const int tenths = 51 * position;
    int whole = tenths / 10;
    const int rest = tenths % 10;
    if (rest > 5 || (rest == 5 && whole % 2 == 1)) ++whole;
    return whole;
}

std::string OpacityPercentText(int position) { return std::to_string(2 * position) + " %"; }

std::string ImageAngleText(int position) { return std::to_string(90 * position - 180) + "\u00B0"; }

int FontPixelHeight(int points, int screenDpi) {
    // points * dpi / 72, halves away from zero, in integers.
    const long long num = static_cast<long long>(points) * screenDpi;
    const long long q = (std::llabs(num) * 2 + 72) / 144;
    return static_cast<int>(num < 0 ? -q : q);
}

namespace {
constexpr std::array<const char*, 9> kPositionNames = {"TopLeft", "TopCenter", "TopRight",   "Left",       "Center",
                                                      "Right",   "BottomLeft", "Bottom",     "BottomRight"};
}

const char* SizeUnitName(SizeUnit unit) { return unit == SizeUnit::PercentOfImage ? "percent" : "pixels"; }

bool ParseSizeUnit(const std::string& name, SizeUnit& unit) {
    if (name == "pixels") {
        unit = SizeUnit::Pixels;
    } else if (name == "percent") {
        unit = SizeUnit::PercentOfImage;
    } else {
        return false;
    }
    return true;
}

bool UsesRelativeSizes(const WatermarkSettings& settings) {
    const bool text = settings.mode == kModeText;
    return (text && settings.fontSizeUnit == SizeUnit::PercentOfImage) ||
           (!text && settings.imageScaleUnit == SizeUnit::PercentOfImage) ||
           settings.hMarginUnit == SizeUnit::PercentOfImage || settings.vMarginUnit == SizeUnit::PercentOfImage;
}

const char* WatermarkPositionName(WatermarkPosition position) {
    return kPositionNames[static_cast<std::size_t>(position)];
}

bool ParseWatermarkPosition(const std::string& name, WatermarkPosition& position) {
    for (std::size_t i = 0; i < kPositionNames.size(); ++i) {
        if (name == kPositionNames[i]) {
            position = static_cast<WatermarkPosition>(i);
            return true;
        }
    }
    return false;
}

} // namespace tessoly
