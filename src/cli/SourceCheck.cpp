#include "cli/SourceCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessoly::cli {

std::string SourceProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return "no such file";
        return std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    // Opening tells what the permission bits alone do not (root, access lists, /proc).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? "permission denied" : std::strerror(errno);
    ::close(fd);
    return "not a supported image";
}

} // namespace tessoly::cli
