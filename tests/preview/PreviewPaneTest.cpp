// The preview pane: the scale text, navigation targets, path shortening, loading an image into the
// window with its labels and error box, and the highlight rules of the list.

#include "preview/PreviewPane.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>

#include "preview/PreviewImageWidget.h"
#include "preview/StatusPath.h"
#include "render/Composer.h"
#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

using test::WindowFixture;

TEST(PreviewScale, RoundsHalvesAwayFromZeroAndNeverEnlarges) {
    struct Case {
        int cw, ch, w, h;
        const char* text;
    };
    const Case cases[] = {
        {416, 255, 800, 600, "Scale: 43 %  "},  // 42.5 rounds up
        {416, 255, 300, 200, "Scale: 100 %  "}, // never enlarged
        {416, 255, 4000, 3000, "Scale: 9 %  "}, // 8.5 rounds up
        {416, 255, 416, 255, "Scale: 100 %  "},    {416, 255, 832, 255, "Scale: 50 %  "},
        {416, 255, 100000, 100000, "Scale:  %  "}, // rounds to 0: no digits
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewScaleText(c.cw, c.ch, c.w, c.h), QLatin1String(c.text)) << c.w << "x" << c.h;
}

TEST(PreviewNavigation, StopsAtBothEnds) {
    struct Case {
        int rows, current, next, previous;
    };
    const Case cases[] = {
        {0, -1, -1, -1}, // empty list: nothing
        {3, -1, 0, 2},   // no highlight: first / last
        {3, 0, 1, -1},   // first row: Previous does nothing
        {3, 2, -1, 1},   // last row: Next does nothing
        {1, 0, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextPreviewRow(c.rows, c.current), c.next) << c.rows << "/" << c.current;
        EXPECT_EQ(PreviousPreviewRow(c.rows, c.current), c.previous) << c.rows << "/" << c.current;
    }
}

TEST(StatusPath, KeepsTheHeadAndTheLongestTailThatFits) {
    test::EnsureWindowTestApplication();
    QLabel label;
    const QString path = QStringLiteral("/home/someone/Pictures/holiday/2024/summer/beach-at-sunset.jpg");
    const int full = LabelTextWidth(&label, path);

    label.setText(path);
    ShortenStatusPath(&label, full);
    EXPECT_EQ(label.text(), path) << "a text that fits is left alone";

    label.setText(path);
    const int available = LabelTextWidth(&label, QStringLiteral("/home/someon... beach-at-sunset.jpg")) + 2;
    ShortenStatusPath(&label, available);
    const QString shortened = label.text();
    EXPECT_TRUE(shortened.startsWith(QStringLiteral("/home/someon... "))) << shortened.toStdString();
    EXPECT_TRUE(shortened.endsWith(QStringLiteral("beach-at-sunset.jpg"))) << shortened.toStdString();
    EXPECT_LE(LabelTextWidth(&label, shortened), available);
    // One more character of the tail would not fit.
    const QString tail = shortened.mid(16);
    const QString longer = shortened.left(16) + path.right(tail.size() + 1);
    EXPECT_GT(LabelTextWidth(&label, longer), available);
    EXPECT_EQ(label.width(), LabelTextWidth(&label, shortened));

    label.setText(path);
    ShortenStatusPath(&label, 5);
    EXPECT_EQ(label.text(), QStringLiteral("/home/someon... ")) << "too narrow: head and dots only";
}

struct PreviewFixture : WindowFixture {
    QLabel* Label(const char* name) const { return Find<QLabel>(name); }
};

TEST(PreviewPane, LoadShowsNameScaleAndProperties) {
    PreviewFixture f;
    const std::string path = f.WritePng("photo.png", 800, 600);
    f.form->LoadPreviewImage(path);
    EXPECT_TRUE(f.seam.messages.empty());
    EXPECT_EQ(f.Label("sLabelScale")->text(), QStringLiteral("Scale: 43 %  "));
    EXPECT_EQ(f.Label("sLabelProperties")->text(),
              QStringLiteral(" 800 x 600  |  32 BPP  |  72 DPI  |  PNG"));
    EXPECT_EQ(f.Label("sLabelName")->text(), QString::fromStdString(path));
    EXPECT_TRUE(f.Find<QWidget>("imagePreview")->isVisible());
    EXPECT_EQ(f.form->Image().CurrentImagePath, path);
    EXPECT_EQ(f.form->Image().PreviewBitmap.Width(), 800);
    EXPECT_EQ(f.form->Image().SourceImage, nullptr) << "the library image is released";
    // The picture is scaled down to fit and centred.
    const QRect shown = f.Find<PreviewImageWidget>("imagePreview")->PictureRect();
    EXPECT_EQ(shown.height(), 255);
    EXPECT_NEAR(shown.center().x(), 208, 1);
}

