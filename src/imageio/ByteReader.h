#pragma once
// Bounded reads from a file or a memory block, for the header checks that run before FreeImage
// sees a file. Every read says whether it got all the bytes asked for; nothing here throws or
// reads past the end, whatever offsets a hostile file names.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tessoly {

class ByteReader {
public:
    //! Reads the whole of a memory block (not copied; it must outlive the reader).
    ByteReader(const std::uint8_t* data, std::size_t size);
    //! Reads a file; Ok() is false when it cannot be opened or is not a regular file.
    explicit ByteReader(const std::string& path);
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    bool Ok() const { return ok_; }
    //! Total size [bytes].
    std::uint64_t Size() const { return size_; }
    //! Copies count bytes from offset into out; false (out unspecified) when they are not all there.
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count);

    //! Sequential access from Position(), through a window of the source.
    std::uint64_t Position() const { return position_; }
    void Seek(std::uint64_t offset) { position_ = offset; }
    //! Next byte, or -1 at the end.
    int Get();
    //! Advances to the next 0xFF byte and consumes it; false when the end comes first.
    bool SkipPastNextFF();

private:
    bool Fill();

    const std::uint8_t* memory_ = nullptr;
    std::FILE* file_ = nullptr;
    bool ok_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    //! File window: bytes [windowStart_, windowStart_ + window_.size()) of the file.
    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;
};

//! Big- and little-endian field readers over a byte array.
inline std::uint16_t Be16(const std::uint8_t* p) {
    return std::uint16_t((p[0] << 8) | p[1]);
}
inline std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint64_t Be64(const std::uint8_t* p) {
    return (std::uint64_t(Be32(p)) << 32) | Be32(p + 4);
}
inline std::uint16_t Le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t Le64(const std::uint8_t* p) {
    return Le32(p) | (std::uint64_t(Le32(p + 4)) << 32);
}

} // namespace tessoly
