#pragma once
// Exif and IPTC for TIFF outputs. The library's TIFF writer stores neither: it has no Exif
// directory, drops the descriptive IFD0 tags, and cuts its IPTC record block to a quarter (it
// gives libtiff a count of 4-byte units where libtiff takes bytes). So the encoded file gets a
// new first directory, appended after the library's bytes (which stay where they are, so every
// offset in them stays valid): the library's entries, the source's descriptive IFD0 tags and
// orientation, an Exif and a GPS directory copied from the source's Exif block with their values
// moved (and turned to the file's byte order), and the IPTC records whole.
//
// A maker note cannot move: its own offsets may count from the start of the Exif block it came
// from. It is left out of TIFF outputs rather than written broken.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessoly {

//! data (a classic TIFF file, the library's output) with exif (a TIFF-shaped Exif block, may be
//! empty) and iptc (IPTC-IIM records, may be empty) added, or empty when data or exif is not
//! well formed.
std::vector<std::uint8_t> AddTiffMetadata(const std::uint8_t* data, std::size_t size,
                                          const std::vector<std::uint8_t>& exif,
                                          const std::vector<std::uint8_t>& iptc);

} // namespace tessoly
