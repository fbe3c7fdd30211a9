// Transparency from source to output: formats that hold alpha keep the composed alpha of a
// source with transparent pixels (32-bit alpha or a palette's transparent entries); every other
// output, and every output of an opaque source, is byte for byte what the opaque route writes.

#include <gtest/gtest.h>
#include <string>

#include "OutputTestImages.h"
#include "imageio/DecodeFixtures.h"
#include "imageio/OutputCapabilities.h"
#include "imageio/OutputWriter.h"
#include "imageio/SourceDecoder.h"

namespace tessoly::test {
namespace {

//! A 4 x 2 picture: a transparent pixel hiding a colour, a half-transparent one, opaque ones.
Picture LogoPicture() {
    return {4, 2, {0x00FF0000u, 0x80102030u, 0xFF405060u, 0xFF708090u,
                   0x00000000u, 0x0000FF00u, 0xFFA0B0C0u, 0x40FFFFFFu}};
}

//! An 8-bit palette picture whose entry 0 is fully transparent (as a GIF's transparent index).
FIBITMAP* MakeTransparentPaletteDib() {
    FIBITMAP* dib = FreeImage_Allocate(4, 2, 8);
    RGBQUAD* palette = FreeImage_GetPalette(dib);
    for (int i = 0; i < 256; ++i) {
        palette[i].rgbRed = static_cast<BYTE>(i);
        palette[i].rgbGreen = static_cast<BYTE>(255 - i);
        palette[i].rgbBlue = static_cast<BYTE>(i * 3);
    }
    for (unsigned y = 0; y < 2; ++y) {
        for (unsigned x = 0; x < 4; ++x) {
            BYTE index = static_cast<BYTE>(x == 0 ? 0 : 10 * x + y);
            FreeImage_SetPixelIndex(dib, x, y, &index);
        }
    }
    FreeImage_SetTransparentIndex(dib, 0);
    return dib;
}

class OutputTransparencyTest : public DecodeTest {
protected:
    //! Decodes path as the batch does for settings, composes nothing (the composed picture is
    //! the source) and writes the output; returns the written file's bytes.
    std::string Write(const std::string& path, const OutputSettings& settings, bool withRule = true) {
        PaletteAlphaRule rule;
        if (withRule)
            rule = [&settings](int format) { return OutputHoldsAlpha(settings, format); };
        EXPECT_TRUE(DecodeSourceImage(image_, path, DecodeTargets::SourceOnly, true, rule));
        image_.ComposedBitmap.Assign(image_.SourceBitmap);
        const OutputOutcome outcome = SaveOutputImage(image_, settings);
        ReleaseSourceImage(image_);
        EXPECT_FALSE(outcome.OutputFailed) << outcome.reason;
        const std::string bytes = ReadFileBytes(outcome.targetPath);
        std::filesystem::remove(outcome.targetPath);
        return bytes;
    }
    //! The same output through the opaque route: the source's transparency forced away.
    std::string WriteOpaque(const std::string& path, const OutputSettings& settings) {
        EXPECT_TRUE(DecodeSourceImage(image_, path, DecodeTargets::SourceOnly));
        image_.SourceHasTransparency = false;
        image_.ComposedBitmap.Assign(image_.SourceBitmap);
        const OutputOutcome outcome = SaveOutputImage(image_, settings);
        ReleaseSourceImage(image_);
        EXPECT_FALSE(outcome.OutputFailed) << outcome.reason;
        const std::string bytes = ReadFileBytes(outcome.targetPath);
        std::filesystem::remove(outcome.targetPath);
        return bytes;
    }
    OutputSettings SettingsFor(const char* format) {
        OutputSettings settings;
        settings.formatChoice = format;
        settings.outputFolder = out_.path().string();
        return settings;
    }
    ScratchDir out_;
};

TEST_F(OutputTransparencyTest, AlphaFormatsKeepTheComposedAlphaAndTheColoursUnderIt) {
    const std::string path = dir_.file("logo.png");
    SaveDib(MakeDib32(LogoPicture()), FIF_PNG, path);
    for (const char* format : {"PNG", "TIFF", "TGA"}) {
        const std::string bytes = Write(path, SettingsFor(format));
        ASSERT_TRUE(image_.SourceHasTransparency);
        const std::string written = out_.file(std::string("w.") + format);
        WriteFileBytes(written, bytes);
        const FreeImagePtr loaded = LoadOutput(written);
        ASSERT_TRUE(loaded) << format;
        ASSERT_EQ(FreeImage_GetBPP(loaded.get()), 32u) << format;
        TBitmap32 back;
        back.SetSize(4, 2);
        for (int y = 0; y < 2; ++y) {
            const BYTE* row = FreeImage_GetScanLine(loaded.get(), 1 - y);
            for (int x = 0; x < 4; ++x) {
                const BYTE* p = row + 4 * x;
                back.SetPixel(x, y, Color32(p[FI_RGBA_ALPHA], p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]));
            }
        }
        ExpectPixels(back, LogoPicture());
    }
}

TEST_F(OutputTransparencyTest, FormatsWithoutAlphaWriteWhatTheOpaqueRouteWrites) {
    const std::string path = dir_.file("logo.png");
    SaveDib(MakeDib32(LogoPicture()), FIF_PNG, path);
    for (const char* format : {"JPEG", "BMP", "GIF"}) {
        EXPECT_EQ(Write(path, SettingsFor(format)), WriteOpaque(path, SettingsFor(format))) << format;
    }
}

TEST_F(OutputTransparencyTest, AnOpaqueSourceWritesTheOpaqueRouteInEveryFormat) {
    const std::string path = dir_.file("opaque.png");
    SaveDib(MakeDib32(Gradient(40, 32)), FIF_PNG, path);
    for (const char* format : {"PNG", "TIFF", "TGA", "JPEG", "BMP", "GIF"}) {
        EXPECT_EQ(Write(path, SettingsFor(format)), WriteOpaque(path, SettingsFor(format))) << format;
        EXPECT_FALSE(image_.SourceHasTransparency);
    }
}

TEST_F(OutputTransparencyTest, APalettesTransparentEntryBecomesAlphaOnlyForOutputsThatHoldIt) {
    struct Case {
        const char* source;
        FREE_IMAGE_FORMAT format;
    };
    for (const Case& c : {Case{"palette.png", FIF_PNG}, Case{"palette.gif", FIF_GIF}}) {
        const std::string path = dir_.file(c.source);
        SaveDib(MakeTransparentPaletteDib(), c.format, path);
        // A JPEG, a BMP, and the GIF an unchanged GIF source gives, are today's bytes.
        for (const char* format : {"JPEG", "BMP", "GIF", "Unchanged"}) {
            OutputSettings settings = SettingsFor(format);
            if (std::string(format) == "Unchanged" && c.format != FIF_GIF)
                continue;
            EXPECT_EQ(Write(path, settings), Write(path, settings, false)) << c.source << " " << format;
        }
        const std::string written = out_.file("palette-out.png");
        WriteFileBytes(written, Write(path, SettingsFor("PNG")));
        const FreeImagePtr loaded = LoadOutput(written);
        ASSERT_TRUE(loaded);
        ASSERT_EQ(FreeImage_GetBPP(loaded.get()), 32u) << c.source;
        for (unsigned y = 0; y < 2; ++y) {
            const BYTE* row = FreeImage_GetScanLine(loaded.get(), static_cast<int>(y));
            EXPECT_EQ(row[FI_RGBA_ALPHA], 0) << c.source;      // the transparent entry
            EXPECT_EQ(row[4 + FI_RGBA_ALPHA], 255) << c.source; // an opaque one
        }
    }
}

TEST_F(OutputTransparencyTest, AGreyOutputOfATransparentSourceKeepsItsAlpha) {
    const std::string path = dir_.file("logo.png");
    SaveDib(MakeDib32(LogoPicture()), FIF_PNG, path);
    OutputSettings settings = SettingsFor("PNG");
    settings.colourMode = "Greyscale";
    const std::string written = out_.file("grey.png");
    WriteFileBytes(written, Write(path, settings));
    const FreeImagePtr loaded = LoadOutput(written);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(FreeImage_GetBPP(loaded.get()), 32u);
    const Picture logo = LogoPicture();
    for (int y = 0; y < 2; ++y) {
        const BYTE* row = FreeImage_GetScanLine(loaded.get(), 1 - y);
        for (int x = 0; x < 4; ++x) {
            const BYTE* p = row + 4 * x;
            EXPECT_EQ(p[FI_RGBA_ALPHA], AlphaOf(logo.pixels[static_cast<std::size_t>(y * 4 + x)]));
            EXPECT_EQ(p[FI_RGBA_RED], p[FI_RGBA_BLUE]);
        }
    }
}

} // namespace
} // namespace tessoly::test
