// What the preview shows during and after a batch: each processed image with its watermark, the
// unmarked source of an image whose render failed, the previous image after a file that cannot be
// decoded; and the labels that go with each. A batch decodes into the source alone and hands the
// composed picture to the preview, so these pin down that nothing of that shows.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "app/ListWindowFixture.h"
#include "preview/PreviewImageWidget.h"
#include "preview/PreviewPane.h"
#include "render/Composer.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;
using test::SavePicture;

class BatchPreviewTest : public ListWindowTest {
protected:
    void SetUp() override {
        ListWindowTest::SetUp();
        fs::create_directories(scratch.path() / "in");
        fs::create_directories(scratch.path() / "out");
        form->sDirectoryEditOutput->setText(Path("out"));
        form->sSpeedButtonOpenFolder->click(); // nothing to open
    }
    //! Adds the named files of in/ (made beforehand) to the list.
    void AddFiles(const std::vector<std::string>& names) {
        QStringList paths;
        for (const std::string& name : names)
            paths << Path("in/" + name);
        AddRows(paths);
        ASSERT_EQ(Model().Count(), static_cast<int>(names.size()));
    }
    void RunBatch() {
        form->sBitBtnStart->click();
        ASSERT_TRUE(WaitIdle());
    }
    static bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
        if (a.Width() != b.Width() || a.Height() != b.Height())
            return false;
        return std::equal(a.Bits(), a.Bits() + std::size_t(a.Width()) * std::size_t(a.Height()), b.Bits());
    }
    //! The source's composition with the window's current settings, as a batch composes it.
    TBitmap32 ComposedAsInABatch() {
        TBitmap32 composed;
        ComposeOptions options;
        options.batchRunning = true;
        ComposeWatermark(form->ReadSettings(), form->Image().SourceBitmap, composed, form->Font(), options);
        return composed;
    }
    QString PropertiesLabel() { return form->Preview().sLabelProperties->text(); }
};

TEST_F(BatchPreviewTest, ThePreviewEndsOnTheLastImageWithItsWatermark) {
    // Three sizes, so a preview left at an earlier image's size would show.
    SavePicture(scratch.file("in/a.png"), FIF_PNG, 120, 80);
    SavePicture(scratch.file("in/b.png"), FIF_PNG, 90, 140);
    SavePicture(scratch.file("in/c.png"), FIF_PNG, 101, 77);
    AddFiles({"a.png", "b.png", "c.png"});
    RunBatch();
    ASSERT_TRUE(seam.messages.empty());

    const TBitmap32& preview = form->Image().PreviewBitmap;
    EXPECT_EQ(preview.Width(), 101);
    EXPECT_EQ(preview.Height(), 77);
    EXPECT_TRUE(SamePixels(preview, ComposedAsInABatch()));
    EXPECT_FALSE(SamePixels(preview, form->Image().SourceBitmap)) << "the watermark is missing";
    EXPECT_TRUE(PropertiesLabel().startsWith(QStringLiteral(" 101 x 77  |  ")));
    EXPECT_EQ(form->Preview().sLabelScale->text(), QStringLiteral("Scale: 100 %  "));
    EXPECT_TRUE(form->Preview().imagePreview->isVisible());
}

TEST_F(BatchPreviewTest, AFailedRenderShowsTheUnmarkedSourceOfThatImage) {
    SavePicture(scratch.file("in/a.png"), FIF_PNG, 120, 80);
    SavePicture(scratch.file("in/b.png"), FIF_PNG, 90, 140);
    AddFiles({"a.png", "b.png"});
    // The picture watermark's file is gone: every render raises an error after the source copy.
    form->sPageControl1->setCurrentIndex(1);
    form->sFilenameEditWatermark->setText(Path("gone.png"));
    form->SelectTab(2);
    seam.messages.clear();
    RunBatch();
    ASSERT_EQ(seam.messages.size(), 3u); // two error boxes and the summary

    const TBitmap32& preview = form->Image().PreviewBitmap;
    EXPECT_EQ(preview.Width(), 90);
    EXPECT_EQ(preview.Height(), 140);
    EXPECT_TRUE(SamePixels(preview, form->Image().SourceBitmap));
    EXPECT_TRUE(PropertiesLabel().isEmpty());
    EXPECT_TRUE(form->Preview().sLabelScale->text().isEmpty());
}

TEST_F(BatchPreviewTest, AFileThatCannotBeDecodedLeavesThePreviousImage) {
    SavePicture(scratch.file("in/a.png"), FIF_PNG, 120, 80);
    SavePicture(scratch.file("in/c.png"), FIF_PNG, 64, 48);
    // Rows come from the reading job, which refuses what it cannot read: b.png is a picture when
    // it is added and spoilt before the run.
    SavePicture(scratch.file("in/b.png"), FIF_PNG, 30, 30);
    AddFiles({"c.png", "a.png", "b.png"});
    test::WriteFileBytes(scratch.file("in/b.png"), "not a picture at all");
    seam.messages.clear();
    RunBatch();
    ASSERT_GE(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, Path("in/b.png"));

    // a.png, the image before the failed one, is still shown with its watermark.
    const TBitmap32& preview = form->Image().PreviewBitmap;
    EXPECT_EQ(preview.Width(), 120);
    EXPECT_EQ(preview.Height(), 80);
    EXPECT_TRUE(SamePixels(preview, ComposedAsInABatch()));
}

} // namespace
} // namespace tessoly
