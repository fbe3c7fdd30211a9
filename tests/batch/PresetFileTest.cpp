// Preset files: every field survives a round trip, the picture is kept relative beside the
// preset, and a damaged, cut, newer or out-of-range preset is refused naming the file and the
// key without touching the settings it was read onto.

#include "batch/PresetFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! Every field away from its default.
PresetSettings Designed(const std::string& picture) {
    PresetSettings p;
    WatermarkSettings& w = p.watermark;
    w.mode = kModeImage;
    w.caption = u"\u00A9 Caf\u00E9 \"quoted\"";
    w.fontName = "DejaVu Serif";
    w.fontSize = 7;
    w.fontSizeUnit = SizeUnit::PercentOfImage;
    w.bold = false;
    w.italic = true;
    w.textColour = 0xFF12AB34u;
    w.outline = false;
    w.effect3D = false;
    w.opacityPosition = 45;
    w.textAngle = -33;
    w.position = WatermarkPosition::BottomLeft;
    w.hMargin = -12;
    w.hMarginUnit = SizeUnit::PercentOfImage;
    w.vMargin = 4;
    w.vMarginUnit = SizeUnit::PercentOfImage;
    w.picturePath = picture;
    w.transparentEdges = true;
    w.imageScaleText = "25";
    w.imageScaleUnit = SizeUnit::PercentOfImage;
    w.imageRotationPosition = 3;
    w.tile = true;
    w.tileSpacing = 120;
    w.screenDpi = 120;
    OutputSettings& o = p.output;
    o.formatChoice = "PNG";
    o.resolutionChoice = "300";
    o.colourMode = "Greyscale";
    o.jpegQuality = 91;
    o.keepMetadata = false;
    o.applyExifOrientation = false;
    o.losslessJpeg = true;
    o.jpegSubsampling = "4:4:4";
    o.jpegProgressive = true;
    o.webpLossless = true;
    o.rotation = kRotation90CCW;
    o.resize = true;
    o.widthText = "0";
    o.heightText = "640";
    o.proportional = true;
    o.outputFolder = "/tmp/out put";
    o.existingFilePolicy = ExistingFilePolicy::Rename;
    return p;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(PresetFile, EveryFieldSurvivesARoundTrip) {
    test::ScratchDir dir;
    const PresetSettings saved = Designed(dir.file("logo.png"));
    SavePresetFile(dir.file("a.tessoly-preset"), saved);
    PresetSettings read;
    const PresetLoad load = LoadPresetFile(dir.file("a.tessoly-preset"), read);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_TRUE(load.warnings.empty());
    // Same text written again: every field came back as it was.
    EXPECT_EQ(PresetText(read, dir.file("a.tessoly-preset")),
              PresetText(saved, dir.file("a.tessoly-preset")));
    EXPECT_EQ(read.watermark.caption, saved.watermark.caption);
    EXPECT_EQ(read.watermark.picturePath, saved.watermark.picturePath);
    EXPECT_EQ(read.output.existingFilePolicy, ExistingFilePolicy::Rename);
}

TEST(PresetFile, APictureBesideThePresetIsStoredRelative) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "kit" / "logos");
    const std::string preset = dir.file("kit/mark.tessoly-preset");
    SavePresetFile(preset, Designed(dir.file("kit/logos/logo.png")));
    std::ifstream in(preset);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("\"picturePath\": \"logos/logo.png\""), std::string::npos) << text;

    // Moved with its picture, the preset finds it at the new place.
    std::filesystem::rename(dir.path() / "kit", dir.path() / "moved");
    PresetSettings read;
    ASSERT_TRUE(LoadPresetFile(dir.file("moved/mark.tessoly-preset"), read).ok);
    EXPECT_EQ(read.watermark.picturePath, dir.file("moved/logos/logo.png"));

    // A picture elsewhere keeps its full path.
    const std::string other = dir.file("moved/other.tessoly-preset");
    SavePresetFile(other, Designed("/usr/share/pixmaps/elsewhere.png"));
    ASSERT_TRUE(LoadPresetFile(other, read).ok);
    EXPECT_EQ(read.watermark.picturePath, "/usr/share/pixmaps/elsewhere.png");
}

