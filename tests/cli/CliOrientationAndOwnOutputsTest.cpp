// tessoly-cli on camera-like inputs: photos stored sideways with an Exif orientation are marked
// where a viewer shows the corner, and a batch never replaces a file it wrote itself earlier in
// the same run (three folders holding a DSC_0001.jpg each, into one output folder).

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "CliTestSupport.h"
#include "imageio/FreeImageHandle.h"
#include "support/ExifJpegFixture.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::RunResult;

std::string Line(const char* status, const std::string& source, const std::string& target) {
    return std::string(status) + "\t" + source + "\t" + target + "\n";
}

//! Bounding box of the pixels the mark changed: those far from the grey background, outside the
//! four 16 x 16 corners (where the source's red block may be).
struct MarkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
MarkBox FindMark(FIBITMAP* dib) {
    MarkBox box;
    const int width = static_cast<int>(FreeImage_GetWidth(dib)), height = static_cast<int>(FreeImage_GetHeight(dib));
    for (int y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(dib, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const bool corner = (x < 16 || x >= width - 16) && (y < 16 || y >= height - 16);
            const BYTE* p = row + 3 * x;
            const int diff = std::abs(p[FI_RGBA_RED] - 128) + std::abs(p[FI_RGBA_GREEN] - 128) +
                             std::abs(p[FI_RGBA_BLUE] - 128);
            if (corner || diff < 60)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

bool IsRed(FIBITMAP* dib, int x, int y) {
    RGBQUAD c{};
    FreeImage_GetPixelColor(dib, static_cast<unsigned>(x), FreeImage_GetHeight(dib) - 1 - static_cast<unsigned>(y), &c);
    return c.rgbRed > 180 && c.rgbGreen < 80 && c.rgbBlue < 80;
}

TEST(CliOrientationTest, BottomRightIsWhereAViewerShowsItAndNoAutoOrientKeepsTheOldResult) {
    test::ScratchDir dir;
    fs::create_directory(dir.path() / "out");
    const std::string out = dir.file("out");
    const FreeImagePtr picture = test::CornerPicture(160, 96, 8);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string name = "o" + std::to_string(orientation);
        const std::string source = dir.file(name + ".jpg");
        test::WriteOrientedJpeg(source, picture.get(), orientation);
        for (const bool autoOrient : {true, false}) {
            const std::string what = name + (autoOrient ? " auto-orient" : " no-auto-orient");
            // Without Exif in the output a viewer shows its pixels as they are.
            const RunResult r = RunCli(
                dir, {autoOrient ? "--auto-orient" : "--no-auto-orient", "--no-keep-metadata", "--format", "PNG",
                      "--existing", "overwrite", "--position", "BottomRight", "--caption", "Tq", "--font-size",
                      "14", "--h-margin", "20", "--v-margin", "20", "--output-folder", out, source});
            ASSERT_EQ(r.exitCode, 0) << what << ": " << r.err;
            const FreeImagePtr written(FreeImage_Load(FIF_PNG, (out + "/" + name + ".png").c_str(), 0));
            ASSERT_TRUE(written) << what;
            const int shown = autoOrient ? orientation : 1;
            const int w = shown >= 5 ? 96 : 160, h = shown >= 5 ? 160 : 96;
            ASSERT_EQ(static_cast<int>(FreeImage_GetWidth(written.get())), w) << what;
            ASSERT_EQ(static_cast<int>(FreeImage_GetHeight(written.get())), h) << what;
            int vx = 0, vy = 0;
            test::ViewedPosition(shown, 160, 96, 3, 3, vx, vy);
            EXPECT_TRUE(IsRed(written.get(), vx, vy)) << what << ": the stored corner is not at " << vx << "," << vy;
            const MarkBox mark = FindMark(written.get());
            ASSERT_GE(mark.right, 0) << what << ": no mark";
            EXPECT_GT(mark.left, w / 2) << what;
            EXPECT_GT(mark.top, h / 2) << what;
            // The margins of 20 are measured from the edges as shown (the shadow reaches past them).
            EXPECT_GE(mark.right, w - 26) << what;
            EXPECT_GE(mark.bottom, h - 26) << what;
        }
    }
}

struct OwnOutputsCase {
    const char* policy;
    const char* jobs;
};

class CliOwnOutputsTest : public testing::TestWithParam<OwnOutputsCase> {};

//! Three sources of one name in three folders, told apart by their widths 40, 50 and 60.
std::vector<std::string> ThreeCameraFolders(const test::ScratchDir& dir) {
    std::vector<std::string> sources;
    for (int i = 1; i <= 3; ++i) {
        const fs::path folder = dir.path() / ("c" + std::to_string(i));
        fs::create_directories(folder);
        const FreeImagePtr dib = test::CornerPicture(30 + 10 * i, 30, 4);
        const std::string path = (folder / "DSC_0001.jpg").string();
        test::WriteFileBytes(path, test::EncodeJpeg(dib.get()));
        sources.push_back(path);
    }
    return sources;
}

unsigned WidthOf(const std::string& path) {
    const FreeImagePtr dib(FreeImage_Load(FIF_JPEG, path.c_str(), 0));
    return dib ? FreeImage_GetWidth(dib.get()) : 0u;
}

TEST_P(CliOwnOutputsTest, ALaterItemIsSkippedInsteadOfReplacingAnOutputOfTheRun) {
    const OwnOutputsCase& c = GetParam();
    test::ScratchDir dir;
    const std::vector<std::string> sources = ThreeCameraFolders(dir);
    fs::create_directory(dir.path() / "out");
    const std::string out = dir.file("out");
    const std::string plain = out + "/DSC_0001.jpg", renamed = out + "/DSC_0001_Renamed_by_TLY.jpg";
    const bool rename = std::string(c.policy) == "rename";

    const RunResult r = RunCli(dir, {"--jobs", c.jobs, "--existing", c.policy, "--output-folder", out, sources[0],
                                     sources[1], sources[2]});
    EXPECT_EQ(r.exitCode, 1);
    if (rename) {
        EXPECT_EQ(r.out, Line("Successful", sources[0], plain) + Line("Successful", sources[1], renamed) +
                             Line("Skipped", sources[2], renamed));
        EXPECT_NE(r.err.find("skipped " + sources[2] + ": " + renamed + " was already written by this batch"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("1 of 3 images not written (1 skipped)"), std::string::npos) << r.err;
        EXPECT_EQ(test::FolderNames(out), (std::vector<std::string>{"DSC_0001.jpg", "DSC_0001_Renamed_by_TLY.jpg"}));
        EXPECT_EQ(WidthOf(renamed), 50u);
    } else {
        EXPECT_EQ(r.out, Line("Successful", sources[0], plain) + Line("Skipped", sources[1], plain) +
                             Line("Skipped", sources[2], plain));
        for (int i : {1, 2}) {
            EXPECT_NE(r.err.find("skipped " + sources[i] + ": " + plain + " was already written by this batch"),
                      std::string::npos)
                << r.err;
        }
        EXPECT_NE(r.err.find("2 of 3 images not written (2 skipped)"), std::string::npos) << r.err;
        EXPECT_EQ(test::FolderNames(out), std::vector<std::string>{"DSC_0001.jpg"});
    }
    EXPECT_EQ(WidthOf(plain), 40u);

    // A new run is a new batch: the files of the earlier run are handled by the policy alone.
    const RunResult again = RunCli(dir, {"--jobs", c.jobs, "--existing", c.policy, "--output-folder", out, sources[2]});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, Line("Successful", sources[2], rename ? renamed : plain));
    EXPECT_EQ(WidthOf(rename ? renamed : plain), 60u);
}

INSTANTIATE_TEST_SUITE_P(PoliciesAndJobs, CliOwnOutputsTest,
                         testing::Values(OwnOutputsCase{"rename", "1"}, OwnOutputsCase{"rename", "3"},
                                         OwnOutputsCase{"overwrite", "1"}, OwnOutputsCase{"overwrite", "3"}),
                         [](const testing::TestParamInfo<OwnOutputsCase>& info) {
                             return std::string(info.param.policy) + "Jobs" + info.param.jobs;
                         });

} // namespace
} // namespace tessoly
