#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "OutputTestImages.h"
#include "imageio/OutputWriter.h"
#include "imageio/SafeFileWrite.h"
#include "render/RenderError.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::FolderNames;

TEST(OutputSafeWriteTest, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    test::ScratchDir dir;
    const std::string target = dir.file("t.bin");
    test::WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0640);
    WriteFileSafely(target, "new bytes", 9);
    EXPECT_EQ(test::ReadFileBytes(target), "new bytes");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"t.bin"});
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(OutputSafeWriteTest, AFolderThatCannotHoldFilesFailsAndKeepsEverything) {
    test::ScratchDir dir;
    // A regular file in place of a folder blocks writes for every user, root included.
    test::WriteFileBytes(dir.file("notafolder"), "plain file");
    WorkingImage image;
    test::PrepareWorkingImage(image, 20, 20, dir.file("a.png"), FIF_PNG);
    OutputSettings settings;
    settings.outputFolder = dir.file("notafolder");
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    EXPECT_TRUE(outcome.OutputFailed);
    EXPECT_FALSE(outcome.OutputSkipped);
    EXPECT_NE(outcome.reason.find("Could not write " + dir.file("notafolder/a.png")), std::string::npos)
        << outcome.reason;
    EXPECT_EQ(test::ReadFileBytes(dir.file("notafolder")), "plain file");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"notafolder"});

    settings.outputFolder = dir.file("missing");
    EXPECT_TRUE(SaveOutputImage(image, settings).OutputFailed);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(OutputSafeWriteTest, AReadOnlyFolderFailsAndKeepsTheOldTarget) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: folder permissions do not block writes";
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "ro");
    test::WriteFileBytes(dir.path() / "ro" / "a.png", "old output");
    ::chmod((dir.path() / "ro").c_str(), 0555);
    WorkingImage image;
    test::PrepareWorkingImage(image, 20, 20, dir.file("a.png"), FIF_PNG);
    OutputSettings settings;
    settings.outputFolder = dir.file("ro");
    settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    EXPECT_TRUE(outcome.OutputFailed);
    EXPECT_EQ(test::ReadFileBytes(dir.path() / "ro" / "a.png"), "old output");
    EXPECT_EQ(FolderNames(dir.path() / "ro"), std::vector<std::string>{"a.png"});
}

TEST(OutputSafeWriteTest, AReadOnlyTargetFileIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not block writes";
    test::ScratchDir dir;
    const std::string target = dir.file("t.bin");
    test::WriteFileBytes(target, "keep me");
    ::chmod(target.c_str(), 0444);
    EXPECT_THROW(WriteFileSafely(target, "x", 1), RenderError);
    EXPECT_EQ(test::ReadFileBytes(target), "keep me");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"t.bin"});
}

TEST(OutputSafeWriteTest, AFolderOfTheTargetsNameIsAFailure) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "a.bmp");
    EXPECT_THROW(WriteFileSafely(dir.file("a.bmp"), "x", 1), RenderError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a.bmp"));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.bmp"});
}

// The disk fills up part way through: a file size limit in a child process makes the write fail
// with EFBIG after some bytes (SIGXFSZ ignored, as a full disk fails with ENOSPC). Formats whose
// plain library save reports success on a full disk are among the cases.
TEST(OutputSafeWriteTest, AFullDiskKeepsTheOldTargetByteForByteAndLeavesNoTemporaryFile) {
    for (const char* format : {"BMP", "PNG", "TIFF", "TGA", "JPEG"}) {
        test::ScratchDir dir;
        WorkingImage image;
        // Noise does not compress, so every format needs far more than the limit.
        test::PrepareWorkingImage(image, 300, 300, dir.file("src.bmp"), FIF_BMP);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x)
                image.ComposedBitmap.SetPixel(
                    x, y, 0xFF000000u | static_cast<std::uint32_t>((x * 2654435761u) ^ (y * 40503u)));
        OutputSettings settings;
        settings.formatChoice = format;
        settings.jpegQuality = 100;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        // Find the target name first, then plant an old output there.
        const std::string target =
            OutputBasePath(image.CurrentImagePath, "") + (std::string(format) == "JPEG"   ? ".jpg"
                                                          : std::string(format) == "TIFF" ? ".tif"
                                                          : std::string(format) == "TGA"  ? ".tga"
                                                          : std::string(format) == "PNG"  ? ".png"
                                                                                          : ".bmp");
        const std::string old(4000, 'o');
        test::WriteFileBytes(target, old);

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{16384, 16384};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const OutputOutcome outcome = SaveOutputImage(image, settings);
            ::_exit(outcome.OutputFailed && !outcome.OutputSkipped ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << format;
        EXPECT_EQ(WEXITSTATUS(status), 0) << format << ": the write was not reported as failed";
        EXPECT_EQ(test::ReadFileBytes(target), old) << format;
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{std::filesystem::path(target).filename()})
            << format;
    }
}

} // namespace
} // namespace tessoly
