#include "cli/OutputFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliOptions.h"

namespace tessoly::cli {

namespace {

[[noreturn]] void RefuseFolder(const std::string& folder, const std::string& what) {
    throw UsageError("--output-folder: " + folder + ": " + what);
}

//! Creates and removes a file in folder: the only test that also holds for root, whom the
//! permission bits do not stop, and for a read-only mount.
void ProveWritable(const std::string& folder) {
    std::string probe = folder + (folder.back() == '/' ? "" : "/") + ".tessoly-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        RefuseFolder(folder, std::string("cannot write there: ") + std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
}

} // namespace

void PrepareOutputFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder)) {
            RefuseFolder(folder, "cannot make the folder: " +
                                     (error ? error.message() : std::string("a file of that name exists")));
        }
        ProveWritable(folder);
    }
}

void CheckOutputFoldersWouldWork(const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        fs::path existing = fs::absolute(fs::path(folder)).lexically_normal();
        std::error_code error;
        while (!fs::exists(existing, error) && existing.has_parent_path() &&
               existing != existing.parent_path())
            existing = existing.parent_path();
        if (!fs::is_directory(existing, error))
            RefuseFolder(folder, "cannot make the folder: " + existing.string() + " is not a folder");
        if (::access(existing.c_str(), W_OK | X_OK) != 0)
            RefuseFolder(folder, std::string("cannot write there: ") + std::strerror(errno));
    }
}

} // namespace tessoly::cli
