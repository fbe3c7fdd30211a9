#include "imagelist/FolderScan.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace tessoly {
namespace {

TEST(FolderScanTest, GroupsByExtensionLeavesOutSubFoldersAndHiddenFiles) {
    test::ScratchDir dir;
    for (const char* name : {"b.png", "a.JPG", "c.bmp", ".e.png", "notes.txt", "z.TIFF", "y.tif", "m.jpeg",
                             "k.Psd", "noext", "archive.png.txt"}) {
        test::WriteFileBytes(dir.path() / name, "x");
    }
    std::filesystem::create_directory(dir.path() / "d.jpg");
    test::WriteFileBytes(dir.path() / "d.jpg" / "inner.png", "x");
    const std::string folder = dir.path().string();
    const std::vector<std::string> expected = {folder + "/c.bmp", folder + "/a.JPG", folder + "/m.jpeg",
                                               folder + "/b.png", folder + "/k.Psd", folder + "/y.tif",
                                               folder + "/z.TIFF"};
    EXPECT_EQ(CollectFolderImages(folder), expected);
}

TEST(FolderScanTest, ATrailingSeparatorIsNotDoubledAndTheFolderTextIsKept) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir.path() / "p.gif", "x");
    const std::string folder = dir.path().string() + "/";
    EXPECT_EQ(CollectFolderImages(folder), std::vector<std::string>{folder + "p.gif"});
    // A relative spelling stays relative.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(CollectFolderImages("."), std::vector<std::string>{"./p.gif"});
    std::filesystem::current_path(cwd);
}

TEST(FolderScanTest, NamesWithinOneExtensionComeInNameOrder) {
    test::ScratchDir dir;
    for (const char* name : {"b2.jpg", "B1.jpg", "a.jpg", "c.JPG"})
        test::WriteFileBytes(dir.path() / name, "x");
    const std::string f = dir.path().string();
    EXPECT_EQ(CollectFolderImages(f),
              (std::vector<std::string>{f + "/a.jpg", f + "/B1.jpg", f + "/b2.jpg", f + "/c.JPG"}));
}

TEST(FolderScanTest, MissingOrEmptyFoldersGiveNothing) {
    test::ScratchDir dir;
    EXPECT_TRUE(CollectFolderImages(dir.path().string()).empty());
    EXPECT_TRUE(CollectFolderImages(dir.file("missing")).empty());
    EXPECT_TRUE(CollectFolderImages("").empty());
}

TEST(FolderScanTest, RecursiveScanTakesSubFoldersInNameOrderAndLeavesOutHiddenOnes) {
    test::ScratchDir dir;
    const std::filesystem::path root = dir.path();
    for (const char* name : {"b.png", "a.jpg", "sub/z.bmp", "sub/y.png", "Sub2/x.gif", "sub/deeper/w.tif",
                             ".hidden/v.png", "sub/.hidden2/u.png", "d.jpg/inner.png"}) {
        std::filesystem::create_directories((root / name).parent_path());
        test::WriteFileBytes(root / name, "x");
    }
    const std::string f = root.string();
    const std::vector<std::string> expected = {f + "/a.jpg",     f + "/b.png",     f + "/d.jpg/inner.png",
                                               f + "/sub/z.bmp", f + "/sub/y.png", f + "/sub/deeper/w.tif",
                                               f + "/Sub2/x.gif"};
    EXPECT_EQ(CollectFolderImages(f, FolderScanOptions{true}), expected);
    // Without the option the scan stays where it was.
    EXPECT_EQ(CollectFolderImages(f), (std::vector<std::string>{f + "/a.jpg", f + "/b.png"}));
}

TEST(FolderScanTest, RecursiveScanNeverFollowsALinkLoopAndScansALinkedFolderOnce) {
    test::ScratchDir dir;
    const std::filesystem::path root = dir.path() / "root";
    std::filesystem::create_directories(root / "a" / "b");
    test::WriteFileBytes(root / "a" / "b" / "p.png", "x");
    std::filesystem::create_directory_symlink(root, root / "a" / "b" / "loop"); // back to the top
    std::filesystem::create_directory_symlink(root / "a", root / "c-again");    // a second way in
    std::filesystem::create_directories(dir.path() / "elsewhere");
    test::WriteFileBytes(dir.path() / "elsewhere" / "q.png", "x");
    std::filesystem::create_directory_symlink(dir.path() / "elsewhere", root / "linked");
    std::filesystem::create_symlink(root / "missing", root / "dangling.png");
    const std::string f = root.string();
    EXPECT_EQ(CollectFolderImages(f, FolderScanOptions{true}),
              (std::vector<std::string>{f + "/a/b/p.png", f + "/linked/q.png"}));
}

TEST(FolderScanTest, ExtensionTestOfSingleFiles) {
    const std::pair<const char*, bool> cases[] = {
        {"/a/photo.JPG", true}, {"/a/notes.txt", false}, {"/a/x.tiff", true},     {"/a/x.jp2", true},
        {"/a/noext", false},    {"/a.jpg/noext", false}, {"/a/x.jpg.bak", false}, {"/a/.png", true},
        {"/a/x.", false},       {"/a/x.webp", false},
    };
    for (const auto& [path, accepted] : cases)
        EXPECT_EQ(HasImageExtension(path), accepted) << path;
}

} // namespace
} // namespace tessoly
