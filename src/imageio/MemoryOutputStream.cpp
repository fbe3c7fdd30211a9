#include "imageio/MemoryOutputStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace tessoly {

namespace {

MemoryOutputStream& StreamOf(fi_handle handle) {
    return *static_cast<MemoryOutputStream*>(handle);
}

} // namespace

MemoryOutputStream::MemoryOutputStream() {
    io_.read_proc = &MemoryOutputStream::Read;
    io_.write_proc = &MemoryOutputStream::Write;
    io_.seek_proc = &MemoryOutputStream::Seek;
    io_.tell_proc = &MemoryOutputStream::Tell;
}

unsigned MemoryOutputStream::Read(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    MemoryOutputStream& stream = StreamOf(handle);
    if (size == 0 || stream.position_ >= stream.bytes_.size())
        return 0;
    // Whole items only, as fread counts them.
    const std::size_t available = (stream.bytes_.size() - stream.position_) / size;
    const std::size_t items = std::min<std::size_t>(count, available);
    std::memcpy(buffer, stream.bytes_.data() + stream.position_, items * size);
    stream.position_ += items * size;
    return static_cast<unsigned>(items);
}

unsigned MemoryOutputStream::Write(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    MemoryOutputStream& stream = StreamOf(handle);
    const std::size_t length = std::size_t(size) * count;
    if (length == 0)
        return count;
    if (stream.position_ > kMaxSize || length > kMaxSize - stream.position_)
        return 0;
    const std::size_t end = stream.position_ + length;
    try {
        // Growing value-initialises the new bytes, which zero-fills any gap a seek left.
        if (end > stream.bytes_.size())
            stream.bytes_.resize(end);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(stream.bytes_.data() + stream.position_, buffer, length);
    stream.position_ = end;
    return count;
}

int MemoryOutputStream::Seek(fi_handle handle, long offset, int origin) {
    MemoryOutputStream& stream = StreamOf(handle);
    long long base = 0;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = static_cast<long long>(stream.position_);
        break;
    case SEEK_END:
        base = static_cast<long long>(stream.bytes_.size());
        break;
    default:
        return -1;
    }
    const long long target = base + offset;
    if (target < 0 || static_cast<unsigned long long>(target) > kMaxSize)
        return -1;
    stream.position_ = static_cast<std::size_t>(target);
    return 0;
}

long MemoryOutputStream::Tell(fi_handle handle) {
    const std::size_t position = StreamOf(handle).position_;
    return position > static_cast<std::size_t>(std::numeric_limits<long>::max())
               ? -1L
               : static_cast<long>(position);
}

} // namespace tessoly
