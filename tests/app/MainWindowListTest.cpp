// The image list in the window: adding by dialog, folder and drop, the reading job's status bar and
// gauge, the commands with their questions and messages, and the preview they touch.

#include <filesystem>
#include <vector>

#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTabWidget>
#include <QUrl>

#include "app/ListWindowFixture.h"
#include "preview/PreviewImageWidget.h"
#include "preview/PreviewPane.h"

namespace tessoly {
namespace {

using test::ListWindowTest;
using test::SavePicture;

//! Sends a drop of paths to widget, as the desktop's file manager would.
bool DropOn(QWidget* widget, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
    }
    mime.setUrls(urls);
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

TEST_F(ListWindowTest, StartsEmptyWithTheColumnsOfTheList) {
    EXPECT_EQ(form->sLabelListInfo->text(), "0 / 0");
    EXPECT_EQ(form->sListViewImages->model(), &Model());
    const int widths[] = {180, 50, 66, 50, 50};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(form->sListViewImages->horizontalHeader()->sectionSize(column), widths[column]);
    }
    EXPECT_TRUE(form->sListViewImages->showGrid());
    EXPECT_EQ(form->Preview().Prompt(), "");
}

TEST_F(ListWindowTest, AddFolderReadsEveryImageIntoCheckedWaitingRows) {
    std::filesystem::create_directories(scratch.path() / "in");
    SavePicture(scratch.file("in/b.png"), FIF_PNG, 80, 60);
    SavePicture(scratch.file("in/a.JPG"), FIF_JPEG, 40, 30);
    test::WriteFileBytes(scratch.path() / "in/notes.txt", "text");
    seam.directoryAnswers.push_back(Path("in"));

    const int labelX = form->sLabelFXCurrentImage->x();
    form->sBitBtnAddFolder->click();
    ASSERT_TRUE(WaitIdle());

    ASSERT_EQ(Model().Count(), 2);
    EXPECT_EQ(Model().Item(0).path, Path("in/a.JPG"));
    EXPECT_EQ(Model().Item(0).formatText, "JPEG");
    EXPECT_EQ(Model().Item(1).dimensionsText, "80 x 60");
    EXPECT_EQ(Model().Item(1).dpiText, "96");
    EXPECT_TRUE(Model().Item(1).checked);
    EXPECT_EQ(Model().Item(1).status, ItemStatus::Waiting);
    EXPECT_EQ(form->sLabelListInfo->text(), "2 / 2");
    EXPECT_EQ(form->Preview().Prompt(), "Click on the list to preview an image");
    ASSERT_EQ(seam.directoryRequests.size(), 1u);
    EXPECT_EQ(seam.directoryRequests[0].title, "Select directory");
    // The window is given back.
    EXPECT_EQ(form->sBitBtnStart->text(), "Start");
    EXPECT_TRUE(form->sListViewImages->isEnabled());
    EXPECT_TRUE(form->sListViewImages->updatesEnabled());
    EXPECT_FALSE(form->sLabelFXProcessing->isVisible());
    EXPECT_EQ(form->sLabelFXProcessing->text(), "Processing:");
    EXPECT_EQ(form->sLabelFXCurrentImage->x(), labelX);
    EXPECT_FALSE(form->sGaugeProcess->isTextVisible());
    EXPECT_EQ(form->sGaugeProcess->value(), 0);
    EXPECT_TRUE(seam.messages.empty());

    // The chooser opens on the folder chosen last; the same folder again appends every file again.
    seam.directoryAnswers.push_back(Path("in"));
    form->Addfolder1->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(seam.directoryRequests[1].initialFolder, Path("in"));
    EXPECT_EQ(Model().Count(), 4);
}

TEST_F(ListWindowTest, AddFolderWithoutImagesWarns) {
    std::filesystem::create_directories(scratch.path() / "empty");
    test::WriteFileBytes(scratch.path() / "empty/readme.txt", "text");
    seam.directoryAnswers.push_back(Path("empty"));
    form->sBitBtnAddFolder->click();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(seam.messages[0].text, "Could not found any images!");
    EXPECT_EQ(seam.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(Model().Count(), 0);
    EXPECT_EQ(List().ReadingJob(), nullptr);

    // A cancelled chooser does nothing at all.
    form->sBitBtnAddFolder->click();
    EXPECT_EQ(seam.messages.size(), 1u);
}

TEST_F(ListWindowTest, AddImageTakesTheChosenFilesAsTheyAre) {
    SavePicture(scratch.file("photo.png"), FIF_PNG);
    test::WriteFileBytes(scratch.path() / "notes.jpg", "text");
    seam.openFileAnswers.push_back({Path("notes.jpg"), Path("photo.png")});
    form->Addimage1->trigger();
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(seam.openFileRequests.size(), 1u);
    EXPECT_TRUE(seam.openFileRequests[0].multipleSelection);
    EXPECT_TRUE(seam.openFileRequests[0].filters.value(0).startsWith("All images ("));
    ASSERT_EQ(Model().Count(), 2);
    EXPECT_EQ(Model().Item(0).formatText, "Unknown");
    EXPECT_EQ(Model().Item(0).dimensionsText, "0 x 0");
    EXPECT_EQ(Model().Item(1).formatText, "PNG");

    // Cancelled: nothing happens.
    form->sBitBtnAddImage->click();
    EXPECT_EQ(Model().Count(), 2);
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(ListWindowTest, DropsAreTakenOnTheListOnly) {
    SavePicture(scratch.file("photo.JPG"), FIF_JPEG);
    test::WriteFileBytes(scratch.path() / "notes.txt", "text");
    std::filesystem::create_directories(scratch.path() / "empty");
    QWidget* list = form->sListViewImages->viewport();

    EXPECT_FALSE(form->acceptDrops());
    EXPECT_FALSE(form->Preview().sPanelContent->acceptDrops());

    ASSERT_TRUE(DropOn(list, {Path("notes.txt")}));
    ASSERT_TRUE(test::WaitUntil([&] { return !seam.messages.empty(); }));
    EXPECT_EQ(MessageTexts(), QStringList{"Could not found any images!"});
    EXPECT_EQ(Model().Count(), 0);

    ASSERT_TRUE(DropOn(list, {Path("notes.txt"), Path("empty"), Path("photo.JPG")}));
    ASSERT_TRUE(test::WaitUntil([&] { return Model().Count() == 1; }));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Model().Item(0).path, Path("photo.JPG"));
    EXPECT_EQ(seam.messages.size(), 1u);
}

TEST_F(ListWindowTest, ReadingShowsItsCaptionPathAndGauge) {
    QStringList paths;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        test::WriteFileBytes(scratch.path() / name, "x");
        paths << Path(name);
    }
    std::vector<int> gauge;
    std::vector<bool> gaugeText;
    QStringList captions;
    QStringList shownPaths;
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, [&](int value) {
        gauge.push_back(value);
        gaugeText.push_back(form->sGaugeProcess->isTextVisible());
        captions << form->sLabelFXProcessing->text();
    });
    QObject::connect(&Model(), &ImageListModel::ListChanged, [&] {
        shownPaths << form->sLabelFXCurrentImage->text();
        // While the job runs the list is held from repainting and the window is busy.
        EXPECT_FALSE(form->sListViewImages->updatesEnabled());
        EXPECT_EQ(form->sBitBtnStart->text(), "Stop");
        EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
    });
    AddRows(paths);
    // Up before each file, back to 0 after each row.
    EXPECT_EQ(gauge, (std::vector<int>{12, 0, 25, 0, 38, 0, 50, 0, 62, 0, 75, 0, 88, 0, 100, 0}));
    for (std::size_t i = 0; i < gauge.size(); ++i) {
        EXPECT_EQ(gaugeText[i], gauge[i] != 0) << i;
        EXPECT_EQ(captions[static_cast<qsizetype>(i)], "Reading image:");
    }
    ASSERT_EQ(shownPaths.size(), 8);
    EXPECT_TRUE(shownPaths[7].endsWith("f7.txt"));
    // Started on the text tab, which comes back.
    EXPECT_EQ(form->sPageControl1->currentIndex(), 0);
}

