#pragma once
// The fuzz input as a file, for the entry points whose code under test reads a path: written to
// a per-process name in TMPDIR (or /tmp) and removed when the holder goes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tessoly::fuzz {

//! "TMPDIR/tessoly-fuzz-<what>-<pid><extension>".
inline std::string FuzzTempPath(const std::string& what, const std::string& extension = "") {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tessoly-fuzz-" + what + "-" +
           std::to_string(::getpid()) + extension;
}

class FuzzInputFile {
public:
    //! Writes size bytes of data to path; Ok() says whether every byte reached it.
    FuzzInputFile(const std::string& path, const std::uint8_t* data, std::size_t size) : path_(path) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (!file)
            return;
        const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
        ok_ = std::fclose(file) == 0 && written;
    }
    ~FuzzInputFile() { std::remove(path_.c_str()); }
    FuzzInputFile(const FuzzInputFile&) = delete;
    FuzzInputFile& operator=(const FuzzInputFile&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool ok_ = false;
};

} // namespace tessoly::fuzz
