// Files the decoder must refuse: not images, cut short, corrupt, or claiming a picture no file
// can hold. Each must fail without touching the previous image (only SourceFormat changes), and
// the header check must refuse the hostile headers before FreeImage sizes anything.

#include <array>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <thread>

#include "imageio/DecodeFixtures.h"
#include "imageio/HeaderSanity.h"
#include "imageio/SourceDecoder.h"
#include "imageio/SourceFacts.h"

namespace tessoly::test {
namespace {

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Be16(std::string& s, unsigned v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}
void Be32(std::string& s, std::uint32_t v) {
    Be16(s, v >> 16);
    Be16(s, v & 0xFFFF);
}
void Le16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& s, std::uint32_t v) {
    Le16(s, v & 0xFFFF);
    Le16(s, v >> 16);
}

std::string PngChunk(const std::string& type, const std::string& data) {
    std::string s;
    Be32(s, static_cast<std::uint32_t>(data.size()));
    s += type + data;
    Be32(s, Crc32(type + data));
    return s;
}

//! A PNG signature and IHDR (with a valid CRC) followed by a small IDAT and IEND.
std::string PngClaiming(std::uint32_t width, std::uint32_t height, unsigned depth = 8, unsigned colour = 2) {
    std::string ihdr;
    Be32(ihdr, width);
    Be32(ihdr, height);
    ihdr += static_cast<char>(depth);
    ihdr += static_cast<char>(colour);
    ihdr += std::string(3, '\0');
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) +
           PngChunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + PngChunk("IEND", "");
}

//! A 24-bit BMP header claiming width x height, followed by extraBytes of pixel data.
std::string BmpClaiming(std::int32_t width, std::int32_t height, std::size_t extraBytes = 64) {
    std::string s = "BM";
    Le32(s, static_cast<std::uint32_t>(54 + extraBytes));
    Le32(s, 0);
    Le32(s, 54);
    Le32(s, 40);
    Le32(s, static_cast<std::uint32_t>(width));
    Le32(s, static_cast<std::uint32_t>(height));
    Le16(s, 1);
    Le16(s, 24);
    s += std::string(24, '\0');
    return s + std::string(extraBytes, '\x40');
}

//! A baseline JPEG frame of `components` components (8 x 8) with one scan of garbage data.
std::string JpegWithComponents(unsigned components) {
    std::string s("\xFF\xD8\xFF\xC0", 4);
    Be16(s, 8 + 3 * components);
    s += '\x08';
    Be16(s, 8);
    Be16(s, 8);
    s += static_cast<char>(components);
    for (unsigned c = 0; c < components; ++c) {
        s += static_cast<char>(c + 1);
        s += '\x11';
        s += '\0';
    }
    s += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    s += std::string(40, '\x55');
    return s + std::string("\xFF\xD9", 2);
}

std::string TiffClaiming(std::uint32_t width, std::uint32_t length) {
    std::string s("II*\0", 4);
    Le32(s, 8);
    Le16(s, 2);
    for (const auto& [tag, value] : {std::pair{256u, width}, std::pair{257u, length}}) {
        Le16(s, tag);
        Le16(s, 4); // LONG
        Le32(s, 1);
        Le32(s, value);
    }
    Le32(s, 0);
    return s + std::string(64, '\0');
}

std::string PsdClaiming(std::uint32_t width, std::uint32_t height) {
    std::string s = "8BPS";
    Be16(s, 1);
    s += std::string(6, '\0');
    Be16(s, 3);
    Be32(s, height);
    Be32(s, width);
    Be16(s, 8);
    Be16(s, 3);
    return s + std::string(64, '\0');
}

//! A GIF whose first image is width x height with the given LZW code size.
std::string GifWithImage(unsigned width, unsigned height, unsigned codeSize) {
    std::string s = "GIF89a";
    Le16(s, 4);
    Le16(s, 4);
    s += std::string("\x80\x00\x00", 3); // a two-colour global table
    s += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
    s += ',';
    Le16(s, 0);
    Le16(s, 0);
    Le16(s, width);
    Le16(s, height);
    s += '\0';
    s += static_cast<char>(codeSize);
    s += std::string("\x02\x44\x01\x00;", 5);
    return s;
}

