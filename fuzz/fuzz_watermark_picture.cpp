// Fuzz entry for the watermark picture decoder and the steps after it: any bytes must give a
// picture or an empty one, never a crash, and the final picture must stay within its bounds.
#include <cstdint>

#include <QBuffer>
#include <QByteArray>

#include "render/ImageWatermark.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    tessoly::TBitmap32 decoded;
    tessoly::DecodeWatermarkPicture(buffer, decoded);
    if (decoded.Empty() || std::int64_t(decoded.Width()) * decoded.Height() > (1 << 22))
        return 0;
    decoded.DrawMode = tessoly::dmBlend;
    decoded.MasterAlpha = 153;
    tessoly::WatermarkSettings settings;
    settings.transparentEdges = true;
    settings.imageRotationPosition = static_cast<int>(size % 5);
    settings.imageScaleText = "150";
    tessoly::TBitmap32 oriented, final;
    tessoly::PrepareWatermarkPicture(decoded, settings, 153, oriented, final);
    return 0;
}
