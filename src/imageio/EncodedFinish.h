#pragma once
// The last touch on an encoded file, for what its library writer cannot store: into a PNG go
// the Exif block as an eXIf chunk and the IPTC records as a "Raw profile type iptc" text chunk,
// both before the first image data chunk (where the PNG standard's extensions and their
// readers look); a TIFF gets its Exif and IPTC as TiffMetadata.h says. Every other file passes
// through unchanged.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "imageio/OutputConversion.h"

namespace tessoly {

//! The bytes to write: the encoder's own, or a finished copy of them.
class EncodedFile {
public:
    EncodedFile(const std::uint8_t* data, std::size_t size) : borrowed_(data), size_(size) {}
    explicit EncodedFile(std::vector<std::uint8_t> bytes)
        : owned_(std::move(bytes)), borrowed_(nullptr), size_(owned_.size()) {}
    const std::uint8_t* data() const { return borrowed_ ? borrowed_ : owned_.data(); }
    std::size_t size() const { return size_; }

private:
    std::vector<std::uint8_t> owned_;
    //! The encoder's buffer when nothing was added; it must outlive this object.
    const std::uint8_t* borrowed_;
    std::size_t size_;
};

//! Finishes the size bytes at data that the library encoded for converted.
EncodedFile FinishEncodedFile(const ConvertedOutput& converted, const std::uint8_t* data, std::size_t size);

//! data (a PNG file) with a chunk of this type and body inserted before its first IDAT chunk, or
//! empty when data is not a well-formed PNG up to that chunk. Exposed for its test.
std::vector<std::uint8_t> InsertPngChunk(const std::uint8_t* data, std::size_t size, const char type[4],
                                         const std::vector<std::uint8_t>& body);

} // namespace tessoly