TEST(PreviewPane, FileThatIsNotAnImageShowsItsPathAndKeepsThePreviousImage) {
    PreviewFixture f;
    const std::string good = f.WritePng("good.png", 300, 200);
    f.form->LoadPreviewImage(good);
    const std::string bad = f.dir.file("notes.jpg");
    test::WriteFileBytes(bad, "this is text, not a picture");
    f.form->LoadPreviewImage(bad);
    ASSERT_EQ(f.seam.messages.size(), 1u);
    EXPECT_EQ(f.seam.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(f.seam.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(f.seam.messages[0].text, QString::fromStdString(bad));
    EXPECT_TRUE(f.Label("sLabelProperties")->text().isEmpty());
    EXPECT_TRUE(f.Label("sLabelScale")->text().isEmpty());
    EXPECT_EQ(f.form->Image().CurrentImagePath, good);
    EXPECT_EQ(f.form->Image().PreviewBitmap.Width(), 300);
    EXPECT_EQ(f.form->Image().SourceFormat, -1);
    EXPECT_EQ(f.Label("sLabelName")->text(), QString::fromStdString(good));
}

TEST(PreviewPane, RenderErrorIsShownWithItsOwnText) {
    PreviewFixture f;
    f.form->SelectTab(1);
    f.Find<QTabWidget>("sPageControl1")->setCurrentIndex(0);
    f.Find<QTabWidget>("sPageControl1")->setCurrentIndex(1);
    // A picture path that cannot be opened fails the render of the image watermark.
    f.Find<QLineEdit>("sFilenameEditWatermark")->setText(QString::fromStdString(f.dir.file("missing.png")));
    f.form->LoadPreviewImage(f.WritePng("base.png", 64, 48));
    ASSERT_EQ(f.seam.messages.size(), 1u);
    EXPECT_EQ(f.seam.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(f.Label("sLabelScale")->text().isEmpty());
    EXPECT_EQ(f.form->Image().SourceImage, nullptr);
}

struct ListFixture : PreviewFixture {
    ListFixture() {
        model = new QStandardItemModel(0, 5, form.get());
        for (int i = 0; i < 3; ++i) {
            paths.push_back(WritePng("row" + std::to_string(i) + ".png", 40 + i, 30));
            model->appendRow(new QStandardItem(QString::fromStdString(paths.back())));
        }
        form->SetListModel(model);
        list = Find<QTableView>("sListViewImages");
    }
    int Current() const { return list->currentIndex().isValid() ? list->currentIndex().row() : -1; }

    QStandardItemModel* model = nullptr;
    QTableView* list = nullptr;
    std::vector<std::string> paths;
};

TEST(PreviewPane, NextAndPreviousStepThroughTheList) {
    ListFixture f;
    auto* next = f.Find<QToolButton>("sBitBtnPreviewNext");
    auto* previous = f.Find<QToolButton>("sBitBtnPreviewPrev");
    EXPECT_EQ(next->toolTip(), QStringLiteral("Next image"));
    EXPECT_EQ(previous->toolTip(), QStringLiteral("Previous image"));

    next->click();
    EXPECT_EQ(f.Current(), 0);
    EXPECT_EQ(f.form->Image().CurrentImagePath, f.paths[0]);
    next->click();
    next->click();
    EXPECT_EQ(f.Current(), 2);
    EXPECT_EQ(f.form->Image().CurrentImagePath, f.paths[2]);
    next->click();
    EXPECT_EQ(f.Current(), 2) << "no wrap-around";
    previous->click();
    EXPECT_EQ(f.Current(), 1);
    EXPECT_EQ(f.form->Image().CurrentImagePath, f.paths[1]);
    previous->click();
    previous->click();
    EXPECT_EQ(f.Current(), 0);

    f.list->setCurrentIndex(QModelIndex());
    previous->click();
    EXPECT_EQ(f.Current(), 2) << "no highlight: Previous takes the last row";
    EXPECT_TRUE(f.seam.messages.empty());
}

TEST(PreviewPane, HighlightLoadsOnlyAnotherPath) {
    ListFixture f;
    f.list->setCurrentIndex(f.model->index(1, 0));
    EXPECT_EQ(f.form->Image().CurrentImagePath, f.paths[1]);
    // Replace the file behind the shown row: highlighting it again must not reload it.
    test::WriteFileBytes(f.paths[1], "garbage");
    f.list->setCurrentIndex(f.model->index(1, 0));
    f.form->SelectImageFromList(f.model->index(1, 0));
    EXPECT_TRUE(f.seam.messages.empty());
    // The row losing the highlight loads first when it is not the shown image.
    f.form->LoadPreviewImage(f.paths[2]);
    f.list->setCurrentIndex(f.model->index(0, 0));
    ASSERT_EQ(f.seam.messages.size(), 1u) << "row 1 (losing the highlight) was loaded";
    EXPECT_EQ(f.seam.messages[0].text, QString::fromStdString(f.paths[1]));
    EXPECT_EQ(f.form->Image().CurrentImagePath, f.paths[0]);
}

TEST(PreviewPane, WindowResizeMovesTheFourthStatusPanel) {
    PreviewFixture f;
    const int before = f.form->StatusPanelWidth(3);
    f.form->resize(f.form->width() + 10, f.form->height());
    QApplication::processEvents();
    EXPECT_EQ(f.form->StatusPanelWidth(3), before + 10);
    EXPECT_EQ(f.form->StatusPanelWidth(0), 52);
    EXPECT_EQ(f.form->StatusPanelWidth(4), 50);
}

TEST(PreviewPane, LongNameIsShortenedToTheNameBar) {
    PreviewFixture f;
    f.form->resize(700, f.form->height());
    QApplication::processEvents();
    const std::string folder = f.dir.file(std::string(120, 'x'));
    std::filesystem::create_directories(folder);
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = folder + "/beach.png";
    image.save(QString::fromStdString(path));
    f.form->LoadPreviewImage(path);
    const QString name = f.Label("sLabelName")->text();
    EXPECT_EQ(name.left(16), QString::fromStdString(path).left(12) + QStringLiteral("... "));
    EXPECT_TRUE(name.endsWith(QStringLiteral("beach.png")));
    EXPECT_LE(LabelTextWidth(f.Label("sLabelName"), name), f.Find<QWidget>("sPanel5")->width() - 90);
}

// Not an assertion of speed: prints the time from a caption keystroke to the repainted preview
// on a 6000 x 4000 picture, beside the compose time alone.
TEST(PreviewPane, CaptionKeystrokeOnALargePicture) {
    PreviewFixture f;
    f.form->LoadPreviewImage(f.WritePng("large.png", 6000, 4000, qRgb(90, 110, 130)));
    ASSERT_TRUE(f.seam.messages.empty());
    auto* caption = f.Find<QLineEdit>("sEditTextCaption");
    auto* preview = f.Find<QWidget>("imagePreview");
    using Clock = std::chrono::steady_clock;
    double keystroke = 0.0;
    double compose = 0.0;
    const int rounds = 3;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        caption->setText(caption->text() + QLatin1Char('x'));
        preview->repaint();
        keystroke += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const auto composeStart = Clock::now();
        f.form->RenderPreview();
        compose += std::chrono::duration<double, std::milli>(Clock::now() - composeStart).count();
    }
    double composeOnly = 0.0;
    for (int i = 0; i < rounds; ++i) {
        const WatermarkSettings settings = f.form->ReadSettings();
        const auto start = Clock::now();
        ComposeWatermark(settings, f.form->Image().SourceBitmap, f.form->Image().ComposedBitmap,
                         f.form->Font(), {});
        composeOnly += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    const auto paintStart = Clock::now();
    preview->repaint();
    const double paint = std::chrono::duration<double, std::milli>(Clock::now() - paintStart).count();
    std::printf(
        "[ timing ] 6000x4000 caption keystroke to repainted preview: %.1f ms; RenderPreview: %.1f ms; "
        "ComposeWatermark: %.1f ms; paint: %.2f ms\n",
        keystroke / rounds, compose / rounds, composeOnly / rounds, paint);
}

} // namespace
} // namespace tessoly

namespace tessoly {
namespace {

TEST(PreviewRender, GuideLinesShowInThePreviewButNeverInABatch) {
    PreviewFixture f;
    f.Find<QLineEdit>("sEditTextCaption")->clear();
    const std::string source = f.WritePng("dark.png", 200, 100, qRgb(0, 0, 0));
    f.form->LoadPreviewImage(source);
    const TBitmap32& preview = f.form->Image().PreviewBitmap;
    ASSERT_EQ(preview.Width(), 200);
    EXPECT_EQ(preview.Pixel(100, 50) & 0xFFFFFFu, 0u);

    f.Find<QAction>("Showguidelines")->trigger();
    EXPECT_NE(preview.Pixel(100, 50) & 0xFFFFFFu, 0u) << "the centre lines cross here";
    EXPECT_NE(preview.Pixel(30, 10) & 0xFFFFFFu, 0u) << "the left margin line";

    // A batch writes the composed image without them.
    const std::string outFolder = f.dir.file("out");
    std::filesystem::create_directories(outFolder);
    f.Find<QLineEdit>("sDirectoryEditOutput")->setText(QString::fromStdString(outFolder));
    f.Find<QComboBox>("sComboBoxImageFormat")->setCurrentText(QStringLiteral("PNG"));
    f.form->Jobs->BatchRunning = true;
    f.form->LoadPreviewImage(source);
    f.form->Jobs->BatchRunning = false;
    EXPECT_FALSE(f.form->LastOutput.OutputFailed) << f.form->LastOutput.reason;
    ASSERT_FALSE(f.form->LastOutput.targetPath.empty());
    QImage written(QString::fromStdString(f.form->LastOutput.targetPath));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.pixel(100, 50) & 0xFFFFFFu, 0u);
    EXPECT_EQ(written.pixel(30, 10) & 0xFFFFFFu, 0u);
    EXPECT_EQ(preview.Pixel(100, 50) & 0xFFFFFFu, 0u) << "the preview shows what was saved";
    EXPECT_TRUE(f.seam.messages.empty());
}

} // namespace
} // namespace tessoly
