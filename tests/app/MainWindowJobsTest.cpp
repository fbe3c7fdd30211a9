// The batch job through the window: the Start button's checks in order, a run over a small folder
// with its statuses, gauge, summary and folder opening, cancelling, the busy state, guide lines,
// and closing the window while a job runs.

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include "app/ListWindowFixture.h"
#include "app/SpinEdit.h"
#include "preview/PreviewPane.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;
using test::SavePicture;

const QString kSummaryOfTwo = QStringLiteral("2 error(s) occurred during the watermarking process!\r\n"
                                             "Probably disk write error or skipped image.");

class BatchWindowTest : public ListWindowTest {
protected:
    void SetUp() override {
        ListWindowTest::SetUp();
        fs::create_directories(scratch.path() / "in");
        fs::create_directories(scratch.path() / "out");
    }
    //! n PNG files in/0.png ... added to the list.
    void AddPictures(int n) {
        QStringList paths;
        for (int i = 0; i < n; ++i) {
            const std::string name = "in/" + std::to_string(i) + ".png";
            SavePicture(scratch.file(name), FIF_PNG, 64 + i, 48);
            paths << Path(name);
        }
        AddRows(paths);
        ASSERT_EQ(Model().Count(), n);
    }
    void SetOutputFolder(const std::string& relative) {
        form->sDirectoryEditOutput->setText(relative.empty() ? QString() : Path(relative));
    }
    //! Clicks Start and waits for the run to end.
    void RunBatch() {
        form->sBitBtnStart->click();
        ASSERT_TRUE(WaitIdle());
    }
    std::vector<ItemStatus> Statuses() {
        std::vector<ItemStatus> out;
        for (int i = 0; i < Model().Count(); ++i) {
            out.push_back(Model().Item(i).status);
        }
        return out;
    }
    std::set<std::string> OutputNames(const std::string& relative = "out") {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.path() / relative)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
};

TEST_F(BatchWindowTest, StartChecksRunInOrder) {
    // An empty list with an empty caption: only the list is complained about.
    form->sEditTextCaption->setText("");
    form->SelectTab(2);
    form->sBitBtnStart->click();
    EXPECT_EQ(MessageTexts(), QStringList{"Add some images!"});
    EXPECT_EQ(form->sPageControl1->currentIndex(), 2);

    AddPictures(2);
    form->sButtonDeselectAll->click();
    form->SelectTab(2);
    form->sBitBtnStart->click();
    EXPECT_EQ(MessageTexts().last(), "Please select at least one image from the list!");

    form->sButtonSelectAll->click();
    form->sEditTextCaption->setText("   ");
    form->SelectTab(2);
    form->sBitBtnStart->click();
    EXPECT_EQ(MessageTexts().last(), "Please set the watermark text caption!");
    EXPECT_EQ(form->sPageControl1->currentIndex(), 0);

    // The user picks the image tab: image mode, whose picture path is empty.
    form->sPageControl1->setCurrentIndex(1);
    ASSERT_EQ(form->CurrentWatermarkMode(), kModeImage);
    form->SelectTab(2);
    form->sBitBtnStart->click();
    EXPECT_EQ(MessageTexts().last(), "Please add a watermark image!");
    EXPECT_EQ(form->sPageControl1->currentIndex(), 1);

    for (const auto& message : seam.messages) {
        EXPECT_EQ(message.kind, MessageKind::Warning);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(List().BatchJob(), nullptr);
    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Waiting, ItemStatus::Waiting}));
}

TEST_F(BatchWindowTest, OverwriteWarnsAndAsksBeforeARun) {
    AddPictures(1);
    form->sRadioButtonOverwrite->click();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(
        seam.messages[0].text,
        "Please be careful!\r\n\r\nIf this option is checked the existing\r\noutput image will overwrite!");
    EXPECT_TRUE(form->sRadioButtonOverwrite->isChecked());

    form->sBitBtnStart->click(); // answered No
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].kind, MessageKind::Confirmation);
    EXPECT_EQ(seam.messages[1].text,
              "Please be careful!\r\n\r\nAll existing images will overwrite!\r\nDo you want to continue?");
    EXPECT_EQ(List().BatchJob(), nullptr);
    EXPECT_EQ(form->sBitBtnStart->text(), "Start");

    // Closed without a choice goes on.
    SetOutputFolder("out");
    seam.messageAnswers.push_back(MessageAnswer::Closed);
    RunBatch();
    EXPECT_EQ(Statuses(), std::vector<ItemStatus>{ItemStatus::Successful});
}

