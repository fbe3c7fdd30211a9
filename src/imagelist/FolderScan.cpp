#include "imagelist/FolderScan.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace tessoly {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

//! The lower-cased text after the last "." of the file name, or "" without a dot.
std::string LowerExtension(const std::string& name) {
    const std::size_t cut = name.find_last_of("./");
    if (cut == std::string::npos || name[cut] != '.')
        return "";
    std::string extension = name.substr(cut + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(), LowerAscii);
    return extension;
}

//! Index into ImageExtensions, or -1.
int ExtensionIndex(const std::string& name) {
    const std::string extension = LowerExtension(name);
    for (std::size_t i = 0; i < ImageExtensions.size(); ++i) {
        if (extension == ImageExtensions[i])
            return static_cast<int>(i);
    }
    return -1;
}

bool NameLess(const std::string& a, const std::string& b) {
    // Case-blind first, as people read names; the bytes break ties so the order is total.
    const auto lowerLess = [](char x, char y) { return LowerAscii(x) < LowerAscii(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess))
        return false;
    return a < b;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

//! One folder's identity, so a folder reached again through a link is recognised.
struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator<(const FolderId& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

//! Appends the images of the folder whose text, ending in "/", is prefix; then, when recursive,
//! those of its sub-folders not in visited.
void ScanFolder(const std::string& prefix, const FolderScanOptions& options, std::set<FolderId>& visited,
                std::vector<std::string>& result) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(prefix.c_str()));
    if (!dir)
        return;
    std::array<std::vector<std::string>, ImageExtensions.size()> groups;
    std::vector<std::pair<std::string, FolderId>> folders;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue; // hidden, and "." / ".."
        const int group = ExtensionIndex(name);
        const bool mayBeFolder = options.recursive && (entry->d_type == DT_DIR || entry->d_type == DT_LNK ||
                                                       entry->d_type == DT_UNKNOWN);
        if (group < 0 && !mayBeFolder)
            continue;
        struct stat info {};
        // A link counts as what it points to; a dangling link is left out.
        if (::stat((prefix + name).c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            if (options.recursive)
                folders.emplace_back(name, FolderId{info.st_dev, info.st_ino});
        } else if (group >= 0) {
            groups[static_cast<std::size_t>(group)].push_back(name);
        }
    }
    dir.reset(); // one open folder per level is enough
    for (auto& names : groups) {
        std::sort(names.begin(), names.end(), NameLess);
        for (const std::string& name : names)
            result.push_back(prefix + name);
    }
    // The sub-folders of one level are claimed together, in name order, before any is entered: a
    // folder reached twice goes under its first name here, whatever order the listing gave.
    std::sort(folders.begin(), folders.end(),
              [](const auto& a, const auto& b) { return NameLess(a.first, b.first); });
    std::vector<std::string> claimed;
    for (const auto& [name, id] : folders) {
        if (visited.insert(id).second)
            claimed.push_back(name);
    }
    for (const std::string& name : claimed)
        ScanFolder(prefix + name + "/", options, visited, result);
}

} // namespace

std::vector<std::string> CollectFolderImages(const std::string& folder, const FolderScanOptions& options) {
    std::vector<std::string> result;
    if (folder.empty())
        return result;
    std::set<FolderId> visited;
    struct stat info {};
    if (options.recursive && ::stat(folder.c_str(), &info) == 0)
        visited.insert(FolderId{info.st_dev, info.st_ino});
    ScanFolder(folder + (folder.back() == '/' ? "" : "/"), options, visited, result);
    return result;
}

bool HasImageExtension(const std::string& path) {
    return ExtensionIndex(path) >= 0;
}

} // namespace tessoly
