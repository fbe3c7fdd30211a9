#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "CliTestSupport.h"

namespace tessoly {
namespace {

using test::Line;
using test::RunCli;
using test::RunResult;
using test::WritePicture;

TEST(CliTest, UsageErrorsExitWith2AndNameTheOption) {
    test::ScratchDir dir;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--opacity", "170", "x.png"}, "--opacity: '170' is not a whole number from 0 to 100"},
        {{"--opacity", "-2", "x.png"}, "--opacity: '-2' is not a whole number from 0 to 100"},
        {{"--position", "Middle", "x.png"}, "--position: 'Middle'"},
        {{"--bogus", "x.png"}, "unknown option --bogus\n"},
        {{"--postion", "top-left", "x.png"}, "unknown option --postion; did you mean --position?"},
        {{"--no-bld", "x.png"}, "did you mean --no-bold?"},
        {{"--format", "webp", "x.png"}, "--format: 'webp' is not one of unchanged, bmp, gif, jpeg"},
        {{"--format", "JPG2", "x.png"}, "--format: 'JPG2'"},
        {{"--position", "bottom-rigth", "x.png"}, "did you mean bottom-right?"},
        {{"--shard", "3", "x.png"}, "--shard: '3' is not K/N"},
        {{"--shard", "0/4", "x.png"}, "--shard: '0' is not a whole number from 1 to 4"},
        {{"--shard", "5/4", "x.png"}, "--shard: '5' is not a whole number from 1 to 4"},
        {{"--shard", "1/0", "x.png"}, "--shard: '0' is not a whole number from 1 to"},
        {{"--keep-folders", "x.png"}, "--keep-folders: needs --output-folder"},
        {{"--files-from", "/nonexistent/list.txt"}, "--files-from: cannot read /nonexistent/list.txt"},
        {{"--json=yes", "x.png"}, "--json: takes no value"},
        {{"--jobs", "0", "x.png"}, "--jobs:"},
        {{"--mode", "video", "x.png"}, "--mode: 'video' is not one of"},
        {{"--text-colour", "12345G", "x.png"}, "--text-colour:"},
        {{"--rotation", "90", "x.png"}, "--rotation:"},
        {{"--colour-mode", "Grayscale", "x.png"}, "--colour-mode:"},
        {{"--existing", "replace", "x.png"}, "--existing:"},
        {{"--jpeg-quality", "0", "x.png"}, "--jpeg-quality:"},
        {{"--image-rotation", "5", "x.png"}, "--image-rotation:"},
        {{"--text-angle", "181", "x.png"}, "--text-angle:"},
        {{"--image-scale", "big", "x.png"}, "--image-scale:"},
        {{"--bold=yes", "x.png"}, "--bold: takes no value"},
        {{"x.png", "--caption"}, "--caption: needs a value"},
        {{"--caption", "\xC3\x28", "x.png"}, "--caption: the text is not valid UTF-8"},
        {{}, "no image file or folder given"},
        {{"--format", "PNG"}, "no image file or folder given"},
    };
    for (const auto& c : cases) {
        const RunResult r = RunCli(dir, c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.message;
    }
}

TEST(CliTest, HelpListsTheOptions) {
    test::ScratchDir dir;
    const RunResult r = RunCli(dir, {"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option :
         {"Usage: tessoly-cli", "--opacity", "--existing", "--jobs", "--keep-metadata"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST(CliTest, StatusLinesReasonsEndOfRunMessageAndExitCodes) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    WritePicture(dir.file("good.png"), FIF_PNG, 120, 80);
    WritePicture(dir.file("taken.png"), FIF_PNG, 120, 80);
    test::WriteFileBytes(dir.file("out/taken.jpg"), "earlier output");
    test::WriteFileBytes(dir.file("broken.jpg"), "not a picture");
    const std::string out = dir.file("out");

    const RunResult mixed = RunCli(dir, {"--format", "JPEG", "--output-folder", out, dir.file("good.png"),
                                         dir.file("broken.jpg"), dir.file("taken.png")});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.out, Line("Successful", dir.file("good.png"), out + "/good.jpg") +
                             Line("Unsuccessful", dir.file("broken.jpg"), "") +
                             Line("Skipped", dir.file("taken.png"), out + "/taken.jpg"));
    EXPECT_NE(mixed.err.find(dir.file("broken.jpg") + ": not a supported image\n"), std::string::npos)
        << mixed.err;
    EXPECT_NE(mixed.err.find("skipped " + dir.file("taken.png")), std::string::npos) << mixed.err;
    // The end-of-run count names the causes instead of guessing at them.
    EXPECT_NE(mixed.err.find("tessoly-cli: 2 of 3 images not written (1 not read, 1 skipped)\n"),
              std::string::npos)
        << mixed.err;
    EXPECT_EQ(mixed.err.find("Probably"), std::string::npos) << mixed.err;
    EXPECT_EQ(test::ReadFileBytes(dir.file("out/taken.jpg")), "earlier output");

    const RunResult clean = RunCli(dir, {"--format", "PNG", "--output-folder", out, dir.file("good.png")});
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_EQ(clean.out, Line("Successful", dir.file("good.png"), out + "/good.png"));
    EXPECT_EQ(clean.err, "");
}

TEST(CliTest, OutputStageErrorsFailEachImage) {
    test::ScratchDir dir;
    WritePicture(dir.file("a.png"), FIF_PNG, 60, 40);
    const RunResult r = RunCli(dir, {"--resolution", "abc", "--format", "BMP", dir.file("a.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, Line("Unsuccessful", dir.file("a.png"), ""));
    EXPECT_NE(r.err.find("'abc' is not a valid integer value"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.bmp")));
}

TEST(CliTest, TwoSourcesWithOneTargetUnderSkipWithFourJobs) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    // The first is slow to process, the second quick: only list order may decide.
    WritePicture(dir.file("x.png"), FIF_PNG, 1800, 1200);
    WritePicture(dir.file("x.bmp"), FIF_BMP, 30, 20);
    const std::string out = dir.file("out");
    const RunResult r = RunCli(dir, {"--jobs", "4", "--format", "JPEG", "--output-folder", out,
                                     dir.file("x.png"), dir.file("x.bmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, Line("Successful", dir.file("x.png"), out + "/x.jpg") +
                         Line("Skipped", dir.file("x.bmp"), out + "/x.jpg"));
    const FreeImagePtr written(FreeImage_Load(FIF_JPEG, (out + "/x.jpg").c_str(), 0));
    ASSERT_TRUE(written);
    EXPECT_EQ(FreeImage_GetWidth(written.get()), 1800u);
}

TEST(CliTest, FolderArgumentsAreScannedGroupedByExtension) {
    test::ScratchDir dir;
    const std::filesystem::path photos = dir.path() / "photos";
    std::filesystem::create_directories(photos / "d.jpg");
    WritePicture((photos / "b.png").string(), FIF_PNG, 40, 30);
    WritePicture((photos / "a.JPG").string(), FIF_JPEG, 40, 30);
    WritePicture((photos / "c.bmp").string(), FIF_BMP, 40, 30);
    WritePicture((photos / ".e.png").string(), FIF_PNG, 40, 30);
    WritePicture((photos / "d.jpg" / "inner.png").string(), FIF_PNG, 40, 30);
    test::WriteFileBytes(photos / "notes.txt", "text");
    std::filesystem::create_directory(dir.path() / "out");
    const std::string out = dir.file("out");
    const std::string p = photos.string();
    const RunResult r = RunCli(dir, {"--jobs", "2", "--output-folder", out, p});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Line("Successful", p + "/c.bmp", out + "/c.bmp") +
                         Line("Successful", p + "/a.JPG", out + "/a.jpg") +
                         Line("Successful", p + "/b.png", out + "/b.png"));

    // A file argument is taken as it is, like a file chosen in the dialog: a missing one fails.
    const RunResult missing = RunCli(dir, {dir.file("missing.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, Line("Unsuccessful", dir.file("missing.png"), ""));
    EXPECT_NE(missing.err.find(dir.file("missing.png") + ": no such file\n"), std::string::npos)
        << missing.err;
    std::filesystem::create_directory(dir.path() / "nothing");
    const RunResult nothing = RunCli(dir, {dir.file("nothing")});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_NE(nothing.err.find("Could not found any images!"), std::string::npos);
    EXPECT_EQ(nothing.out, "");
}

} // namespace
} // namespace tessoly