TEST_F(BatchWindowTest, StartConversionFromTheTextTabShowsTheOutputTabFirst) {
    form->Startconversion1->trigger();
    EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
    EXPECT_EQ(MessageTexts(), QStringList{"Add some images!"});
}

TEST_F(BatchWindowTest, RunOverAFolderMarksEveryRowAndReportsFailures) {
    SavePicture(scratch.file("in/a.png"), FIF_PNG);
    SavePicture(scratch.file("in/b.bmp"), FIF_BMP);
    SavePicture(scratch.file("in/c.png"), FIF_PNG);
    test::WriteFileBytes(scratch.path() / "in/notes.jpg", "this is no picture");
    seam.directoryAnswers.push_back(Path("in"));
    form->sBitBtnAddFolder->click();
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(Model().Count(), 4); // b.bmp, notes.jpg, a.png, c.png
    SetOutputFolder("out");

    std::vector<int> gauge;
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, [&](int v) { gauge.push_back(v); });
    RunBatch();

    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Unsuccessful,
                                                   ItemStatus::Successful, ItemStatus::Successful}));
    EXPECT_EQ(OutputNames(), (std::set<std::string>{"a.png", "b.bmp", "c.png"}));
    EXPECT_EQ(gauge, (std::vector<int>{25, 50, 75, 100, 0}));
    // The undecodable file's error box, then the summary, which counts it.
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(seam.messages[0].text, Path("in/notes.jpg"));
    EXPECT_EQ(seam.messages[1].kind, MessageKind::Error);
    EXPECT_EQ(seam.messages[1].text, "1 error(s) occurred during the watermarking process!\r\n"
                                     "Probably disk write error or skipped image.");
    EXPECT_EQ(seam.shellTargets, std::vector<QString>{Path("out")});
    // The preview shows the last processed image; the window is given back.
    EXPECT_EQ(form->Image().CurrentImagePath, scratch.file("in/c.png"));
    EXPECT_EQ(form->sBitBtnStart->text(), "Start");
    EXPECT_FALSE(form->sLabelFXProcessing->isVisible());
    EXPECT_FALSE(form->sLabelFXCurrentImage->isVisible());
    EXPECT_FALSE(form->sGaugeProcess->isTextVisible());
}

TEST_F(BatchWindowTest, AnAnimationWrittenAsOnePictureSaysSoInTheRowsHint) {
    FIMULTIBITMAP* gif = FreeImage_OpenMultiBitmap(FIF_GIF, scratch.file("in/anim.gif").c_str(), TRUE, FALSE, TRUE, 0);
    ASSERT_NE(gif, nullptr);
    for (int i = 0; i < 3; ++i) {
        FIBITMAP* frame = FreeImage_Allocate(64, 48, 8);
        FreeImage_AppendPage(gif, frame);
        FreeImage_Unload(frame);
    }
    ASSERT_TRUE(FreeImage_CloseMultiBitmap(gif, 0));
    SavePicture(scratch.file("in/b.png"), FIF_PNG);
    AddRows({Path("in/anim.gif"), Path("in/b.png")});
    SetOutputFolder("out");
    form->sComboBoxImageFormat->setCurrentText(QStringLiteral("PNG"));
    RunBatch();
    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Successful}));
    const QModelIndex first = Model().index(0, ColumnImage);
    EXPECT_EQ(Model().data(first, Qt::ToolTipRole).toString(),
              Path("in/anim.gif") + "\nOnly the first of 3 frames was written: PNG holds one picture");
    EXPECT_EQ(Model().data(Model().index(1, ColumnImage), Qt::ToolTipRole).toString(), Path("in/b.png"));
}

