#include "imageio/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace tessoly {
namespace {
//! Size of the file window [bytes]: large enough that a marker walk through a photo is a few reads.
constexpr std::size_t kWindowBytes = 1 << 16;
} // namespace

ByteReader::ByteReader(const std::uint8_t* data, std::size_t size)
    : memory_(data), ok_(true), size_(data ? size : 0) {}

ByteReader::ByteReader(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return;
    struct stat facts {};
    if (::fstat(::fileno(file_), &facts) != 0 || !S_ISREG(facts.st_mode))
        return;
    size_ = static_cast<std::uint64_t>(facts.st_size);
    ok_ = true;
}

ByteReader::~ByteReader() {
    if (file_)
        std::fclose(file_);
}

bool ByteReader::ReadAt(std::uint64_t offset, void* out, std::size_t count) {
    if (!ok_ || offset > size_ || count > size_ - offset)
        return false;
    if (count == 0)
        return true;
    if (memory_) {
        std::memcpy(out, memory_ + offset, count);
        return true;
    }
    if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(out, 1, count, file_) == count;
}

bool ByteReader::Fill() {
    if (!ok_ || position_ >= size_)
        return false;
    if (memory_)
        return true;
    if (position_ >= windowStart_ && position_ < windowStart_ + window_.size())
        return true;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, size_ - position_));
    window_.resize(want);
    windowStart_ = position_;
    if (!ReadAt(position_, window_.data(), want)) {
        window_.clear();
        return false;
    }
    return true;
}

int ByteReader::Get() {
    if (!Fill())
        return -1;
    const std::uint8_t byte = memory_ ? memory_[position_] : window_[position_ - windowStart_];
    ++position_;
    return byte;
}

bool ByteReader::SkipPastNextFF() {
    while (Fill()) {
        const std::uint8_t* begin;
        std::size_t available;
        if (memory_) {
            begin = memory_ + position_;
            available = static_cast<std::size_t>(size_ - position_);
        } else {
            begin = window_.data() + (position_ - windowStart_);
            available = static_cast<std::size_t>(windowStart_ + window_.size() - position_);
        }
        const void* hit = std::memchr(begin, 0xFF, available);
        if (hit) {
            position_ += static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(hit) - begin) + 1;
            return true;
        }
        position_ += available;
    }
    return false;
}

} // namespace tessoly
