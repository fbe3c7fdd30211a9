// The window's batch and the core item pipeline that tessoly-cli runs must write the same bytes for
// the same sources and settings: the window decodes, composes and shows each image on its own
// path (the preview, the guide lines it leaves out), and any drift between the two would make the
// command line a different program.

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/ListWindowFixture.h"
#include "batch/ImagePipeline.h"
#include "batch/ParallelBatch.h"
#include "render/TrueTypeFont.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;
using test::SavePicture;

struct ParityCase {
    const char* name;
    //! Output format choice of the combo box.
    const char* format;
    //! "Show guide lines" checked: the window's preview has them, its output must not.
    bool guideLines;
    //! Caption typed into the text tab.
    const char* caption;
    friend void PrintTo(const ParityCase& c, std::ostream* os) { *os << c.name; }
};

class WindowCoreParityTest : public ListWindowTest, public testing::WithParamInterface<ParityCase> {};
class WindowTransparencyTest : public ListWindowTest {};

TEST_P(WindowCoreParityTest, WindowBatchWritesTheBytesOfTheCorePipeline) {
    const ParityCase& c = GetParam();
    const fs::path in = scratch.path() / "in";
    const fs::path windowOut = scratch.path() / "window-out";
    const fs::path coreOut = scratch.path() / "core-out";
    for (const fs::path& folder : {in, windowOut, coreOut})
        fs::create_directories(folder);

    // Three sizes and three formats: the window's bitmaps change size between items.
    SavePicture((in / "a.jpg").string(), FIF_JPEG, 160, 120);
    SavePicture((in / "b.png").string(), FIF_PNG, 97, 203);
    SavePicture((in / "c.bmp").string(), FIF_BMP, 160, 120);
    const std::vector<std::string> sources = {(in / "a.jpg").string(), (in / "b.png").string(),
                                              (in / "c.bmp").string()};
    QStringList paths;
    for (const std::string& source : sources)
        paths << QString::fromStdString(source);
    AddRows(paths);
    ASSERT_EQ(Model().Count(), 3);

    form->sEditTextCaption->setText(QString::fromUtf8(c.caption));
    form->sComboBoxImageFormat->setCurrentText(QString::fromUtf8(c.format));
    if (c.guideLines)
        form->Showguidelines->trigger();
    ASSERT_EQ(form->Showguidelines->isChecked(), c.guideLines);
    form->sDirectoryEditOutput->setText(QString::fromStdString(windowOut.string()));
    form->sSpeedButtonOpenFolder->click(); // nothing to open
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(seam.messages.empty()) << seam.messages.front().text.toStdString();

    // The core path with the window's own settings, on bitmaps and a font of its own, in place as
    // tessoly-cli composes.
    const WatermarkSettings watermark = form->ReadSettings();
    OutputSettings output = form->ReadOutputSettings();
    output.outputFolder = coreOut.string();
    WorkingImage image;
    TTrueTypeFont font;
    PipelineOptions options;
    options.showInPreview = false;
    for (const std::string& source : sources) {
        const PipelineResult result = ProcessImage(source, watermark, output, image, font, options);
        ASSERT_EQ(result.status, ItemStatus::Successful) << source << ": " << result.reason;
    }

    const std::vector<std::string> names = test::FolderNames(coreOut);
    ASSERT_EQ(names.size(), 3u);
    ASSERT_EQ(test::FolderNames(windowOut), names);
    for (const std::string& name : names) {
        const std::string windowBytes = test::ReadFileBytes(windowOut / name);
        ASSERT_FALSE(windowBytes.empty()) << name;
        EXPECT_TRUE(windowBytes == test::ReadFileBytes(coreOut / name)) << name << " differs";
    }
}

