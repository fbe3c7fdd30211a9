#include "imageio/JpegLib.h"

#include <algorithm>

namespace tessoly {

namespace {

[[noreturn]] void ThrowJpegError(j_common_ptr owner) {
    char message[JMSG_LENGTH_MAX];
    owner->err->format_message(owner, message);
    throw JpegError(message);
}

void CountWarning(j_common_ptr owner, int level) {
    if (level < 0)
        ++owner->err->num_warnings;
}

void Silent(j_common_ptr) {}

//! Size of the first output block [bytes]; it grows by half again each time it fills.
constexpr std::size_t kFirstOutputSize = 64 * 1024;

} // namespace

JpegErrorManager::JpegErrorManager() : jpeg_error_mgr{} {
    jpeg_std_error(this);
    error_exit = ThrowJpegError;
    emit_message = CountWarning;
    output_message = Silent;
}

JpegDecompressor::JpegDecompressor() {
    info.err = &error;
    jpeg_create_decompress(&info);
}

JpegDecompressor::~JpegDecompressor() {
    jpeg_destroy_decompress(&info);
}

JpegCompressor::JpegCompressor() {
    info.err = &error;
    jpeg_create_compress(&info);
}

JpegCompressor::~JpegCompressor() {
    jpeg_destroy_compress(&info);
}

void JpegCompressor::ToMemory() {
    destination_.owner = this;
    destination_.init_destination = [](j_compress_ptr cinfo) {
        auto* self = static_cast<Destination*>(cinfo->dest)->owner;
        self->bytes.resize(std::max(kFirstOutputSize, self->bytes.capacity()));
        cinfo->dest->next_output_byte = self->bytes.data();
        cinfo->dest->free_in_buffer = self->bytes.size();
    };
    destination_.empty_output_buffer = [](j_compress_ptr cinfo) -> boolean {
        auto* self = static_cast<Destination*>(cinfo->dest)->owner;
        // The library calls this only with the whole buffer full.
        const std::size_t used = self->bytes.size();
        self->bytes.resize(used + used / 2);
        cinfo->dest->next_output_byte = self->bytes.data() + used;
        cinfo->dest->free_in_buffer = self->bytes.size() - used;
        return TRUE;
    };
    destination_.term_destination = [](j_compress_ptr cinfo) {
        auto* self = static_cast<Destination*>(cinfo->dest)->owner;
        self->bytes.resize(self->bytes.size() - cinfo->dest->free_in_buffer);
    };
    info.dest = &destination_;
}

} // namespace tessoly