std::string TargaClaiming(unsigned width, unsigned height, unsigned type) {
    std::string s(18, '\0');
    s[2] = static_cast<char>(type);
    s[12] = static_cast<char>(width & 0xFF);
    s[13] = static_cast<char>(width >> 8);
    s[14] = static_cast<char>(height & 0xFF);
    s[15] = static_cast<char>(height >> 8);
    s[16] = 24;
    s += std::string(200, '\x10');
    return s + std::string("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0", 26);
}

std::string CodeStreamClaiming(std::uint32_t width, std::uint32_t height) {
    std::string s("\xFF\x4F\xFF\x51", 4);
    Be16(s, 41); // 38 + 3 * 1
    Be16(s, 0);
    Be32(s, width);
    Be32(s, height);
    Be32(s, 0);
    Be32(s, 0);
    Be32(s, 256);
    Be32(s, 256);
    Be32(s, 0);
    Be32(s, 0);
    Be16(s, 1);
    s += std::string("\x07\x01\x01", 3);
    return s + std::string("\xFF\x90\x00\x0A\x00\x00\x00\x00\x00\x00\xFF\xD9", 12);
}

std::string Jp2Claiming(std::uint32_t width, std::uint32_t height) {
    std::string s("\0\0\0\x0CjP  \r\n\x87\n", 12);
    s += std::string("\0\0\0\x14"
                     "ftypjp2 \0\0\0\0jp2 ",
                     20);
    s += std::string("\0\0\0\x2D"
                     "jp2h",
                     8);
    s += std::string("\0\0\0\x16"
                     "ihdr",
                     8);
    Be32(s, height);
    Be32(s, width);
    s += std::string("\0\x03\x07\x07\0\0", 6);
    s += std::string("\0\0\0\x0F"
                     "colr\x01\0\0\0\0\0\x10",
                     15);
    const std::string stream = CodeStreamClaiming(width, height);
    Be32(s, static_cast<std::uint32_t>(8 + stream.size()));
    return s + "jp2c" + stream;
}

std::string PcxWithWindow(unsigned xMin, unsigned xMax) {
    std::string s(128, '\0');
    s[0] = 0x0A;
    s[1] = 5;
    s[2] = 1;
    s[3] = 8;
    s[4] = static_cast<char>(xMin & 0xFF);
    s[5] = static_cast<char>(xMin >> 8);
    s[8] = static_cast<char>(xMax & 0xFF);
    s[9] = static_cast<char>(xMax >> 8);
    s[10] = 3;
    s[65] = 1;
    s[66] = 8;
    return s + std::string(200, '\x01');
}

//! A valid file of the given format, made by FreeImage (24 bits, 64 x 48).
std::string ValidFile(FREE_IMAGE_FORMAT format, int flags = 0) {
    ScratchDir dir;
    const std::string path = dir.file("valid");
    FIBITMAP* dib32 = MakeDib32(Gradient(64, 48));
    FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
    FreeImage_Unload(dib32);
    SaveDib(dib, format, path, flags);
    return ReadFileBytes(path);
}

//! A little-endian Exif block: IFD0 with `entries` declared entries (two real ones: Make, and a
//! pointer to an Exif IFD holding ExposureTime), then IFD1 absent.
std::string ExifBlock(unsigned declaredEntries) {
    std::string t("II*\0", 4);
    Le32(t, 8);
    Le16(t, declaredEntries);
    Le16(t, 0x010F); // Make, ASCII, 8 bytes at 38
    Le16(t, 2);
    Le32(t, 8);
    Le32(t, 38);
    Le16(t, 0x8769); // Exif IFD at 46
    Le16(t, 4);
    Le32(t, 1);
    Le32(t, 46);
    Le32(t, 0);
    t += std::string("Tessoly\0", 8);
    Le16(t, 1); // Exif IFD: ExposureTime, RATIONAL at 64
    Le16(t, 0x829A);
    Le16(t, 5);
    Le32(t, 1);
    Le32(t, 64);
    Le32(t, 0);
    Le32(t, 1);
    Le32(t, 250);
    return t;
}

