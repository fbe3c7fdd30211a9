// Presets in the window: what it saves, tessoly-cli turns into the same bytes as the window's
// batch; opening one sets every control; a refused one leaves every control as it was; the File
// menu lists the last presets used.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/ListWindowFixture.h"
#include "app/SpinEdit.h"
#include "batch/PresetFile.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;
using test::SavePicture;

class PresetWindowTest : public ListWindowTest {
protected:
    //! The window's settings as preset text, to compare whole states.
    std::string State() {
        return PresetText(PresetSettings{form->ReadSettings(), form->ReadOutputSettings()},
                          scratch.file("state.tessoly-preset"));
    }

    //! A design away from the defaults, set through the controls.
    void Design() {
        form->sEditTextCaption->setText(QStringLiteral("Preset gyp"));
        form->sComboBoxFontSizeUnitText->setCurrentIndex(1);
        form->sSpinEditFontSize->SetValue(7);
        form->sComboBoxHMarginsUnitText->setCurrentIndex(1);
        form->sSpinEditHMarginsText->SetValue(4);
        form->sCheckBoxTileText->setChecked(true);
        form->sSpinEditTileSpacingText->SetValue(80);
        form->AlignText[2]->setChecked(true);
        form->sTrackBarOpacityText->setValue(41);
        form->sComboBoxImageFormat->setCurrentText(QStringLiteral("PNG"));
        form->sComboBoxRotate->setCurrentText(QStringLiteral("90\u00B0 CW"));
        form->sCheckBoxResizeImage->setChecked(true);
        form->sDecimalSpinEditWidth->SetValue(90);
    }
};

TEST_F(PresetWindowTest, ASavedPresetGivesTessolyCliTheWindowsBytes) {
    const fs::path in = scratch.path() / "in";
    const fs::path windowOut = scratch.path() / "window-out";
    const fs::path cliOut = scratch.path() / "cli-out";
    for (const fs::path& folder : {in, windowOut, cliOut})
        fs::create_directories(folder);
    SavePicture((in / "a.png").string(), FIF_PNG, 240, 160);
    SavePicture((in / "b.jpg").string(), FIF_JPEG, 97, 203);
    AddRows(
        {QString::fromStdString((in / "a.png").string()), QString::fromStdString((in / "b.jpg").string())});
    ASSERT_EQ(Model().Count(), 2);

    Design();
    form->sDirectoryEditOutput->setText(QString::fromStdString(windowOut.string()));
    const QString preset = QString::fromStdString(scratch.file("design"));
    seam.saveFileAnswers.push_back(preset);
    form->SavePresetAs1->trigger();
    ASSERT_TRUE(seam.messages.empty()) << seam.messages.front().text.toStdString();
    ASSERT_TRUE(fs::exists(scratch.file("design.tessoly-preset"))); // the extension is added

    form->sSpeedButtonOpenFolder->click(); // nothing to open
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(seam.messages.empty()) << seam.messages.front().text.toStdString();

    QProcess cli;
    cli.start(QStringLiteral(TESSOLY_CLI_PATH),
              {QStringLiteral("--preset"), preset + QStringLiteral(".tessoly-preset"),
               QStringLiteral("--output-folder"), QString::fromStdString(cliOut.string()),
               QString::fromStdString((in / "a.png").string()),
               QString::fromStdString((in / "b.jpg").string())});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const std::vector<std::string> names = test::FolderNames(cliOut);
    ASSERT_EQ(names.size(), 2u);
    ASSERT_EQ(test::FolderNames(windowOut), names);
    for (const std::string& name : names) {
        const std::string windowBytes = test::ReadFileBytes(windowOut / name);
        ASSERT_FALSE(windowBytes.empty()) << name;
        EXPECT_TRUE(windowBytes == test::ReadFileBytes(cliOut / name)) << name << " differs";
    }
}