TEST_F(ListWindowTest, StopDuringTheThirdOfTenFilesAddsThree) {
    QStringList paths;
    for (int i = 0; i < 10; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        test::WriteFileBytes(scratch.path() / name, "x");
        paths << Path(name);
    }
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, [&](int value) {
        if (value == 30) {
            form->sBitBtnStart->click(); // no question for the reading job
        }
    });
    AddRows(paths);
    EXPECT_EQ(Model().Count(), 3);
    EXPECT_TRUE(seam.messages.empty());
    EXPECT_EQ(form->sBitBtnStart->text(), "Start");
}

TEST_F(ListWindowTest, ReadingGivesBackTheWatermarkTabOfTheModeOrKeepsTheOutputTab) {
    test::WriteFileBytes(scratch.path() / "a.txt", "x");
    // The user picked the image tab: image mode.
    form->sPageControl1->setCurrentIndex(1);
    ASSERT_EQ(form->CurrentWatermarkMode(), kModeImage);
    AddRows({Path("a.txt")});
    EXPECT_EQ(form->sPageControl1->currentIndex(), 1);

    form->SelectTab(2);
    AddRows({Path("a.txt")});
    EXPECT_EQ(form->sPageControl1->currentIndex(), 2);
}

TEST_F(ListWindowTest, NothingAddsOrEditsWhileAJobRuns) {
    QStringList paths;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        test::WriteFileBytes(scratch.path() / name, "x");
        paths << Path(name);
    }
    seam.openFileAnswers.push_back({Path("f0.txt")});
    seam.directoryAnswers.push_back(Path(""));
    seam.messageAnswers.push_back(MessageAnswer::Yes);
    bool tried = false;
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, [&](int value) {
        if (tried || value != 50) {
            return;
        }
        tried = true;
        // Shortcuts of the disabled menus and a drop must not reach the list.
        form->Addimage1->trigger();
        form->Addfolder1->trigger();
        form->Removeselected1->trigger();
        form->Deselectall1->trigger();
        form->Removeduplications1->trigger();
        EXPECT_FALSE(DropOn(form->sListViewImages->viewport(), {Path("f0.txt")}));
    });
    AddRows(paths);
    ASSERT_TRUE(tried);
    EXPECT_TRUE(seam.openFileRequests.empty());
    EXPECT_TRUE(seam.directoryRequests.empty());
    EXPECT_TRUE(seam.messages.empty());
    EXPECT_EQ(Model().Count(), 4);
    EXPECT_EQ(form->sLabelListInfo->text(), "4 / 4");
}