TEST_F(BatchWindowTest, SkippedRowsAreCountedWithTheExactSummary) {
    AddPictures(3);
    SetOutputFolder("out");
    test::WriteFileBytes(scratch.path() / "out/0.png", "older");
    test::WriteFileBytes(scratch.path() / "out/2.png", "older");
    RunBatch();
    EXPECT_EQ(Statuses(),
              (std::vector<ItemStatus>{ItemStatus::Skipped, ItemStatus::Successful, ItemStatus::Skipped}));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, kSummaryOfTwo);
    EXPECT_EQ(test::ReadFileBytes(scratch.path() / "out/0.png"), "older");

    // Run again on the skipped rows only: each gets InProgress, then its new status.
    form->Skipped1->trigger();
    fs::remove(scratch.path() / "out/0.png");
    RunBatch();
    EXPECT_EQ(Statuses(),
              (std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Successful, ItemStatus::Skipped}));
}

// Keeping JPEG quality outside the watermark: a JPEG is marked in place, a PNG goes the ordinary
// way and its row's hint says why.
TEST_F(BatchWindowTest, LosslessJpegMarksJpegsInPlaceAndHintsWhyNotOnOtherRows) {
    EXPECT_FALSE(form->sCheckBoxLosslessJpeg->isChecked());
    SavePicture(scratch.file("in/a.jpg"), FIF_JPEG, 96, 64);
    SavePicture(scratch.file("in/b.png"), FIF_PNG, 96, 64);
    AddRows({Path("in/a.jpg"), Path("in/b.png")});
    ASSERT_EQ(Model().Count(), 2);
    SetOutputFolder("out");
    form->sCheckBoxLosslessJpeg->setChecked(true);
    RunBatch();
    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Successful}));
    EXPECT_EQ(OutputNames(), (std::set<std::string>{"a.jpg", "b.png"}));
    EXPECT_EQ(Model().Item(0).reason, "");
    EXPECT_EQ(Model().data(Model().index(1, 0), Qt::ToolTipRole).toString(),
              Path("in/b.png") + "\nWritten the ordinary way: the source is not a JPEG file.");
}

TEST_F(BatchWindowTest, ProcessingErrorsMakeRowsUnsuccessful) {
    AddPictures(2);
    SetOutputFolder("out");
    // The image watermark's picture is gone: every render raises an error.
    form->sPageControl1->setCurrentIndex(1);
    form->sFilenameEditWatermark->setText(Path("gone.png"));
    form->SelectTab(2);
    seam.messages.clear();
    RunBatch();
    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Unsuccessful, ItemStatus::Unsuccessful}));
    ASSERT_EQ(seam.messages.size(), 3u);
    EXPECT_EQ(seam.messages[2].text, kSummaryOfTwo);
    EXPECT_TRUE(OutputNames().empty());
}

TEST_F(BatchWindowTest, OutputSettingErrorsShowTheirBoxPerRowAndStayOnTheRowsHint) {
    struct Case {
        const char* resolution;
        const char* reason;
    };
    const Case cases[] = {
        {"abc", "'abc' is not a valid integer value"},
        {"-5", "'-5' is not a valid resolution"},
    };
    AddPictures(2);
    SetOutputFolder("out");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resolution);
        form->sComboBoxResolution->setCurrentText(QString::fromLatin1(c.resolution));
        seam.messages.clear();
        RunBatch();
        EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Unsuccessful, ItemStatus::Unsuccessful}));
        // One box per row, in list order, with the error's own text; then the summary counts both.
        ASSERT_EQ(seam.messages.size(), 3u);
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(seam.messages[row].kind, MessageKind::Error);
            EXPECT_EQ(seam.messages[row].text, QString::fromLatin1(c.reason));
            const QString hint = Model().data(Model().index(row, ColumnImage), Qt::ToolTipRole).toString();
            EXPECT_EQ(hint, Model().Item(row).path + QLatin1Char('\n') + QString::fromLatin1(c.reason));
        }
        EXPECT_EQ(seam.messages[2].text, kSummaryOfTwo);
        EXPECT_TRUE(OutputNames().empty());
    }
    // A successful run clears the reasons again.
    form->sComboBoxResolution->setCurrentText(QStringLiteral("Src"));
    seam.messages.clear();
    RunBatch();
    EXPECT_EQ(Statuses(), (std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Successful}));
    EXPECT_EQ(Model().data(Model().index(0, ColumnImage), Qt::ToolTipRole).toString(), Model().Item(0).path);
}