//! A little-endian Exif block from a "Canon" camera whose maker note holds tag 1 (camera settings,
//! four values) with the given TIFF type.
std::string CanonExifBlock(unsigned settingsType) {
    std::string t("II*\0", 4);
    Le32(t, 8);
    Le16(t, 2);
    Le16(t, 0x010F); // Make "Canon", 6 bytes at 38
    Le16(t, 2);
    Le32(t, 6);
    Le32(t, 38);
    Le16(t, 0x8769); // Exif IFD at 46
    Le16(t, 4);
    Le32(t, 1);
    Le32(t, 46);
    Le32(t, 0);
    t += std::string("Canon\0\0\0", 8);
    Le16(t, 1); // Exif IFD: MakerNote, 24 bytes at 64
    Le16(t, 0x927C);
    Le16(t, 7);
    Le32(t, 24);
    Le32(t, 64);
    Le32(t, 0);
    Le16(t, 1); // maker note: tag 1, four values at 88
    Le16(t, 1);
    Le16(t, settingsType);
    Le32(t, 4);
    Le32(t, 88);
    Le32(t, 0);
    t += std::string(6, '\0');
    Le16(t, 1);
    Le16(t, 2);
    Le16(t, 3);
    Le16(t, 4);
    return t;
}

//! A valid JPEG with an APP1 Exif segment holding block.
std::string JpegWithExif(const std::string& block) {
    std::string jpeg = ValidFile(FIF_JPEG);
    std::string app("\xFF\xE1", 2);
    const std::string body = std::string("Exif\0\0", 6) + block;
    Be16(app, static_cast<unsigned>(body.size() + 2));
    jpeg.insert(2, app + body);
    return jpeg;
}

//! A 4 x 2 RGB PSD coded with PackBits, each row one literal run; patch replaces the code byte
//! of the first row.
std::string PsdPackBits(int firstCode = 3) {
    std::string s = "8BPS";
    Be16(s, 1);
    s += std::string(6, '\0');
    Be16(s, 3);
    Be32(s, 2);
    Be32(s, 4);
    Be16(s, 8);
    Be16(s, 3);
    Be32(s, 0);
    Be32(s, 0);
    Be32(s, 0);
    Be16(s, 1);
    for (int row = 0; row < 6; ++row)
        Be16(s, 5);
    for (int row = 0; row < 6; ++row) {
        s += static_cast<char>(row == 0 ? firstCode : 3);
        s += std::string("\x10\x20\x30\x40", 4);
    }
    return s;
}

std::string Cut(const std::string& bytes, double share) {
    return bytes.substr(0, static_cast<std::size_t>(static_cast<double>(bytes.size()) * share));
}

struct FailureCase {
    const char* name;
    std::function<std::string()> bytes; //!< file contents; a null function means no file at all
    int format;                         //!< the SourceFormat the failed decode leaves
    bool refusedByHeader;               //!< the header check itself refuses the bytes
};