// A mixed list through the window's batch, through the parallel batch as tessoly-cli runs it (two
// workers) and one by one: the same statuses and the same bytes in every output folder. Two
// sources share one output name (the second is skipped under Skip), one output exists already,
// one file is no picture and one is gone.
TEST_F(ListWindowTest, WindowBatchGivesTheFilesAndStatusesOfTheCommandLine) {
    const fs::path in = scratch.path() / "in";
    fs::create_directories(in);
    SavePicture((in / "a.png").string(), FIF_PNG, 300, 200);
    SavePicture((in / "a.bmp").string(), FIF_BMP, 120, 90);
    SavePicture((in / "b.jpg").string(), FIF_JPEG, 257, 311);
    test::WriteFileBytes(in / "notes.jpg", "no picture at all");
    SavePicture((in / "c.png").string(), FIF_PNG, 64, 64);
    SavePicture((in / "d.tif").string(), FIF_TIFF, 200, 150);
    const std::vector<std::string> sources = {(in / "a.png").string(), (in / "b.jpg").string(),
                                              (in / "a.bmp").string(), (in / "notes.jpg").string(),
                                              (in / "c.png").string(), (in / "gone.png").string(),
                                              (in / "d.tif").string()};
    const std::vector<std::string> outputs = {"window", "cli", "one-by-one"};
    for (const std::string& out : outputs) {
        fs::create_directories(scratch.path() / out);
        test::WriteFileBytes(scratch.path() / out / "c.png", "an older output");
    }
    QStringList paths;
    for (const std::string& source : sources)
        paths << QString::fromStdString(source);
    AddRows(paths);
    ASSERT_EQ(Model().Count(), static_cast<int>(sources.size()));

    form->sEditTextCaption->setText(QStringLiteral("Mixed"));
    form->sComboBoxImageFormat->setCurrentText(QStringLiteral("PNG"));
    form->sRadioButtonSkip->setChecked(true);
    form->sDirectoryEditOutput->setText(QString::fromStdString((scratch.path() / "window").string()));
    form->sSpeedButtonOpenFolder->click(); // nothing to open
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle());
    std::vector<ItemStatus> windowStatuses;
    for (int i = 0; i < Model().Count(); ++i)
        windowStatuses.push_back(Model().Item(i).status);

    const WatermarkSettings watermark = form->ReadSettings();
    OutputSettings output = form->ReadOutputSettings();
    output.outputFolder = (scratch.path() / "cli").string();
    std::vector<ItemStatus> cliStatuses(sources.size(), ItemStatus::Waiting);
    ParallelBatchCallbacks callbacks;
    callbacks.onResult = [&](std::size_t index, const PipelineResult& result) {
        cliStatuses[index] = result.status;
    };
    ASSERT_EQ(RunParallelBatch(sources, watermark, output, 2, callbacks), sources.size());

    output.outputFolder = (scratch.path() / "one-by-one").string();
    std::vector<ItemStatus> sequentialStatuses;
    WorkingImage image;
    TTrueTypeFont font;
    PipelineOptions options;
    options.showInPreview = false;
    for (const std::string& source : sources)
        sequentialStatuses.push_back(ProcessImage(source, watermark, output, image, font, options).status);

    const std::vector<ItemStatus> expected = {
        ItemStatus::Successful, ItemStatus::Successful,   ItemStatus::Skipped,   ItemStatus::Unsuccessful,
        ItemStatus::Skipped,    ItemStatus::Unsuccessful, ItemStatus::Successful};
    EXPECT_EQ(sequentialStatuses, expected);
    EXPECT_EQ(cliStatuses, sequentialStatuses);
    EXPECT_EQ(windowStatuses, sequentialStatuses);
    // The two undecodable rows' boxes in list order, then the summary of four.
    EXPECT_EQ(MessageTexts(),
              (QStringList{QString::fromStdString(sources[3]), QString::fromStdString(sources[5]),
                           "4 error(s) occurred during the watermarking process!\r\n"
                           "Probably disk write error or skipped image."}));

    const std::vector<std::string> names = test::FolderNames(scratch.path() / "one-by-one");
    EXPECT_EQ(names, (std::vector<std::string>{"a.png", "b.png", "c.png", "d.png"}));
    for (const std::string& out : {std::string("window"), std::string("cli")}) {
        ASSERT_EQ(test::FolderNames(scratch.path() / out), names) << out;
        for (const std::string& name : names) {
            EXPECT_TRUE(test::ReadFileBytes(scratch.path() / out / name) ==
                        test::ReadFileBytes(scratch.path() / "one-by-one" / name))
                << out << "/" << name << " differs";
        }
    }
}