TEST_F(BatchWindowTest, TheGaugeCountsCheckedRows) {
    for (int rows : {3, 8}) {
        SCOPED_TRACE(rows);
        Model().Clear();
        AddPictures(rows);
        SetOutputFolder("out");
        std::vector<int> gauge;
        const auto connection = QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged,
                                                 [&](int v) { gauge.push_back(v); });
        RunBatch();
        QObject::disconnect(connection);
        if (rows == 3) {
            EXPECT_EQ(gauge, (std::vector<int>{33, 67, 100, 0}));
        } else {
            EXPECT_EQ(gauge, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100, 0}));
        }
    }
}

TEST_F(BatchWindowTest, OpenFolderToggleUpOpensNothing) {
    AddPictures(1);
    SetOutputFolder("out");
    form->sSpeedButtonOpenFolder->click();
    ASSERT_FALSE(form->sSpeedButtonOpenFolder->isChecked());
    RunBatch();
    EXPECT_TRUE(seam.shellTargets.empty());
    EXPECT_EQ(Statuses(), std::vector<ItemStatus>{ItemStatus::Successful});

    // Down again, but no output folder chosen: nothing is opened either.
    form->sSpeedButtonOpenFolder->click();
    ASSERT_TRUE(form->sSpeedButtonOpenFolder->isChecked());
    SetOutputFolder("");
    form->sRadioButtonRename->setChecked(true);
    RunBatch();
    EXPECT_TRUE(seam.shellTargets.empty());
    EXPECT_TRUE(fs::exists(scratch.path() / "in/0_Renamed_by_TLY.png"));
}

// Stop answered Yes while the second row is in progress, with several images in flight: no new
// image is started, those in progress finish with their real status and output, the rest keep the
// statuses they had, and the window is given back without a summary or an opened folder.
TEST_F(BatchWindowTest, StopFinishesTheImagesInFlightAndStartsNoOther) {
    constexpr int kRows = 10;
    QStringList paths;
    for (int i = 0; i < kRows; ++i) {
        const std::string name = "in/" + std::to_string(i) + ".png";
        SavePicture(scratch.file(name), FIF_PNG, 480, 360);
        paths << Path(name);
    }
    AddRows(paths);
    SetOutputFolder("out");
    List().BatchThreads = 3;
    Model().SetStatus(8, ItemStatus::Unsuccessful); // from an earlier run
    bool asked = false;
    int mostInProgress = 0;
    QObject::connect(&Model(), &ImageListModel::ListChanged, [&] {
        int inProgress = 0;
        for (int i = 0; i < Model().Count(); ++i) {
            inProgress += Model().Item(i).status == ItemStatus::InProgress ? 1 : 0;
        }
        mostInProgress = std::max(mostInProgress, inProgress);
        if (!asked && Model().Item(1).status == ItemStatus::InProgress) {
            asked = true;
            seam.messageAnswers.push_back(MessageAnswer::Yes);
            form->sBitBtnStart->click();
        }
    });
    RunBatch();

    EXPECT_GE(mostInProgress, 2);
    const std::vector<ItemStatus> statuses = Statuses();
    const int processed =
        static_cast<int>(std::find_if(statuses.begin(), statuses.end(),
                                      [](ItemStatus s) { return s != ItemStatus::Successful; }) -
                         statuses.begin());
    EXPECT_GE(processed, 2);
    EXPECT_LT(processed, 8) << "the stop did not hold back new images";
    std::set<std::string> written;
    for (int i = 0; i < kRows; ++i) {
        const ItemStatus expected = i < processed ? ItemStatus::Successful
                                    : i == 8      ? ItemStatus::Unsuccessful
                                                  : ItemStatus::Waiting;
        EXPECT_EQ(statuses[static_cast<std::size_t>(i)], expected) << i;
        if (i < processed) {
            written.insert(std::to_string(i) + ".png");
        }
    }
    EXPECT_EQ(OutputNames(), written);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(seam.messages[0].text, "Are you sure you want to cancel the watermarking?");
    EXPECT_TRUE(seam.shellTargets.empty());
    EXPECT_EQ(form->sBitBtnStart->text(), "Start");
    // The preview shows the last image that finished.
    EXPECT_EQ(form->Image().CurrentImagePath, scratch.file("in/" + std::to_string(processed - 1) + ".png"));
}

