// tessoly-cli's sizes in percent, tiling and --preset: the preset's settings with later options
// overriding them, refused presets as usage errors naming the file and the key, unknown keys as
// warnings.

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <FreeImage.h>

#include "CliTestSupport.h"
#include "batch/PresetFile.h"
#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string err;
};

CliRun Cli(const test::ScratchDir& scratch, const std::vector<std::string>& args) {
    const std::string errPath = scratch.file("stderr.txt");
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(null, 1);
        ::dup2(err, 2);
        test::ExecCli(args);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadFileBytes(errPath)};
}

void WriteGrey(const std::string& path, int width, int height) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    RGBQUAD colour{90, 120, 150, 0};
    FreeImage_FillBackground(image.get(), &colour);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
}

struct CliPresetTest : ::testing::Test {
    test::ScratchDir dir;
    void SetUp() override {
        WriteGrey(dir.file("a.png"), 320, 200);
        for (const char* folder : {"one", "two", "three"})
            std::filesystem::create_directory(dir.path() / folder);
    }
    std::string Out(const char* folder) { return test::ReadFileBytes(dir.path() / folder / "a.png"); }
};

TEST_F(CliPresetTest, OptionsAfterThePresetOverrideItAndPercentSpellingsMatchThePreset) {
    PresetSettings preset;
    preset.watermark.fontSize = 8;
    preset.watermark.fontSizeUnit = SizeUnit::PercentOfImage;
    preset.watermark.hMargin = 3;
    preset.watermark.hMarginUnit = SizeUnit::PercentOfImage;
    preset.watermark.position = WatermarkPosition::TopLeft;
    preset.watermark.tile = true;
    preset.watermark.tileSpacing = 40;
    preset.watermark.opacityPosition = 20;
    preset.output.formatChoice = "PNG";
    SavePresetFile(dir.file("p.tessoly-preset"), preset);

    // The preset with the opacity overridden after it...
    const CliRun a = Cli(dir, {"--opacity", "45", "--preset", dir.file("p.tessoly-preset"), "--opacity", "35",
                               "--output-folder", dir.file("one"), dir.file("a.png")});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    // ... equals the same settings spelt as options.
    const CliRun b = Cli(dir, {"--font-size", "8%", "--h-margin", "3%", "--position", "TopLeft", "--tile",
                               "--tile-spacing", "40", "--opacity", "35", "--format", "PNG",
                               "--output-folder", dir.file("two"), dir.file("a.png")});
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_FALSE(Out("one").empty());
    EXPECT_TRUE(Out("one") == Out("two"));
    // And the preset's own opacity gives another picture.
    const CliRun c = Cli(dir, {"--preset", dir.file("p.tessoly-preset"), "--output-folder", dir.file("three"),
                               dir.file("a.png")});
    ASSERT_EQ(c.exitCode, 0) << c.err;
    EXPECT_FALSE(Out("three") == Out("one"));
}

TEST_F(CliPresetTest, PictureScaleInPercentOfTheImageWidth) {
    WriteGrey(dir.file("logo.png"), 50, 20);
    for (const char* spelling : {"20%", "20%w"}) {
        const CliRun r = Cli(dir, {"--mode", "image", "--picture-path", dir.file("logo.png"), "--image-scale",
                                   spelling, "--format", "PNG", "--existing", "overwrite", "--output-folder",
                                   dir.file("one"), dir.file("a.png")});
        ASSERT_EQ(r.exitCode, 0) << spelling << ": " << r.err;
    }
}

TEST_F(CliPresetTest, RefusedPresetsAndBadSpellingsAreUsageErrors) {
    std::ofstream(dir.file("bad.tessoly-preset")) << R"({"format": "tessoly-preset", "version": 1,
        "output": {"jpegQuality": 0}})";
    std::ofstream(dir.file("cut.tessoly-preset")) << R"({"format": "tessoly-preset", "vers)";
    std::ofstream(dir.file("new.tessoly-preset")) << R"({"format": "tessoly-preset", "version": 9})";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--preset", dir.file("bad.tessoly-preset"), dir.file("a.png")}, "\"output.jpegQuality\""},
        {{"--preset", dir.file("cut.tessoly-preset"), dir.file("a.png")}, dir.file("cut.tessoly-preset")},
        {{"--preset", dir.file("new.tessoly-preset"), dir.file("a.png")}, "\"version\""},
        {{"--preset", dir.file("none.tessoly-preset"), dir.file("a.png")}, dir.file("none.tessoly-preset")},
        {{"--font-size", "150%", dir.file("a.png")}, "--font-size:"},
        {{"--font-size", "4%%", dir.file("a.png")}, "--font-size:"},
        {{"--h-margin", "%", dir.file("a.png")}, "--h-margin:"},
        {{"--v-margin", "2%w", dir.file("a.png")}, "--v-margin:"},
        {{"--tile-spacing", "-1", dir.file("a.png")}, "--tile-spacing:"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(dir, c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "one"));
}

TEST_F(CliPresetTest, UnknownKeysAreWarnedAbout) {
    std::ofstream(dir.file("later.tessoly-preset")) << R"({"format": "tessoly-preset", "version": 1,
        "watermark": {"sparkle": true}, "output": {"formatChoice": "PNG", "format": "PNG"}})";
    const CliRun r = Cli(dir, {"--preset", dir.file("later.tessoly-preset"), "--output-folder",
                               dir.file("one"), dir.file("a.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("\"watermark.sparkle\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\"output.formatChoice\""), std::string::npos) << r.err;
    EXPECT_FALSE(Out("one").empty());
}

} // namespace
} // namespace tessoly
