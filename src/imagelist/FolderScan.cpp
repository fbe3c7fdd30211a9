#include "imagelist/FolderScan.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

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

} // namespace

std::vector<std::string> CollectFolderImages(const std::string& folder) {
    std::vector<std::string> result;
    if (folder.empty())
        return result;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return result;
    const std::string prefix = folder + (folder.back() == '/' ? "" : "/");

    std::array<std::vector<std::string>, ImageExtensions.size()> groups;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue; // hidden, and "." / ".."
        const int group = ExtensionIndex(name);
        if (group < 0)
            continue;
        struct stat info {};
        // A link counts as what it points to: a folder (or a dangling link) is left out.
        if (::stat((prefix + name).c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        groups[static_cast<std::size_t>(group)].push_back(name);
    }
    for (auto& names : groups) {
        std::sort(names.begin(), names.end(), NameLess);
        for (const std::string& name : names)
            result.push_back(prefix + name);
    }
    return result;
}

bool HasImageExtension(const std::string& path) {
    return ExtensionIndex(path) >= 0;
}

} // namespace tessoly
