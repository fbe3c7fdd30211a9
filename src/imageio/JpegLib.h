#pragma once
// Small owners for libjpeg's compress and decompress objects, with an error manager that turns the
// library's fatal errors into JpegError. libjpeg-turbo is built with unwind tables, so the
// exception may pass through its frames; an object that threw is only destroyed afterwards.

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace tessoly {

//! A fatal libjpeg error, with the library's message.
class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Throws JpegError on a fatal error; counts warnings (damaged data) without printing them.
struct JpegErrorManager : jpeg_error_mgr {
    JpegErrorManager();
};

struct JpegDecompressor {
    JpegDecompressor();
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    jpeg_decompress_struct info{};
    JpegErrorManager error;
};

//! A compressor writing to a memory block of its own.
struct JpegCompressor {
    JpegCompressor();
    ~JpegCompressor();
    JpegCompressor(const JpegCompressor&) = delete;
    JpegCompressor& operator=(const JpegCompressor&) = delete;

    //! Sends the output to bytes (complete after jpeg_finish_compress); a capacity reserved in
    //! bytes beforehand is the first block.
    void ToMemory();

    jpeg_compress_struct info{};
    JpegErrorManager error;
    //! The encoded file; owned here, so nothing leaks when the library throws half-way.
    std::vector<JOCTET> bytes;

private:
    struct Destination : jpeg_destination_mgr {
        JpegCompressor* owner = nullptr;
    };
    Destination destination_;
};

//! Rows [row, row + 1) of a coefficient array.
inline JBLOCKROW CoefficientRow(j_common_ptr owner, jvirt_barray_ptr array, JDIMENSION row, bool writable) {
    return owner->mem->access_virt_barray(owner, array, row, 1, writable ? TRUE : FALSE)[0];
}

} // namespace tessoly
