#include "imageio/OutputNaming.h"

#include <filesystem>

#include <sys/stat.h>

namespace tessoly {

std::string StripExtension(const std::string& path) {
    const std::size_t last = path.find_last_of("./");
    if (last != std::string::npos && path[last] == '.')
        return path.substr(0, last);
    return path;
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OutputBasePath(const std::string& sourcePath, const std::string& outputFolder) {
    if (outputFolder.empty())
        return StripExtension(sourcePath);
    // A folder typed with a trailing "/" (or the root) gets no second separator.
    const std::string separator = outputFolder.back() == '/' ? "" : "/";
    return StripExtension(outputFolder + separator + FileNameOf(sourcePath));
}

std::string NormalisedPath(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path p(path);
    fs::path folder = p.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(fs::absolute(folder, error), error);
    if (error)
        resolved = folder;
    return (resolved / p.filename()).string();
}

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

PolicyDecision ApplyExistingFilePolicy(const std::string& basePath, const std::string& extension,
                                       ExistingFilePolicy policy) {
    PolicyDecision decision;
    const std::string plain = basePath + extension;
    decision.targetPath = plain;
    if (policy == ExistingFilePolicy::Overwrite || !IsExistingFile(plain))
        return decision;
    if (policy == ExistingFilePolicy::Skip) {
        decision.skip = true;
        return decision;
    }
    decision.targetPath = basePath + RenameSuffix + extension;
    return decision;
}

} // namespace tessoly