TEST_F(PresetWindowTest, OpeningAPresetSetsEveryControlAndListsIt) {
    Design();
    const std::string designed = State();
    const QString preset = QString::fromStdString(scratch.file("a.tessoly-preset"));
    ASSERT_TRUE(form->SavePreset(preset));

    // Back to other values on both tabs, then open the preset.
    form->sComboBoxFontSizeUnitText->setCurrentIndex(0);
    form->sSpinEditFontSize->SetValue(33);
    form->sCheckBoxTileImage->setChecked(false);
    form->sComboBoxHMarginsUnitImage->setCurrentIndex(0);
    form->sComboBoxImageFormat->setCurrentText(QStringLiteral("BMP"));
    form->sCheckBoxResizeImage->setChecked(false);
    ASSERT_NE(State(), designed);
    seam.openFileAnswers.push_back({preset});
    form->OpenPreset1->trigger();
    ASSERT_TRUE(seam.messages.empty()) << seam.messages.front().text.toStdString();
    EXPECT_EQ(State(), designed);
    // The twins of the image tab follow.
    EXPECT_TRUE(form->sCheckBoxTileImage->isChecked());
    EXPECT_EQ(form->sComboBoxHMarginsUnitImage->currentIndex(), 1);
    EXPECT_EQ(form->sSpinEditHMarginsImage->Value(), 4);

    ASSERT_EQ(form->RecentPresets().size(), 1);
    EXPECT_TRUE(form->RecentPresetItems[0]->isVisible());
    EXPECT_TRUE(form->RecentPresetItems[0]->text().contains(QStringLiteral("a.tessoly-preset")));
    EXPECT_FALSE(form->RecentPresetItems[1]->isVisible());
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(form->SavePreset(
            QString::fromStdString(scratch.file("p" + std::to_string(i) + ".tessoly-preset"))));
    EXPECT_EQ(form->RecentPresets().size(), TMainForm::kRecentPresetCount);
    EXPECT_TRUE(form->RecentPresets().front().endsWith(QStringLiteral("p5.tessoly-preset")));
}

TEST_F(PresetWindowTest, TheRecentPresetsAreKeptBetweenRuns) {
    const QString keep = QString::fromStdString(scratch.file("config/recent-presets"));
    StartOptions options{QString::fromStdString(scratch.file("tessoly.ini"))};
    options.recentPresetsPath = keep;
    {
        TMainForm first(seam, options);
        ASSERT_TRUE(first.SavePreset(QString::fromStdString(scratch.file("one.tessoly-preset"))));
        ASSERT_TRUE(first.SavePreset(QString::fromStdString(scratch.file("two.tessoly-preset"))));
    }
    TMainForm second(seam, options);
    ASSERT_EQ(second.RecentPresets().size(), 2);
    EXPECT_TRUE(second.RecentPresets()[0].endsWith(QStringLiteral("two.tessoly-preset")));
    EXPECT_TRUE(second.RecentPresetItems[1]->isVisible());
    // The settings themselves are not: the window starts with the defaults.
    EXPECT_EQ(second.ReadSettings().caption, WatermarkSettings().caption);
}

TEST_F(PresetWindowTest, ARefusedPresetChangesNothingAndNamesTheFileAndKey) {
    Design();
    const std::string before = State();
    const std::string path = scratch.file("bad.tessoly-preset");
    std::ofstream(path) << R"({"format": "tessoly-preset", "version": 1,
        "watermark": {"caption": "changed", "opacity": 99}})";
    seam.openFileAnswers.push_back({QString::fromStdString(path)});
    form->OpenPreset1->trigger();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(seam.messages[0].text.contains(QString::fromStdString(path)));
    EXPECT_TRUE(seam.messages[0].text.contains(QStringLiteral("\"watermark.opacity\"")));
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(form->RecentPresets().isEmpty());
}

TEST_F(PresetWindowTest, UnknownKeysOpenWithAWarning) {
    const std::string path = scratch.file("newer.tessoly-preset");
    std::ofstream(path) << R"({"format": "tessoly-preset", "version": 1,
        "watermark": {"caption": "From later", "sparkle": 3}})";
    ASSERT_TRUE(form->OpenPreset(QString::fromStdString(path)));
    EXPECT_EQ(form->sEditTextCaption->text(), QStringLiteral("From later"));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Warning);
    EXPECT_TRUE(seam.messages[0].text.contains(QStringLiteral("\"watermark.sparkle\"")));
}

} // namespace
} // namespace tessoly
