// Helper of bench/cli_bench.sh, built by the script itself (not part of tessoly_bench):
//   BenchImages generate FOLDER COUNT WIDTH HEIGHT   writes COUNT photo-like JPEGs (quality 90)
//   BenchImages generate-png FOLDER COUNT WIDTH HEIGHT   the same as PNGs
//   BenchImages floor FOLDER OUTFOLDER               FreeImage load + JPEG save (quality 80) of
//                                                    every .jpg in FOLDER, no watermark; prints
//                                                    the seconds per image
//   BenchImages orient FOLDER N OUTFOLDER            copies every .jpg of FOLDER with an Exif
//                                                    segment saying orientation N
// The floor is the least any watermarking tool must spend on the same files.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <FreeImage.h>

namespace {

int Generate(const std::string& folder, int count, int width, int height, bool png) {
    std::filesystem::create_directories(folder);
    for (int n = 0; n < count; ++n) {
        FIBITMAP* image = FreeImage_Allocate(width, height, 24);
        unsigned seed = 12345u + static_cast<unsigned>(n);
        for (int y = 0; y < height; ++y) {
            BYTE* row = FreeImage_GetScanLine(image, y);
            for (int x = 0; x < width; ++x) {
                // Smooth gradients with some grain compress like a photograph.
                seed = seed * 1664525u + 1013904223u;
                const int grain = static_cast<int>(seed >> 28) - 8;
                const double fx = x / static_cast<double>(width), fy = y / static_cast<double>(height);
                row[FI_RGBA_RED] = static_cast<BYTE>(std::clamp(static_cast<int>(200 * fx + 30 * std::sin(fy * 20 + n)) + grain, 0, 255));
                row[FI_RGBA_GREEN] = static_cast<BYTE>(std::clamp(static_cast<int>(160 * fy + 40 * std::cos(fx * 13)) + grain, 0, 255));
                row[FI_RGBA_BLUE] = static_cast<BYTE>(std::clamp(static_cast<int>(120 + 100 * std::sin((fx + fy) * 7)) + grain, 0, 255));
                row += 3;
            }
        }
        char name[64];
        std::snprintf(name, sizeof name, png ? "/photo%05d.png" : "/photo%02d.jpg", n);
        if (!FreeImage_Save(png ? FIF_PNG : FIF_JPEG, image, (folder + name).c_str(), png ? 0 : 90)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
        FreeImage_Unload(image);
    }
    return 0;
}

int Floor(const std::string& folder, const std::string& outFolder) {
    std::filesystem::create_directories(outFolder);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".jpg") files.push_back(entry.path());
    }
    const auto start = std::chrono::steady_clock::now();
    for (const auto& file : files) {
        FIBITMAP* image = FreeImage_Load(FIF_JPEG, file.c_str(), 0);
        const std::string target = outFolder + "/" + file.filename().string();
        if (!image || !FreeImage_Save(FIF_JPEG, image, target.c_str(), 80)) {
            std::fprintf(stderr, "cannot process %s\n", file.c_str());
            return 1;
        }
        FreeImage_Unload(image);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.4f\n", seconds / static_cast<double>(files.size()));
    return 0;
}

//! An APP1 Exif segment with one IFD holding Orientation = n (little-endian TIFF).
std::string OrientationSegment(int n) {
    const std::string body = std::string("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24) +
                             static_cast<char>(n) + std::string(7, '\0');
    const std::size_t length = body.size() + 2;
    return std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) + body;
}

int Orient(const std::string& folder, int orientation, const std::string& outFolder) {
    std::filesystem::create_directories(outFolder);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".jpg")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // After the start marker and the JFIF segment.
        std::size_t at = 2;
        if (jpeg.size() > 6 && static_cast<unsigned char>(jpeg[3]) == 0xE0)
            at = 4 + ((static_cast<unsigned char>(jpeg[4]) << 8) | static_cast<unsigned char>(jpeg[5]));
        std::ofstream out(outFolder + "/" + entry.path().filename().string(), std::ios::binary);
        out << jpeg.substr(0, at) << OrientationSegment(orientation) << jpeg.substr(at);
        if (!out) {
            std::fprintf(stderr, "cannot write into %s\n", outFolder.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    FreeImage_Initialise(FALSE);
    int status = 2;
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "generate" || mode == "generate-png") && argc == 6) {
        status = Generate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), mode == "generate-png");
    } else if (mode == "floor" && argc == 4) {
        status = Floor(argv[2], argv[3]);
    } else if (mode == "orient" && argc == 5) {
        status = Orient(argv[2], std::atoi(argv[3]), argv[4]);
    } else {
        std::fputs("usage: BenchImages generate|generate-png FOLDER COUNT WIDTH HEIGHT | floor FOLDER OUTFOLDER | "
                   "orient FOLDER N OUTFOLDER\n",
                   stderr);
    }
    FreeImage_DeInitialise();
    return status;
}
