#include "imagelist/AddImages.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QStringList>

#include "support/TestSupport.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

class AddImagesTest : public testing::Test {
protected:
    void Touch(const fs::path& relative) {
        fs::create_directories((dir.path() / relative).parent_path());
        test::WriteFileBytes(dir.path() / relative, "x");
    }
    test::ScratchDir dir;
};

TEST_F(AddImagesTest, FolderIsGroupedByExtensionWithoutSubFoldersOrHiddenFiles) {
    Touch("b.png");
    Touch("a.JPG");
    Touch("c.bmp");
    Touch(".e.png");
    Touch("notes.txt");
    fs::create_directories(dir.path() / "d.jpg");
    Touch("sub/f.png");
    Touch("readonly.gif");
    fs::permissions(dir.path() / "readonly.gif", fs::perms::owner_read);

    const QStringList paths = CollectFolderImagePaths(Q(dir.path()));
    EXPECT_EQ(paths, (QStringList{Q(dir.path() / "c.bmp"), Q(dir.path() / "readonly.gif"),
                                  Q(dir.path() / "a.JPG"), Q(dir.path() / "b.png")}));
}

TEST_F(AddImagesTest, FolderTextEndingInASeparatorIsNotDoubled) {
    Touch("a.png");
    const QString folder = Q(dir.path()) + "/";
    EXPECT_EQ(CollectFolderImagePaths(folder), QStringList{folder + "a.png"});
}

TEST_F(AddImagesTest, EveryAcceptedExtensionInItsOrder) {
    const std::vector<std::string> names = {"k.TIFF", "j.tif",  "i.Tga", "h.psd", "g.png", "f.pcx",
                                            "e.jp2",  "d.jpeg", "c.jpg", "b.gif", "a.bmp"};
    for (const auto& name : names) {
        Touch(name);
    }
    Touch("l.webp");
    Touch("m.jpg.txt");
    QStringList expected;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        expected << Q(dir.path() / *it);
    }
    expected << Q(dir.path() / "l.webp");
    EXPECT_EQ(CollectFolderImagePaths(Q(dir.path())), expected);
}

TEST_F(AddImagesTest, DropRules) {
    Touch("notes.txt");
    Touch("photo.JPG");
    Touch("scan.psd");
    Touch("archive.tar");
    Touch("noext");
    Touch("images/x.png");
    Touch("images/y.bmp");
    fs::create_directories(dir.path() / "empty");
    const QString notes = Q(dir.path() / "notes.txt");
    const QString photo = Q(dir.path() / "photo.JPG");
    const QString images = Q(dir.path() / "images");

    struct Case {
        const char* name;
        QStringList dropped;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"a text file alone", {notes}, {}},
        {"a text file and a photo", {notes, photo}, {photo}},
        {"a folder without images and a photo", {Q(dir.path() / "empty"), photo}, {photo}},
        {"psd is accepted", {Q(dir.path() / "scan.psd")}, {Q(dir.path() / "scan.psd")}},
        {"no extension", {Q(dir.path() / "noext"), Q(dir.path() / "archive.tar")}, {}},
        {"files and folders in drop order",
         {photo, images, photo},
         {photo, images + "/y.bmp", images + "/x.png", photo}},
        {"the same folder twice",
         {images, images},
         {images + "/y.bmp", images + "/x.png", images + "/y.bmp", images + "/x.png"}},
        {"a missing image path still counts by its name",
         {Q(dir.path() / "gone.png")},
         {Q(dir.path() / "gone.png")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CollectDroppedImages(c.dropped), c.expected);
    }
}

TEST(AddImageFilters, AllImagesFirstAndNoPsd) {
    const QStringList filters = AddImageFilters();
    ASSERT_EQ(filters.size(), 14);
    EXPECT_TRUE(filters[0].startsWith("All images (*.bmp *.BMP *.gif *.GIF *.jpg *.JPG"));
    EXPECT_TRUE(filters[0].endsWith("*.tiff *.TIFF *.heic *.HEIC *.heif *.HEIF *.avif *.AVIF *.webp *.WEBP)"));
    EXPECT_EQ(filters[1], "Windows Bitmap (*.bmp *.BMP)");
    EXPECT_EQ(filters[10], "Tagged Image File Format (*.tiff *.TIFF)");
    EXPECT_EQ(filters[11], "HEIF Image (*.heic *.HEIC *.heif *.HEIF)");
    EXPECT_EQ(filters[13], "WebP Image (*.webp *.WEBP)");
    for (const QString& filter : filters) {
        EXPECT_FALSE(filter.contains("psd", Qt::CaseInsensitive)) << filter.toStdString();
    }
}

} // namespace
} // namespace tessoly
