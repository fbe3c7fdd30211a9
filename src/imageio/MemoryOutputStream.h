#pragma once
// An in-memory file for FreeImage's encoders. Every byte it hands out is defined: an encoder that
// seeks past the end and writes there (the TIFF writer pads its data to an even offset that way)
// finds the gap filled with zeros, never with whatever the heap held. So the same picture and
// settings always give the same file.

#include <cstddef>
#include <vector>

#include <FreeImage.h>

namespace tessoly {

class MemoryOutputStream {
public:
    MemoryOutputStream();
    MemoryOutputStream(const MemoryOutputStream&) = delete;
    MemoryOutputStream& operator=(const MemoryOutputStream&) = delete;

    //! Callbacks for FreeImage_SaveToHandle; pass Handle() as their handle.
    FreeImageIO* IO() { return &io_; }
    fi_handle Handle() { return this; }

    //! The file as written so far [bytes].
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

    //! Largest file the stream holds [bytes]; a write beyond it fails as a full disk would.
    static constexpr std::size_t kMaxSize = std::size_t(1) << 34;

private:
    static unsigned Read(void* buffer, unsigned size, unsigned count, fi_handle handle);
    static unsigned Write(void* buffer, unsigned size, unsigned count, fi_handle handle);
    static int Seek(fi_handle handle, long offset, int origin);
    static long Tell(fi_handle handle);

    FreeImageIO io_{};
    std::vector<unsigned char> bytes_;
    //! Where the next read or write starts [bytes]; may lie past the end.
    std::size_t position_ = 0;
};

} // namespace tessoly