class ListCommandsTest : public ListWindowTest {
protected:
    void SetUp() override {
        ListWindowTest::SetUp();
        for (const char* name : {"a.png", "b.png", "c.png", "d.png"}) {
            SavePicture(scratch.file(name), FIF_PNG);
        }
        AddRows({Path("a.png"), Path("b.png"), Path("c.png"), Path("d.png")});
        ASSERT_EQ(Model().Count(), 4);
    }
    void Highlight(int row) { form->sListViewImages->setCurrentIndex(Model().index(row, 0)); }
};

TEST_F(ListCommandsTest, SelectButtonsAndMenusSetTheCheckMarks) {
    form->sButtonDeselectAll->click();
    EXPECT_EQ(form->sLabelListInfo->text(), "0 / 4");
    form->sButtonInverseSelection->click();
    EXPECT_EQ(form->sLabelListInfo->text(), "4 / 4");
    form->Deselectall1->trigger();
    form->Selectallimages1->trigger();
    EXPECT_EQ(form->sLabelListInfo->text(), "4 / 4");
    Model().SetStatus(2, ItemStatus::Skipped);
    form->Skipped1->trigger();
    EXPECT_EQ(form->sLabelListInfo->text(), "1 / 4");
    EXPECT_TRUE(Model().Item(2).checked);
    form->Waiting1->trigger();
    EXPECT_EQ(form->sLabelListInfo->text(), "3 / 4");
    EXPECT_FALSE(Model().Item(2).checked);
    form->Successful1->trigger();
    EXPECT_EQ(form->sLabelListInfo->text(), "0 / 4");
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(ListCommandsTest, RemoveAsksEvenWithNothingChecked) {
    form->sButtonDeselectAll->click();
    seam.messageAnswers.push_back(MessageAnswer::Yes);
    form->sButtonRemove->click();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(seam.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(seam.messages[0].text, "Are you sure you want to\r\nremove selected items?");
    EXPECT_EQ(Model().Count(), 4);
}

TEST_F(ListCommandsTest, RemovingThePreviewedRowEmptiesThePreview) {
    Highlight(1);
    ASSERT_EQ(form->Image().CurrentImagePath, scratch.file("b.png"));
    form->sButtonDeselectAll->click();
    Model().SetChecked(1, true);
    Model().SetChecked(3, true);

    // No: nothing changes.
    form->Removeselected1->trigger();
    EXPECT_EQ(Model().Count(), 4);
    EXPECT_EQ(form->Image().CurrentImagePath, scratch.file("b.png"));

    seam.messageAnswers.push_back(MessageAnswer::Yes);
    form->sButtonRemove->click();
    ASSERT_EQ(Model().Count(), 2);
    EXPECT_EQ(Model().Item(0).path, Path("a.png"));
    EXPECT_EQ(Model().Item(1).path, Path("c.png"));
    EXPECT_EQ(form->Image().CurrentImagePath, "");
    EXPECT_TRUE(form->Image().PreviewBitmap.Empty());
    EXPECT_EQ(form->Preview().sLabelName->text(), "Preview Image");
    EXPECT_EQ(form->Preview().sLabelProperties->text(), "");
    EXPECT_FALSE(form->Preview().imagePreview->isVisible());
    // Nothing is highlighted afterwards, so the prompt comes back and no other row was loaded.
    EXPECT_FALSE(form->sListViewImages->currentIndex().isValid());
    EXPECT_EQ(form->Preview().Prompt(), "Click on the list to preview an image");
    EXPECT_EQ(form->sLabelListInfo->text(), "0 / 2");
}

TEST_F(ListCommandsTest, RemovingOtherRowsKeepsThePreview) {
    Highlight(0);
    form->sButtonDeselectAll->click();
    Model().SetChecked(2, true);
    seam.messageAnswers.push_back(MessageAnswer::Yes);
    form->sButtonRemove->click();
    EXPECT_EQ(Model().Count(), 3);
    EXPECT_EQ(form->Image().CurrentImagePath, scratch.file("a.png"));
    EXPECT_EQ(form->sListViewImages->currentIndex().row(), 0);
    EXPECT_TRUE(form->Preview().imagePreview->isVisible());
}

TEST_F(ListCommandsTest, ClearAsksAndEmptiesEverything) {
    Highlight(2);
    form->sBitBtnClear->click(); // answered No
    EXPECT_EQ(Model().Count(), 4);
    seam.messageAnswers.push_back(MessageAnswer::Yes);
    form->sBitBtnClear->click();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].text, "Are you sure you want\r\nto remove the all items?");
    EXPECT_EQ(Model().Count(), 0);
    EXPECT_EQ(form->sLabelListInfo->text(), "0 / 0");
    EXPECT_EQ(form->Image().CurrentImagePath, "");
    EXPECT_EQ(form->Preview().sLabelName->text(), "Preview Image");
    EXPECT_EQ(form->Preview().Prompt(), "");

    // On an empty list: no question.
    form->sBitBtnClear->click();
    form->sButtonRemove->click();
    form->Removeduplications1->trigger();
    EXPECT_EQ(seam.messages.size(), 2u);
}