const FailureCase kFailureCases[] = {
    {"text-named.jpg", [] { return std::string("This is a note, not a picture.\n"); }, FIF_UNKNOWN, false},
    {"empty.png", [] { return std::string(); }, FIF_UNKNOWN, false},
    {"missing.png", nullptr, FIF_UNKNOWN, false},
    {"truncated.png", [] { return Cut(ValidFile(FIF_PNG), 0.6); }, FIF_PNG, false},
    {"truncated-scan.jpg", [] { return Cut(ValidFile(FIF_JPEG), 0.7); }, FIF_JPEG, true},
    {"truncated-header.jpg", [] { return Cut(ValidFile(FIF_JPEG), 0.05); }, FIF_JPEG, true},
    {"no-end-marker.jpg",
     [] {
         const std::string jpeg = ValidFile(FIF_JPEG);
         return jpeg.substr(0, jpeg.size() - 2);
     },
     FIF_JPEG, true},
    {"five-components.jpg", [] { return JpegWithComponents(5); }, FIF_JPEG, true},
    {"255-components.jpg", [] { return JpegWithComponents(255); }, FIF_JPEG, true},
    {"no-components.jpg", [] { return JpegWithComponents(0); }, FIF_JPEG, true},
    {"huge.png", [] { return PngClaiming(100000, 100000); }, FIF_PNG, true},
    {"overflowing.png", [] { return PngClaiming(0x80000000u, 0x80000000u); }, FIF_PNG, true},
    {"sixty-k-square.png", [] { return PngClaiming(65535, 65535); }, FIF_PNG, true},
    {"zero-width.png", [] { return PngClaiming(0, 10); }, FIF_PNG, true},
    {"bad-depth.png", [] { return PngClaiming(4, 4, 3, 2); }, FIF_PNG, true},
    {"huge.bmp", [] { return BmpClaiming(100000, 100000); }, FIF_BMP, true},
    {"int-min-height.bmp", [] { return BmpClaiming(10, INT32_MIN); }, FIF_BMP, true},
    {"negative-width.bmp", [] { return BmpClaiming(-5, 5); }, FIF_BMP, true},
    {"16k-square-tiny.bmp", [] { return BmpClaiming(16384, 16384); }, FIF_BMP, true},
    {"truncated.bmp", [] { return Cut(ValidFile(FIF_BMP), 0.5); }, FIF_BMP, true},
    {"huge.tif", [] { return TiffClaiming(100000, 100000); }, FIF_TIFF, true},
    {"huge.psd", [] { return PsdClaiming(300000, 300000); }, FIF_PSD, true},
    {"zero-frame.gif", [] { return GifWithImage(0, 0, 2); }, FIF_GIF, true},
    {"code-size-12.gif", [] { return GifWithImage(4, 4, 12); }, FIF_GIF, true},
    {"tiny-60k.tga", [] { return TargaClaiming(60000, 60000, 2); }, FIF_TARGA, true},
    {"tiny-rle-16k.tga", [] { return TargaClaiming(16000, 16000, 10); }, FIF_TARGA, true},
    {"truncated-rle.tga", [] { return Cut(ValidFile(FIF_TARGA, TARGA_SAVE_RLE), 0.8); }, FIF_TARGA, true},
    {"truncated.pcx",
     [] {
         const std::vector<std::uint8_t> indices(40 * 30, 7);
         return Cut(MakePcx8(40, 30, indices, {Color32(255, 1, 2, 3)}, 72), 0.5);
     },
     FIF_PCX, true},
    {"truncated.psd", [] { return Cut(MakePsdRgb(Gradient(40, 30)), 0.7); }, FIF_PSD, true},
    {"exif-count-past-segment.jpg", [] { return JpegWithExif(ExifBlock(0x8003)); }, FIF_JPEG, true},
    {"exif-directory-at-header.jpg",
     [] {
         std::string block = ExifBlock(2);
         block[4] = 0; // IFD0 at offset 0: its "count" becomes 0x4949 entries
         return JpegWithExif(block);
     },
     FIF_JPEG, true},
    {"exif-value-past-segment.jpg",
     [] {
         std::string block = ExifBlock(2);
         block[19] = '\x10'; // Make's 8 bytes at offset 0x1026, beyond the block
         return JpegWithExif(block);
     },
     FIF_JPEG, true},
    {"canon-settings-as-bytes.jpg", [] { return JpegWithExif(CanonExifBlock(1)); }, FIF_JPEG, true},
    {"packbits-overrun.psd", [] { return PsdPackBits(127); }, FIF_PSD, true},
    {"reversed-window.pcx", [] { return PcxWithWindow(100, 10); }, FIF_PCX, true},
    {"huge.j2k", [] { return CodeStreamClaiming(100000, 100000); }, FIF_J2K, true},
    {"huge.jp2", [] { return Jp2Claiming(100000, 100000); }, FIF_JP2, true},
};

