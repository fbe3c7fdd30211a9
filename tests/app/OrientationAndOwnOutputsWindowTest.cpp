// The window on camera-like inputs: a photo stored sideways (Exif orientation 6) is listed,
// previewed and written upright unless "Apply Exif orientation" is off; and the window's batch,
// like tessoly-cli's, never replaces a file it wrote itself earlier in the same run, with the
// same statuses, reasons and files as the core batch that tessoly-cli runs.

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include "app/ListWindowFixture.h"
#include "batch/ParallelBatch.h"
#include "imageio/FreeImageHandle.h"
#include "preview/PreviewPane.h"
#include "support/ExifJpegFixture.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;

class OrientationWindowTest : public ListWindowTest {};

TEST_F(OrientationWindowTest, ASidewaysPhotoIsListedPreviewedAndWrittenUpright) {
    QCheckBox* autoOrient = form->findChild<QCheckBox*>(QStringLiteral("sCheckBoxAutoOrient"));
    ASSERT_NE(autoOrient, nullptr);
    EXPECT_EQ(autoOrient->text(), "Apply Exif orientation");
    EXPECT_TRUE(autoOrient->isChecked());

    const FreeImagePtr picture = test::CornerPicture(80, 48, 8);
    const std::string source = scratch.file("phone.jpg");
    test::WriteOrientedJpeg(source, picture.get(), 6);
    AddRows({QString::fromStdString(source)});
    ASSERT_EQ(Model().Count(), 1);
    EXPECT_EQ(Model().Item(0).dimensionsText, "48 x 80");

    form->sListViewImages->setCurrentIndex(Model().index(0, 0));
    ASSERT_TRUE(test::WaitUntil([&] { return !form->Preview().sLabelProperties->text().isEmpty(); }, 5000));
    EXPECT_TRUE(form->Preview().sLabelProperties->text().startsWith(" 48 x 80  |"));

    // Turned off, the shown image is decoded again as stored, and a new row lists stored sizes.
    autoOrient->click();
    EXPECT_TRUE(form->Preview().sLabelProperties->text().startsWith(" 80 x 48  |"))
        << form->Preview().sLabelProperties->text().toStdString();
    AddRows({QString::fromStdString(source)});
    EXPECT_EQ(Model().Item(1).dimensionsText, "80 x 48");
    autoOrient->click();

    // Written without Exif, the output's pixels are what a viewer shows: upright.
    fs::create_directories(scratch.path() / "out");
    form->sDirectoryEditOutput->setText(Path("out"));
    form->sCheckBoxExif->click();
    form->sSpeedButtonOpenFolder->click();
    form->ListSide().Model().SetChecked(1, false);
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Model().Item(0).status, ItemStatus::Successful);
    const FreeImagePtr written(FreeImage_Load(FIF_JPEG, scratch.file("out/phone.jpg").c_str(), 0));
    ASSERT_TRUE(written);
    EXPECT_EQ(FreeImage_GetWidth(written.get()), 48u);
    EXPECT_EQ(FreeImage_GetHeight(written.get()), 80u);
}

struct OwnOutputsCase {
    const char* name;
    bool rename;
    int jobs;
};

class OwnOutputsWindowTest : public ListWindowTest, public testing::WithParamInterface<OwnOutputsCase> {};

//! Names and bytes of the files in folder.
std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = test::ReadFileBytes(entry.path());
    return files;
}

TEST_P(OwnOutputsWindowTest, TheWindowSkipsLikeTheCoreBatchAndSaysWhyOnTheRow) {
    const OwnOutputsCase& c = GetParam();
    std::vector<std::string> sources;
    QStringList paths;
    for (int i = 1; i <= 3; ++i) {
        const fs::path folder = scratch.path() / ("c" + std::to_string(i));
        fs::create_directories(folder);
        const std::string path = (folder / "DSC_0001.jpg").string();
        test::SavePicture(path, FIF_JPEG, 30 + 10 * i, 30);
        sources.push_back(path);
        paths << QString::fromStdString(path);
    }
    AddRows(paths);
    ASSERT_EQ(Model().Count(), 3);
    const fs::path windowOut = scratch.path() / "window-out", coreOut = scratch.path() / "core-out";
    fs::create_directories(windowOut);
    fs::create_directories(coreOut);
    form->sDirectoryEditOutput->setText(QString::fromStdString(windowOut.string()));
    form->sSpeedButtonOpenFolder->click();
    if (c.rename) {
        form->sRadioButtonRename->click();
    } else {
        form->sRadioButtonOverwrite->click(); // warns once
        seam.messageAnswers.push_back(MessageAnswer::Yes); // "overwrite?" at Start
    }
    const std::size_t boxesBefore = seam.messages.size();
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle());

    OutputSettings output = form->ReadOutputSettings();
    output.outputFolder = coreOut.string();
    std::vector<PipelineResult> core(3);
    RunParallelBatch(sources, form->ReadSettings(), output, c.jobs,
                     {[&](std::size_t i, const PipelineResult& r) { core[i] = r; }, {}, {}});

    const std::string target = c.rename ? "DSC_0001_Renamed_by_TLY.jpg" : "DSC_0001.jpg";
    const std::vector<ItemStatus> expected =
        c.rename ? std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Successful, ItemStatus::Skipped}
                 : std::vector<ItemStatus>{ItemStatus::Successful, ItemStatus::Skipped, ItemStatus::Skipped};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Model().Item(i).status, expected[std::size_t(i)]) << i;
        EXPECT_EQ(core[std::size_t(i)].status, expected[std::size_t(i)]) << i;
        const QString hint = Model().data(Model().index(i, 0), Qt::ToolTipRole).toString();
        if (expected[std::size_t(i)] == ItemStatus::Skipped) {
            const std::string windowTarget = (windowOut / target).string();
            EXPECT_EQ(hint.toStdString(), paths[i].toStdString() + "\n" + windowTarget + " was already written by this batch");
            EXPECT_EQ(core[std::size_t(i)].reason, (coreOut / target).string() + " was already written by this batch");
        } else {
            EXPECT_EQ(hint, paths[i]);
        }
    }
    // The end-of-run box counts the skipped rows.
    ASSERT_GT(seam.messages.size(), boxesBefore);
    EXPECT_TRUE(seam.messages.back().text.startsWith(c.rename ? "1 error(s)" : "2 error(s)"))
        << seam.messages.back().text.toStdString();

    const std::map<std::string, std::string> windowFiles = FolderFiles(windowOut);
    EXPECT_EQ(windowFiles.size(), c.rename ? 2u : 1u);
    EXPECT_TRUE(windowFiles == FolderFiles(coreOut)) << "the window and the core batch wrote different files";
}

INSTANTIATE_TEST_SUITE_P(PoliciesAndJobs, OwnOutputsWindowTest,
                         testing::Values(OwnOutputsCase{"RenameJobs1", true, 1}, OwnOutputsCase{"RenameJobs3", true, 3},
                                         OwnOutputsCase{"OverwriteJobs1", false, 1},
                                         OwnOutputsCase{"OverwriteJobs3", false, 3}),
                         [](const testing::TestParamInfo<OwnOutputsCase>& info) { return info.param.name; });

} // namespace
} // namespace tessoly