//! A GIF whose left half is its transparent colour.
void SaveTransparentGif(const std::string& path) {
    FIBITMAP* dib = FreeImage_Allocate(90, 60, 8);
    FreeImage_GetPalette(dib)[1] = RGBQUAD{40, 160, 220, 0};
    for (unsigned y = 0; y < 60; ++y) {
        for (unsigned x = 0; x < 90; ++x) {
            BYTE index = x < 45 ? 0 : 1;
            FreeImage_SetPixelIndex(dib, x, y, &index);
        }
    }
    FreeImage_SetTransparentIndex(dib, 0);
    ASSERT_TRUE(FreeImage_Save(FIF_GIF, dib, path.c_str(), 0));
    FreeImage_Unload(dib);
}

// Transparency follows the output format the same way on both paths: a PNG keeps the GIF's
// transparent colour as alpha, a JPEG is opaque.
TEST_F(WindowTransparencyTest, AGifsTransparencyReachesThePngOfBothPaths) {
    const fs::path in = scratch.path() / "in";
    fs::create_directories(in);
    const std::string gif = (in / "logo.gif").string();
    SaveTransparentGif(gif);
    AddRows(QStringList{QString::fromStdString(gif)});
    ASSERT_EQ(Model().Count(), 1);
    for (const char* format : {"PNG", "JPEG"}) {
        const fs::path windowOut = scratch.path() / (std::string("window-") + format);
        const fs::path coreOut = scratch.path() / (std::string("core-") + format);
        fs::create_directories(windowOut);
        fs::create_directories(coreOut);
        form->sComboBoxImageFormat->setCurrentText(QString::fromUtf8(format));
        form->sDirectoryEditOutput->setText(QString::fromStdString(windowOut.string()));
        form->sBitBtnStart->click();
        ASSERT_TRUE(WaitIdle());
        OutputSettings output = form->ReadOutputSettings();
        output.outputFolder = coreOut.string();
        WorkingImage image;
        TTrueTypeFont font;
        PipelineOptions options;
        options.showInPreview = false;
        ASSERT_EQ(ProcessImage(gif, form->ReadSettings(), output, image, font, options).status,
                  ItemStatus::Successful);
        const std::vector<std::string> names = test::FolderNames(coreOut);
        ASSERT_EQ(names.size(), 1u);
        ASSERT_EQ(test::FolderNames(windowOut), names);
        EXPECT_TRUE(test::ReadFileBytes(windowOut / names[0]) == test::ReadFileBytes(coreOut / names[0])) << format;
        if (std::string(format) == "PNG") {
            FIBITMAP* png = FreeImage_Load(FIF_PNG, (coreOut / names[0]).string().c_str(), 0);
            ASSERT_NE(png, nullptr);
            EXPECT_EQ(FreeImage_GetBPP(png), 32u);
            FreeImage_Unload(png);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, WindowCoreParityTest,
                         testing::Values(ParityCase{"Unchanged", "Unchanged", false, "\u00A9 Tessoly"},
                                         ParityCase{"PngWithGuideLines", "PNG", true, "Parity gyp"},
                                         ParityCase{"Jpeg", "JPEG", false, "Wq"}),
                         [](const testing::TestParamInfo<ParityCase>& info) { return info.param.name; });

} // namespace
} // namespace tessoly
