#include "cli/SourceList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "imagelist/FolderScan.h"

namespace tessoly::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

//! The folder of a file given by its own path, when that path is relative and stays below the
//! current folder ("a/b/x.jpg" gives "a/b"); "" otherwise, so an absolute path or one through
//! ".." is never mirrored outside the output folder.
std::string SubFolderOfGivenFile(const std::string& path) {
    const std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    if (normal.is_absolute())
        return "";
    const std::filesystem::path folder = normal.parent_path();
    for (const auto& part : folder) {
        if (part == "..")
            return "";
    }
    const std::string text = folder.string();
    return text == "." ? "" : text;
}

//! Folders give their images as "Add folder" collects them (with their sub-folders when
//! recursive); files are taken as they are, as the "Add image" dialog takes them.
void AddPath(const std::string& path, bool recursive, std::vector<SourceItem>& items) {
    if (!IsFolder(path)) {
        items.push_back({path, SubFolderOfGivenFile(path)});
        return;
    }
    const std::string prefix = path.back() == '/' ? path : path + "/";
    for (std::string& found : CollectFolderImages(path, FolderScanOptions{recursive})) {
        // Every path found starts with prefix; what lies between it and the name is the sub-folder.
        const std::size_t nameStart = found.find_last_of('/') + 1;
        std::string sub =
            nameStart > prefix.size() ? found.substr(prefix.size(), nameStart - prefix.size() - 1) : "";
        items.push_back({std::move(found), std::move(sub)});
    }
}

std::string ReadList(const std::string& name) {
    std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (!file)
        throw UsageError("--files-from: cannot read " + name + ": " + std::strerror(errno));
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (file != stdin)
        std::fclose(file);
    if (failed)
        throw UsageError("--files-from: cannot read " + name + ": " + std::strerror(error));
    return text;
}

} // namespace

std::vector<std::string> SplitPathList(const std::string& text, bool nulSeparated) {
    const char separator = nulSeparated ? '\0' : '\n';
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            paths.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

std::vector<SourceItem> CollectSourceItems(const CliOptions& options) {
    std::vector<SourceItem> items;
    for (const std::string& path : options.paths)
        AddPath(path, options.recursive, items);
    for (const std::string& list : options.fileLists) {
        for (const std::string& path : SplitPathList(ReadList(list), options.nulSeparated))
            AddPath(path, options.recursive, items);
    }
    return items;
}

std::vector<SourceItem> ShardOf(const std::vector<SourceItem>& items, int index, int count) {
    if (count <= 1)
        return items;
    std::vector<SourceItem> shard;
    shard.reserve(items.size() / static_cast<std::size_t>(count) + 1);
    for (std::size_t i = static_cast<std::size_t>(index - 1); i < items.size();
         i += static_cast<std::size_t>(count))
        shard.push_back(items[i]);
    return shard;
}

} // namespace tessoly::cli