TEST_F(ListCommandsTest, RemoveDuplicationsReports) {
    AddRows({Path("a.png"), Path("c.png")});
    Highlight(4); // a later copy of a.png
    const std::string shown = form->Image().CurrentImagePath;
    form->Removeduplications1->trigger();
    ASSERT_EQ(Model().Count(), 4);
    EXPECT_EQ(form->sLabelListInfo->text(), "4 / 4");
    form->Removeduplications1->trigger();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(seam.messages[0].text, "Duplications removed!");
    EXPECT_EQ(seam.messages[1].text, "There are no duplicates!");
    // The preview is not touched.
    EXPECT_EQ(form->Image().CurrentImagePath, shown);
}

TEST_F(ListCommandsTest, ShowListGridToggles) {
    form->MenuItemShowgrid->trigger();
    EXPECT_FALSE(form->MenuItemShowgrid->isChecked());
    EXPECT_FALSE(form->sListViewImages->showGrid());
    form->MenuItemShowgrid->trigger();
    EXPECT_TRUE(form->sListViewImages->showGrid());
}

TEST_F(ListCommandsTest, CounterFollowsAHandMadeCheckMark) {
    Model().setData(Model().index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(form->sLabelListInfo->text(), "3 / 4");
    // The counter sits at the right end of its bar.
    EXPECT_EQ(form->sLabelListInfo->x(), form->sPanel8->width() - form->sLabelListInfo->width() - 8);
}

} // namespace
} // namespace tessoly