TEST_F(BatchWindowTest, StopAnsweredNoLetsTheRunEnd) {
    AddPictures(3);
    SetOutputFolder("out");
    bool asked = false;
    QObject::connect(&Model(), &ImageListModel::ListChanged, [&] {
        if (!asked && Model().Item(0).status == ItemStatus::InProgress) {
            asked = true;
            form->sBitBtnStart->click(); // answered No
        }
    });
    RunBatch();
    EXPECT_EQ(Statuses(), std::vector<ItemStatus>(3, ItemStatus::Successful));
    EXPECT_EQ(seam.shellTargets.size(), 1u);
}

TEST_F(BatchWindowTest, BusyStateDisablesTheWindowButStart) {
    AddPictures(2);
    SetOutputFolder("out");
    const std::vector<QWidget*> busy = {form->sBitBtnAddImage,
                                        form->sBitBtnAddFolder,
                                        form->sButtonRemove,
                                        form->sBitBtnClear,
                                        form->sBitBtnTutorial,
                                        form->Preview().sBitBtnPreviewPrev,
                                        form->Preview().sBitBtnPreviewNext,
                                        form->sListViewImages,
                                        form->sTabSheetText,
                                        form->sTabSheetImage,
                                        form->sComboBoxImageFormat,
                                        form->sComboBoxResolution,
                                        form->sComboBoxColor,
                                        form->sTrackBarJPEGQuality,
                                        form->sCheckBoxExif,
                                        form->sCheckBoxAutoOrient,
                                        form->sComboBoxRotate,
                                        form->sCheckBoxResizeImage,
                                        form->ImageClearOutput,
                                        form->sDirectoryEditOutput,
                                        form->sSpeedButtonOpenFolder,
                                        form->sRadioButtonSkip,
                                        form->sRadioButtonRename,
                                        form->sRadioButtonOverwrite,
                                        form->sButtonSelectAll,
                                        form->sButtonDeselectAll,
                                        form->sButtonInverseSelection};
    const std::vector<QMenu*> menus = {form->FileMenu, form->EditMenu, form->SpecialCharMenu, form->HelpMenu};
    bool checked = false;
    QObject::connect(&Model(), &ImageListModel::ListChanged, [&] {
        if (checked || Model().Item(0).status != ItemStatus::InProgress) {
            return;
        }
        checked = true;
        for (QWidget* w : busy) {
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        }
        for (QMenu* m : menus) {
            EXPECT_FALSE(m->isEnabled()) << m->objectName().toStdString();
        }
        EXPECT_TRUE(form->sBitBtnStart->isEnabled());
        EXPECT_EQ(form->sBitBtnStart->text(), "Stop");
        EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
        EXPECT_TRUE(form->sLabelFXProcessing->isVisible());
        EXPECT_EQ(form->sLabelFXProcessing->text(), "Processing:");
        EXPECT_TRUE(form->sGaugeProcess->isTextVisible());
        EXPECT_EQ(form->Preview().Prompt(), "");
        // The user cannot leave the output tab while the run goes on.
        form->sPageControl1->setCurrentIndex(0);
        EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
    });
    form->SelectTab(0);
    RunBatch();
    ASSERT_TRUE(checked);
    for (QWidget* w : busy) {
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    }
    for (QMenu* m : menus) {
        EXPECT_TRUE(m->isEnabled()) << m->objectName().toStdString();
    }
    // The resize fields were disabled before the run and stay so.
    EXPECT_FALSE(form->sDecimalSpinEditWidth->isEnabled());
    EXPECT_FALSE(form->sDecimalSpinEditHeight->isEnabled());
    EXPECT_FALSE(form->sCheckBoxProportional->isEnabled());
    EXPECT_EQ(form->sPageControl1->currentIndex(), 0);

    // Started on the output tab, the output tab stays; enabled resize fields come back enabled.
    form->sCheckBoxResizeImage->click();
    ASSERT_TRUE(form->sDecimalSpinEditWidth->isEnabled());
    form->SelectTab(2);
    fs::remove_all(scratch.path() / "out");
    fs::create_directories(scratch.path() / "out");
    RunBatch();
    EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
    EXPECT_TRUE(form->sDecimalSpinEditWidth->isEnabled());
    EXPECT_TRUE(form->sCheckBoxProportional->isEnabled());
}

