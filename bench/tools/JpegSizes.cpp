// Helper of bench/modern_formats_bench.sh: the bytes of one JPEG re-encoded at quality 80 with
// the encoder flags tessoly-cli has used (plain), uses now (optimised Huffman tables) and offers
// (4:4:4, progressive), and whether the optimised file decodes to the same pixels.
//   JpegSizes FILE.jpg

#include <cstdio>
#include <cstring>

#include <FreeImage.h>

namespace {

FIMEMORY* Encode(FIBITMAP* image, int flags, DWORD& size) {
    FIMEMORY* memory = FreeImage_OpenMemory();
    BYTE* data = nullptr;
    FreeImage_SaveToMemory(FIF_JPEG, image, memory, flags);
    FreeImage_AcquireMemory(memory, &data, &size);
    return memory;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    FreeImage_Initialise();
    FIBITMAP* image = FreeImage_Load(FIF_JPEG, argv[1], 0);
    if (!image)
        return 1;
    const struct {
        const char* name;
        int flags;
    } rows[] = {
        {"q80 as before", 80},
        {"q80 optimised (default now)", 80 | JPEG_SUBSAMPLING_420 | JPEG_OPTIMIZE},
        {"q80 4:4:4 optimised", 80 | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE},
        {"q80 progressive optimised", 80 | JPEG_SUBSAMPLING_420 | JPEG_OPTIMIZE | JPEG_PROGRESSIVE},
    };
    DWORD before = 0;
    FIMEMORY* plain = Encode(image, rows[0].flags, before);
    for (const auto& row : rows) {
        DWORD size = 0;
        FIMEMORY* memory = Encode(image, row.flags, size);
        std::printf("%-30s %9lu bytes  %+.1f %%\n", row.name, static_cast<unsigned long>(size),
                    100.0 * (double(size) - double(before)) / double(before));
        if (row.flags == rows[1].flags) {
            FreeImage_SeekMemory(plain, 0, SEEK_SET);
            FreeImage_SeekMemory(memory, 0, SEEK_SET);
            FIBITMAP* a = FreeImage_LoadFromMemory(FIF_JPEG, plain, 0);
            FIBITMAP* b = FreeImage_LoadFromMemory(FIF_JPEG, memory, 0);
            bool same = a && b && FreeImage_GetHeight(a) == FreeImage_GetHeight(b);
            for (unsigned y = 0; same && y < FreeImage_GetHeight(a); ++y)
                same = std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)),
                                   FreeImage_GetLine(a)) == 0;
            std::printf("%-30s %s\n", "  decoded pixels", same ? "identical" : "DIFFER");
            FreeImage_Unload(a);
            FreeImage_Unload(b);
        }
        FreeImage_CloseMemory(memory);
    }
    FreeImage_CloseMemory(plain);
    FreeImage_Unload(image);
    FreeImage_DeInitialise();
    return 0;
}
