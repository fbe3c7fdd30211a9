#include "imageio/DecodeFixtures.h"

#include <algorithm>

namespace tessoly::test {

FIBITMAP* MakeDib32(const Picture& picture) {
    FIBITMAP* dib = FreeImage_Allocate(picture.width, picture.height, 32);
    for (int y = 0; y < picture.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(dib, picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const TColor32 c = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
            row[4 * x + FI_RGBA_BLUE] = static_cast<BYTE>(BlueOf(c));
            row[4 * x + FI_RGBA_GREEN] = static_cast<BYTE>(GreenOf(c));
            row[4 * x + FI_RGBA_RED] = static_cast<BYTE>(RedOf(c));
            row[4 * x + FI_RGBA_ALPHA] = static_cast<BYTE>(AlphaOf(c));
        }
    }
    return dib;
}

void SaveDib(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const std::string& path, int flags) {
    ASSERT_NE(dib, nullptr);
    const BOOL saved = FreeImage_Save(format, dib, path.c_str(), flags);
    FreeImage_Unload(dib);
    ASSERT_TRUE(saved) << path;
}

Picture Gradient(int width, int height) {
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            p.pixels.push_back(Color32(255, static_cast<unsigned>(x * 255 / std::max(width - 1, 1)),
                                       static_cast<unsigned>(y * 255 / std::max(height - 1, 1)), 90));
        }
    }
    return p;
}

void ExpectPixels(const TBitmap32& bitmap, const Picture& picture) {
    ASSERT_EQ(bitmap.Width(), picture.width);
    ASSERT_EQ(bitmap.Height(), picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            ASSERT_EQ(bitmap.Pixel(x, y), picture.pixels[static_cast<std::size_t>(y * picture.width + x)])
                << "at (" << x << ", " << y << ")";
        }
    }
}

namespace {
void Put16Le(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}
void Append16Be(std::string& s, unsigned v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v & 0xFF);
}
void Append32Be(std::string& s, std::uint32_t v) {
    Append16Be(s, v >> 16);
    Append16Be(s, v & 0xFFFF);
}
} // namespace

std::string MakePcx8(int width, int height, const std::vector<std::uint8_t>& indices,
                     const std::vector<TColor32>& palette, int dpi) {
    std::string s(128, '\0');
    const int bytesPerLine = (width + 1) / 2 * 2;
    s[0] = 0x0A;
    s[1] = 5; // version 3.0 with a 256-colour palette
    s[2] = 1; // run-length coded
    s[3] = 8;
    Put16Le(s, 8, static_cast<unsigned>(width - 1));
    Put16Le(s, 10, static_cast<unsigned>(height - 1));
    Put16Le(s, 12, static_cast<unsigned>(dpi));
    Put16Le(s, 14, static_cast<unsigned>(dpi));
    s[65] = 1;
    Put16Le(s, 66, static_cast<unsigned>(bytesPerLine));
    Put16Le(s, 68, 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < bytesPerLine; ++x) {
            const std::uint8_t v = x < width ? indices[static_cast<std::size_t>(y * width + x)] : 0;
            // Every byte as a run of one, so values of 0xC0 and above are coded correctly.
            s += static_cast<char>(0xC1);
            s += static_cast<char>(v);
        }
    }
    s += static_cast<char>(0x0C);
    for (int i = 0; i < 256; ++i) {
        const TColor32 c = i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : 0;
        s += static_cast<char>(RedOf(c));
        s += static_cast<char>(GreenOf(c));
        s += static_cast<char>(BlueOf(c));
    }
    return s;
}

std::string MakePsdRgb(const Picture& picture) {
    std::string s = "8BPS";
    Append16Be(s, 1);  // version
    s.append(6, '\0'); // reserved
    Append16Be(s, 3);  // channels
    Append32Be(s, static_cast<std::uint32_t>(picture.height));
    Append32Be(s, static_cast<std::uint32_t>(picture.width));
    Append16Be(s, 8); // bits per channel
    Append16Be(s, 3); // RGB
    Append32Be(s, 0); // colour mode data
    Append32Be(s, 0); // image resources
    Append32Be(s, 0); // layers and masks
    Append16Be(s, 0); // raw planes
    for (int channel = 0; channel < 3; ++channel) {
        for (const TColor32 c : picture.pixels) {
            s += static_cast<char>(channel == 0 ? RedOf(c) : channel == 1 ? GreenOf(c) : BlueOf(c));
        }
    }
    return s;
}

} // namespace tessoly::test