TEST_F(BatchWindowTest, NoGuideLinesInTheOutputButInThePreviewAfterwards) {
    AddPictures(1);
    SetOutputFolder("out");
    RunBatch();
    const std::string plain = test::ReadFileBytes(scratch.path() / "out/0.png");
    const TBitmap32 plainPreview = [&] {
        TBitmap32 copy;
        copy.Assign(form->Image().PreviewBitmap);
        return copy;
    }();

    fs::remove(scratch.path() / "out/0.png");
    form->Showguidelines->trigger();
    ASSERT_TRUE(form->Showguidelines->isChecked());
    RunBatch();
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(test::ReadFileBytes(scratch.path() / "out/0.png"), plain);
    // After the run the preview was drawn again, now with its guide lines.
    const TBitmap32& preview = form->Image().PreviewBitmap;
    ASSERT_EQ(preview.Width(), plainPreview.Width());
    bool differs = false;
    for (int y = 0; y < preview.Height() && !differs; ++y) {
        for (int x = 0; x < preview.Width() && !differs; ++x) {
            differs = preview.Pixel(x, y) != plainPreview.Pixel(x, y);
        }
    }
    EXPECT_TRUE(differs);
}

TEST_F(BatchWindowTest, ClosingTheWindowDuringARunEndsCleanly) {
    constexpr int kRows = 12;
    QStringList paths;
    for (int i = 0; i < kRows; ++i) {
        const std::string name = "in/" + std::to_string(i) + ".png";
        SavePicture(scratch.file(name), FIF_PNG, 480, 360);
        paths << Path(name);
    }
    AddRows(paths);
    SetOutputFolder("out");
    List().BatchThreads = 2;
    QPointer<QThread> job;
    QObject::connect(&Model(), &ImageListModel::ListChanged, form.get(), [&] {
        if (job.isNull() && Model().Item(2).status == ItemStatus::InProgress) {
            job = List().BatchJob();
            // The window closes between two steps of the run.
            QMetaObject::invokeMethod(
                qApp, [&] { form.reset(); }, Qt::QueuedConnection);
        }
    });
    form->sBitBtnStart->click();
    ASSERT_TRUE(test::WaitUntil([&] { return form == nullptr; }));
    EXPECT_TRUE(job.isNull());
    // The images in flight were finished, no later one was started; every file written is whole
    // and nothing half-written or temporary is left.
    const std::set<std::string> names = OutputNames();
    EXPECT_GE(names.size(), 3u);
    EXPECT_LT(names.size(), std::size_t(kRows));
    for (const std::string& name : names) {
        FIBITMAP* dib = FreeImage_Load(FIF_PNG, scratch.file("out/" + name).c_str(), 0);
        EXPECT_NE(dib, nullptr) << name;
        if (dib != nullptr) {
            FreeImage_Unload(dib);
        }
    }
}

TEST_F(BatchWindowTest, ClosingTheWindowWhileReadingEndsCleanly) {
    QStringList paths;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "in/" + std::to_string(i) + ".png";
        SavePicture(scratch.file(name), FIF_PNG);
        paths << Path(name);
    }
    QPointer<QThread> job;
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, form.get(), [&](int value) {
        if (job.isNull() && value >= 10) {
            job = List().ReadingJob();
            QMetaObject::invokeMethod(
                qApp, [&] { form.reset(); }, Qt::QueuedConnection);
        }
    });
    List().StartReadingJob(paths);
    ASSERT_TRUE(test::WaitUntil([&] { return form == nullptr; }));
    EXPECT_TRUE(job.isNull());
}

} // namespace
} // namespace tessoly
