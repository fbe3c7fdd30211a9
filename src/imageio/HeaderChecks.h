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

//! stopAtFirstScan: only the segments before the first scan (what a header-only load reads).
HeaderCheck CheckJpeg(ByteReader& r, bool stopAtFirstScan = false);
HeaderCheck CheckPng(ByteReader& r);
HeaderCheck CheckBmp(ByteReader& r);
//! size, when given, gets the size of the first image (the frame the decoder loads).
HeaderCheck CheckGif(ByteReader& r, HeaderPictureSize* size = nullptr);
//! Every frame of a GIF, not only the first: what reading all frames of an animation needs.
HeaderCheck CheckGifFrames(ByteReader& r);
HeaderCheck CheckTiff(ByteReader& r);
HeaderCheck CheckPsd(ByteReader& r);
HeaderCheck CheckTarga(ByteReader& r);
HeaderCheck CheckPcx(ByteReader& r);
//! size, when given, gets the picture size of the code stream.
HeaderCheck CheckJp2(ByteReader& r, HeaderPictureSize* size = nullptr);
HeaderCheck CheckWebp(ByteReader& r);
//! The top-level boxes of an ISO base media file (HEIF, AVIF): each fits the file, "ftyp" first,
//! a "meta" box present.
HeaderCheck CheckIsoBoxes(ByteReader& r);
//! The SIZ segment that opens a JPEG-2000 code stream at offset at; size, when given, gets the
//! image area it states (reference grid less its offset).
HeaderCheck CheckCodeStream(ByteReader& r, std::uint64_t at, HeaderPictureSize* size = nullptr);

} // namespace tessoly