class DecodeFailures : public DecodeTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DecodeFailures, FailsAndKeepsThePreviousImage) {
    const FailureCase& c = GetParam();
    const std::string good = dir_.file("good.png");
    const Picture picture = Gradient(7, 5);
    SaveDib(MakeDib32(picture), FIF_PNG, good);
    ASSERT_TRUE(DecodeSourceImage(image_, good));
    ReleaseSourceImage(image_);
    const int goodBitsPerPixel = image_.SourceBitsPerPixel;

    const std::string path = dir_.file(c.name);
    if (c.bytes)
        WriteFileBytes(path, c.bytes());
    EXPECT_FALSE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceFormat, c.format);
    EXPECT_EQ(image_.SourceImage, nullptr);
    EXPECT_EQ(image_.CurrentImagePath, good);
    EXPECT_EQ(image_.SourceBitsPerPixel, goodBitsPerPixel);
    ExpectPixels(image_.SourceBitmap, picture);
    ExpectPixels(image_.PreviewBitmap, picture);

    if (c.bytes && c.refusedByHeader) {
        const std::string bytes = c.bytes();
        ByteReader reader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(CheckSourceHeader(reader, c.format), HeaderCheck::Refused);
    }
}

// A file that cannot be decoded keeps its format in the list. Its size comes from the header when
// that is sound (the pixels fail later, at preview or batch time); a refused header reads 0 x 0.
TEST_P(DecodeFailures, HeaderFactsKeepTheFormatAndNeverMore) {
    const FailureCase& c = GetParam();
    const std::string path = dir_.file(c.name);
    if (c.bytes)
        WriteFileBytes(path, c.bytes());
    const SourceFacts decoded = DecodeSourceFacts(path);
    const SourceFacts header = ReadSourceFacts(path);
    EXPECT_EQ(decoded.width, 0u);
    EXPECT_EQ(header.format, decoded.format);
    const std::string name = c.name;
    // Cut short in the pixel data, with the whole header there: the 64 x 48 of ValidFile.
    const bool soundHeader =
        name == "truncated-scan.jpg" || name == "no-end-marker.jpg" || name == "truncated.png";
    EXPECT_EQ(header.width, soundHeader ? 64u : 0u);
    EXPECT_EQ(header.height, soundHeader ? 48u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Corrupt, DecodeFailures, ::testing::ValuesIn(kFailureCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

// The header checks pass what real encoders write; only the impossible is refused.
TEST_F(DecodeTest, HeaderChecksPassFilesTheLibraryWrites) {
    const struct {
        FREE_IMAGE_FORMAT format;
        int flags;
    } cases[] = {{FIF_BMP, 0},
                 {FIF_JPEG, JPEG_PROGRESSIVE},
                 {FIF_PNG, PNG_INTERLACED},
                 {FIF_TARGA, TARGA_SAVE_RLE},
                 {FIF_TIFF, TIFF_LZW},
                 {FIF_GIF, 0},
                 {FIF_J2K, 1},
                 {FIF_JP2, 1}};
    for (const auto& c : cases) {
        FIBITMAP* dib32 = MakeDib32(Gradient(64, 48));
        FIBITMAP* dib = c.format == FIF_GIF ? FreeImage_ColorQuantize(dib32, FIQ_WUQUANT)
                                            : FreeImage_ConvertTo24Bits(dib32);
        FreeImage_Unload(dib32);
        const std::string path =
            dir_.file("check." + std::to_string(c.format) + "-" + std::to_string(c.flags));
        SaveDib(dib, c.format, path, c.flags);
        ByteReader reader(path);
        EXPECT_EQ(CheckSourceHeader(reader, c.format), HeaderCheck::Plausible) << path;
        EXPECT_TRUE(DecodeSourceImage(image_, path)) << path;
        EXPECT_EQ(image_.SourceBitmap.Width(), 64) << path;
        ReleaseSourceImage(image_);
    }
}

// libjpeg skips stray bytes between segments, and an embedded thumbnail carries its own end
// marker inside an APP segment: neither may make the walk stop early or refuse the file.
TEST_F(DecodeTest, JpegWalkSkipsSegmentsAndStrayBytesAsLibjpegDoes) {
    std::string jpeg = ValidFile(FIF_JPEG);
    const std::string app("\xFF\xE1\x00\x0A"
                          "Exif\xFF\xD9\xFF\xD8",
                          12);
    jpeg.insert(2, app + std::string("\x00\x11\x22", 3));
    const std::string path = dir_.file("lenient.jpg");
    WriteFileBytes(path, jpeg);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceBitmap.Width(), 64);
    EXPECT_EQ(image_.SourceBitmap.Height(), 48);
}

// A folder scan may meet a named pipe called "x.jpg" or a link to a device: opening one to detect
// its format would block or never end.
TEST_F(DecodeTest, RefusesWhatIsNotARegularFile) {
    const std::string pipe = dir_.file("pipe.jpg"), device = dir_.file("zero.png");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", device);
    for (const std::string& path : {pipe, device, dir_.path().string()}) {
        image_.SourceFormat = FIF_PNG;
        EXPECT_FALSE(DecodeSourceImage(image_, path)) << path;
        EXPECT_EQ(image_.SourceFormat, FIF_UNKNOWN) << path;
    }
}

// The sound variants of the hostile files above still decode.
TEST_F(DecodeTest, SoundExifAndPackBitsFilesDecode) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {{"exif.jpg", JpegWithExif(ExifBlock(2))},
                 {"canon.jpg", JpegWithExif(CanonExifBlock(3))},
                 {"packbits.psd", PsdPackBits()}};
    for (const auto& c : cases) {
        const std::string path = dir_.file(c.name);
        WriteFileBytes(path, c.bytes);
        EXPECT_TRUE(DecodeSourceImage(image_, path)) << c.name;
        ReleaseSourceImage(image_);
    }
    EXPECT_EQ(image_.SourceBitmap.Width(), 4);
    EXPECT_EQ(image_.SourceBitmap.Pixel(0, 0), Color32(255, 0x10, 0x10, 0x10));
}

TEST(PlausiblePictureSize, CapsEachSideAndTheProduct) {
    EXPECT_TRUE(PlausiblePictureSize(1, 1));
    EXPECT_TRUE(PlausiblePictureSize(16384, 16384));
    EXPECT_TRUE(PlausiblePictureSize(65535, 4096));
    EXPECT_FALSE(PlausiblePictureSize(16384, 16385));
    EXPECT_FALSE(PlausiblePictureSize(65536, 1));
    EXPECT_FALSE(PlausiblePictureSize(0, 1));
    EXPECT_FALSE(PlausiblePictureSize(UINT64_MAX, UINT64_MAX));
}

// The reading job decodes on its worker thread while the window decodes on its own; each has its
// own working image. Run under ThreadSanitizer this also covers the message handler.
TEST_F(DecodeTest, TwoThreadsDecodeTheirOwnImagesAtOnce) {
    const std::string jpeg = dir_.file("a.jpg"), broken = dir_.file("b.png");
    WriteFileBytes(jpeg, ValidFile(FIF_JPEG));
    WriteFileBytes(broken, Cut(ValidFile(FIF_PNG), 0.5));
    std::array<int, 2> successes{};
    auto work = [&](int slot) {
        WorkingImage image;
        for (int i = 0; i < 20; ++i) {
            successes[static_cast<std::size_t>(slot)] += DecodeSourceImage(image, i % 2 ? broken : jpeg);
            ReleaseSourceImage(image);
        }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    EXPECT_EQ(successes[0], 10);
    EXPECT_EQ(successes[1], 10);
}

} // namespace
} // namespace tessoly::test
