// The rule that a batch never replaces a file it wrote earlier in the same run, at the level of one
// item: the set of written files, every spelling of one path, and the Skip policy naming the run's
// own file as the reason.

#include "imageio/WrittenOutputs.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

void WritePicture(const std::string& path, FREE_IMAGE_FORMAT format, int width) {
    const FreeImagePtr image(FreeImage_Allocate(width, 20, 24));
    ASSERT_TRUE(FreeImage_Save(format, image.get(), path.c_str(), 0)) << path;
}

TEST(WrittenOutputs, EverySpellingOfAWrittenFileCountsAndANewRunForgetsThem) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    WrittenOutputs written;
    EXPECT_FALSE(written.Contains(dir.file("out/a.jpg")));
    written.Record(dir.file("out/a.jpg"));
    EXPECT_TRUE(written.Contains(dir.file("out/a.jpg")));
    EXPECT_TRUE(written.Contains(dir.file("out/./a.jpg")));
    EXPECT_TRUE(written.Contains(dir.file("out/../out/a.jpg")));
    EXPECT_FALSE(written.Contains(dir.file("out/a.png")));
    written.Clear();
    EXPECT_FALSE(written.Contains(dir.file("out/a.jpg")));
}

TEST(WrittenOutputs, UnderSkipTheReasonNamesTheRunsOwnFileAndAFailedWriteIsNotRecorded) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    WritePicture(dir.file("x.png"), FIF_PNG, 30);
    WritePicture(dir.file("x.bmp"), FIF_BMP, 40);
    WorkingImage image;
    TTrueTypeFont font;
    OutputSettings output;
    output.formatChoice = "JPEG";
    output.outputFolder = dir.file("out");
    WrittenOutputs written;
    PipelineOptions options;
    options.writtenThisRun = &written;

    const PipelineResult first = ProcessImage(dir.file("x.png"), {}, output, image, font, options);
    ASSERT_EQ(first.status, ItemStatus::Successful) << first.reason;
    const PipelineResult second = ProcessImage(dir.file("x.bmp"), {}, output, image, font, options);
    EXPECT_EQ(second.status, ItemStatus::Skipped);
    EXPECT_EQ(second.reason, dir.file("out/x.jpg") + " was already written by this batch");

    // A target this run never wrote is the policy's alone: an existing file of an earlier run.
    test::WriteFileBytes(dir.file("out/y.jpg"), "earlier");
    std::filesystem::copy_file(dir.file("x.png"), dir.file("y.png"));
    const PipelineResult earlier = ProcessImage(dir.file("y.png"), {}, output, image, font, options);
    EXPECT_EQ(earlier.status, ItemStatus::Skipped);
    EXPECT_EQ(earlier.reason, dir.file("out/y.jpg") + " already exists");

    // A write that fails (the "folder" is a file) leaves the target free for a later item.
    output.outputFolder = dir.file("y.png");
    const PipelineResult failed = ProcessImage(dir.file("x.png"), {}, output, image, font, options);
    EXPECT_EQ(failed.status, ItemStatus::Unsuccessful);
    EXPECT_FALSE(written.Contains(dir.file("y.png/x.jpg")));
}

} // namespace
} // namespace tessoly
