#include "imageio/SafeFileWrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "render/RenderError.h"

namespace tessoly {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

[[noreturn]] void Fail(const std::string& path, int error) {
    throw RenderError("Could not write " + path + ": " + std::strerror(error));
}

//! A hidden name in folder that no other writer uses; the descriptor is open for writing.
int CreateTemporaryFile(const std::string& folder, std::string& tempPath) {
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<unsigned long long>(::getpid())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, ".tessoly-%016llx.tmp", static_cast<unsigned long long>(random()));
        tempPath = folder + (folder.back() == '/' ? "" : "/") + name;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

void WriteFileSafely(const std::string& path, const void* data, std::size_t size) {
    struct stat existing {};
    const bool targetExists = ::stat(path.c_str(), &existing) == 0;
    if (targetExists && S_ISDIR(existing.st_mode))
        Fail(path, EISDIR);
    // Renaming would replace a file that a plain write may not touch; refuse it the same way.
    if (targetExists && ::access(path.c_str(), W_OK) != 0)
        Fail(path, errno);

    std::string tempPath;
    const int fd = CreateTemporaryFile(FolderOf(path), tempPath);
    if (fd < 0)
        Fail(path, errno);

    int error = 0;
    if (!WriteAll(fd, static_cast<const unsigned char*>(data), size))
        error = errno;
    if (error == 0 && targetExists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    // The output is on disk: its cached pages are let go, so that a batch of thousands of photos
    // does not push out what the rest of the system has cached, and the next output reuses them
    // (on a virtual machine, memory not used lately is slow to touch).
    if (error == 0)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        Fail(path, error);
    }
}

} // namespace tessoly
