#pragma once
// Shared helpers of the test executables: a scratch folder per test and the fixture folder.

#include <filesystem>
#include <string>
#include <vector>

namespace tessoly::test {

//! A fresh, empty folder for one test, removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    //! path() / name as a UTF-8 string.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

//! The checked-in fixture folder tests/data.
std::filesystem::path DataDir();
//! The names in folder, sorted: what a run left there, temporary files included.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);
//! Whole file contents.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace tessoly::test
