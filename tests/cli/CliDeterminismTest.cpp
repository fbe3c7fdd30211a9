// The same settings give the same bytes: no heap contents may reach a written file, whatever the
// allocator left in fresh memory, and a parallel run writes what a one-by-one run writes.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <FreeImage.h>

#include "CliTestSupport.h"
#include "imageio/DecodeFixtures.h"
#include "imageio/FreeImageHandle.h"
#include "support/HeifFixtures.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;

//! Runs the built tool with args and, when perturb is not empty, MALLOC_PERTURB_ set to it (glibc
//! then fills fresh and freed heap memory with a byte of that value); output to /dev/null.
int RunCliWithPerturb(const std::vector<std::string>& args, const std::string& perturb) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (!perturb.empty())
            ::setenv("MALLOC_PERTURB_", perturb.c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
            ::_exit(126);
        test::ExecCli(args);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

//! Name → contents of every file in folder.
std::vector<std::pair<std::string, std::string>> FolderFiles(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : test::FolderNames(folder))
        files.emplace_back(name, test::ReadFileBytes(folder / name));
    return files;
}

void ExpectSameFolders(const fs::path& a, const fs::path& b, std::size_t expectedFiles) {
    const auto first = FolderFiles(a), second = FolderFiles(b);
    ASSERT_EQ(first.size(), expectedFiles);
    ASSERT_EQ(second.size(), expectedFiles);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].first, second[i].first);
        EXPECT_TRUE(first[i].second == second[i].second) << first[i].first << " differs";
    }
}

//! A picture with some structure, so that every encoder has real work to do.
test::Picture Varied(int width, int height) {
    test::Picture picture = test::Gradient(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); i += 7)
        picture.pixels[i] = 0xFF000000u | static_cast<TColor32>(i * 2654435761u >> 8);
    return picture;
}

class CliDeterminismTest : public ::testing::Test {
protected:
    FreeImageLibrary library_;
    test::ScratchDir dir_;
};

TEST_F(CliDeterminismTest, EveryOutputFormatIsTheSameWhateverTheHeapHeld) {
    // Sizes at least 32 pixels a side for the JPEG-2000 encoder; several of them, since the TIFF
    // writer pads its data to an even offset by seeking past it only when the compressed strips
    // end at an odd offset.
    std::vector<std::string> sources;
    for (const auto& [width, height] :
         std::vector<std::pair<int, int>>{{41, 33}, {101, 77}, {64, 49}, {77, 61}, {120, 35}, {33, 90}}) {
        sources.push_back(dir_.file("s" + std::to_string(width) + "x" + std::to_string(height) + ".png"));
        test::SaveDib(test::MakeDib32(Varied(width, height)), FIF_PNG, sources.back());
    }
    for (const char* format : {"BMP", "GIF", "JPEG", "JPEG-2000", "PNG", "TIFF", "TGA", "WebP", "AVIF"}) {
        for (const std::string& source : sources) {
            SCOPED_TRACE(std::string(format) + " " + source);
            std::vector<fs::path> folders;
            for (const char* perturb : {"17", "238"}) {
                const fs::path out = dir_.path() / (std::string("out-") + perturb);
                fs::remove_all(out);
                fs::create_directory(out);
                ASSERT_EQ(
                    RunCliWithPerturb({"--format", format, "--output-folder", out.string(), source}, perturb),
                    0);
                folders.push_back(out);
            }
            ExpectSameFolders(folders[0], folders[1], 1);
        }
    }
}

TEST_F(CliDeterminismTest, ParallelRunWritesTheBytesOfAOneByOneRunForEverySourceFormat) {
    const test::Picture picture = Varied(48, 36);
    test::SaveDib(test::MakeDib32(picture), FIF_BMP, dir_.file("s-bmp.bmp"));
    // A converted copy of the picture; the 32-bit original is released.
    const auto converted = [&](FIBITMAP* (*convert)(FIBITMAP*)) {
        const FreeImagePtr original(test::MakeDib32(picture));
        return convert(original.get());
    };
    const auto to24 = [](FIBITMAP* dib) { return FreeImage_ConvertTo24Bits(dib); };
    const auto to8 = [](FIBITMAP* dib) { return FreeImage_ColorQuantize(dib, FIQ_WUQUANT); };
    test::SaveDib(converted(to8), FIF_GIF, dir_.file("s-gif.gif"));
    test::SaveDib(converted(to24), FIF_JPEG, dir_.file("s-jpg.jpg"));
    test::SaveDib(converted(to24), FIF_JP2, dir_.file("s-jp2.jp2"));
    test::SaveDib(test::MakeDib32(picture), FIF_PNG, dir_.file("s-png.png"));
    test::SaveDib(test::MakeDib32(picture), FIF_TARGA, dir_.file("s-tga.tga"));
    test::SaveDib(test::MakeDib32(picture), FIF_TIFF, dir_.file("s-tif.tif"));
    std::vector<std::uint8_t> indices(48 * 36);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<std::uint8_t>(i % 5);
    test::WriteFileBytes(
        dir_.file("s-pcx.pcx"),
        test::MakePcx8(48, 36, indices, {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFFFFFFF}, 96));
    test::WriteFileBytes(dir_.file("s-psd.psd"), test::MakePsdRgb(picture));
    test::SaveDib(converted(to24), FIF_WEBP, dir_.file("s-webp.webp"));
    for (const bool av1 : {false, true}) {
        test::HeifFixture heif;
        heif.width = picture.width;
        heif.height = picture.height;
        heif.pixels.assign(picture.pixels.begin(), picture.pixels.end());
        heif.av1 = av1;
        ASSERT_TRUE(test::WriteHeifFixture(dir_.file(av1 ? "s-avif.avif" : "s-heic.heic"), heif));
    }

    // Each source in its own format ("Unchanged"), then all of them as TIFF.
    for (const char* format : {"Unchanged", "TIFF"}) {
        SCOPED_TRACE(format);
        std::vector<fs::path> folders;
        for (const char* jobs : {"1", "4"}) {
            const fs::path out = dir_.path() / (std::string(format) + "-jobs-" + jobs);
            fs::create_directory(out);
            ASSERT_EQ(RunCliWithPerturb({"--jobs", jobs, "--format", format, "--output-folder", out.string(),
                                         dir_.path().string()},
                                        ""),
                      0);
            folders.push_back(out);
        }
        ExpectSameFolders(folders[0], folders[1], 12);
    }
}

} // namespace
} // namespace tessoly
