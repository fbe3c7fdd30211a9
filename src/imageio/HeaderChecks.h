#pragma once
// The per-format header readers behind CheckSourceHeader. Each reads the file through reader only,
// never past its end, and allocates nothing from a header value beyond what it checks first.

#include <cstdint>

#include "imageio/ByteReader.h"
#include "imageio/HeaderSanity.h"

namespace tessoly {

inline HeaderCheck Verdict(bool plausible) {
    return plausible ? HeaderCheck::Plausible : HeaderCheck::Refused;
}

HeaderCheck CheckJpeg(ByteReader& r);
HeaderCheck CheckPng(ByteReader& r);
HeaderCheck CheckBmp(ByteReader& r);
HeaderCheck CheckGif(ByteReader& r);
//! Every frame of a GIF, not only the first: what reading all frames of an animation needs.
HeaderCheck CheckGifFrames(ByteReader& r);
HeaderCheck CheckTiff(ByteReader& r);
HeaderCheck CheckPsd(ByteReader& r);
HeaderCheck CheckTarga(ByteReader& r);
HeaderCheck CheckPcx(ByteReader& r);
HeaderCheck CheckJp2(ByteReader& r);
HeaderCheck CheckWebp(ByteReader& r);
//! The top-level boxes of an ISO base media file (HEIF, AVIF): each fits the file, "ftyp" first,
//! a "meta" box present.
HeaderCheck CheckIsoBoxes(ByteReader& r);
//! The SIZ segment that opens a JPEG-2000 code stream at offset at.
HeaderCheck CheckCodeStream(ByteReader& r, std::uint64_t at);

} // namespace tessoly