TEST(PresetFile, MissingKeysTakeTheDefaultsAndUnknownKeysWarn) {
    test::ScratchDir dir;
    const std::string path = dir.file("p.tessoly-preset");
    Write(path, R"({"format": "tessoly-preset", "version": 1,
                    "watermark": {"opacity": 10, "glow": true}, "future": {}})");
    PresetSettings read = Designed("");
    const PresetLoad load = LoadPresetFile(path, read);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_EQ(read.watermark.opacityPosition, 10);
    EXPECT_EQ(read.watermark.fontSize, 60);
    EXPECT_EQ(read.output.formatChoice, "Unchanged");
    ASSERT_EQ(load.warnings.size(), 2u);
    EXPECT_NE(load.warnings[0].find("\"future\""), std::string::npos) << load.warnings[0];
    EXPECT_NE(load.warnings[1].find("\"watermark.glow\""), std::string::npos) << load.warnings[1];
    EXPECT_NE(load.warnings[1].find(path), std::string::npos);
}

struct RefusedCase {
    const char* name;
    const char* text;
    //! Must appear in the message besides the file's path.
    const char* names;
};

class RefusedPreset : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPreset, IsRefusedNamingTheFileAndTheKeyAndChangesNothing) {
    test::ScratchDir dir;
    const std::string path = dir.file("bad.tessoly-preset");
    Write(path, GetParam().text);
    const PresetSettings before = Designed("/pictures/p.png");
    PresetSettings settings = before;
    const PresetLoad load = LoadPresetFile(path, settings);
    EXPECT_FALSE(load.ok);
    EXPECT_NE(load.error.find(path), std::string::npos) << load.error;
    EXPECT_NE(load.error.find(GetParam().names), std::string::npos) << load.error;
    EXPECT_EQ(PresetText(settings, path), PresetText(before, path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedPreset,
    ::testing::Values(
        RefusedCase{"Corrupt",
                    "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"opacity\" 3}}",
                    "damaged"},
        RefusedCase{"Truncated", "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"opac",
                    "cut short"},
        RefusedCase{"Empty", "", "damaged"}, RefusedCase{"NotAPreset", "{\"version\": 1}", "\"format\""},
        RefusedCase{"NoVersion", "{\"format\": \"tessoly-preset\"}", "\"version\""},
        RefusedCase{"NewerVersion", "{\"format\": \"tessoly-preset\", \"version\": 2}", "\"version\""},
        RefusedCase{"OpacityOutOfRange",
                    "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"opacity\": 70}}",
                    "\"watermark.opacity\""},
        RefusedCase{"HugeNumber",
                    "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"opacity\": 1e300}}",
                    "\"watermark.opacity\""},
        RefusedCase{"FractionalAngle",
                    "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"textAngle\": 1.5}}",
                    "\"watermark.textAngle\""},
        RefusedCase{
            "UnknownPosition",
            "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"position\": \"Middle\"}}",
            "\"watermark.position\""},
        RefusedCase{
            "ScaleNotANumber",
            "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"imageScale\": \"big\"}}",
            "\"watermark.imageScale\""},
        RefusedCase{"WrongType",
                    "{\"format\": \"tessoly-preset\", \"version\": 1, \"output\": {\"resize\": \"yes\"}}",
                    "\"output.resize\""},
        RefusedCase{
            "BadUnit",
            "{\"format\": \"tessoly-preset\", \"version\": 1, \"watermark\": {\"hMarginUnit\": \"cm\"}}",
            "\"watermark.hMarginUnit\""},
        RefusedCase{"SectionNotAnObject", "{\"format\": \"tessoly-preset\", \"version\": 1, \"output\": 3}",
                    "\"output\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PresetFile, AMissingFileIsRefusedNamingIt) {
    test::ScratchDir dir;
    PresetSettings settings;
    const PresetLoad load = LoadPresetFile(dir.file("none.tessoly-preset"), settings);
    EXPECT_FALSE(load.ok);
    EXPECT_NE(load.error.find(dir.file("none.tessoly-preset")), std::string::npos);
}

} // namespace
} // namespace tessoly
