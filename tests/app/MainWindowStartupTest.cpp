// Start-up of the main window: the first state of its controls, the menus, the installation facts
// and the single-instance guard.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSysInfo>
#include <QTabWidget>

#include "app/InstallFacts.h"
#include "app/SingleInstance.h"
#include "app/SpinEdit.h"
#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

using test::ScratchDir;
using test::ScriptedDialogSeam;
using test::WindowFixture;

TEST(MainWindowStartup, FirstTextsAndStates) {
    WindowFixture f;
    TMainForm& form = *f.form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tessoly"));
    EXPECT_EQ(f.Find<QLabel>("sLabelName")->text(), QStringLiteral("Preview Image"));
    EXPECT_EQ(f.Find<QLabel>("sLabelListInfo")->text(), QStringLiteral("0 / 0"));
    EXPECT_EQ(f.Find<QLabel>("sLabelPercentText")->text(), QStringLiteral("60 %"));
    EXPECT_EQ(f.Find<QLabel>("sLabelPercentImage")->text(), QStringLiteral("60 %"));
    EXPECT_EQ(f.Find<QLabel>("sLabelJPEGQuality")->text(), QStringLiteral("80%"));
    EXPECT_EQ(f.Find<QLabel>("sLabelImageAngle")->text(), QStringLiteral("0\u00B0"));
    EXPECT_TRUE(f.Find<QLabel>("sLabelProperties")->text().isEmpty());
    EXPECT_TRUE(f.Find<QLabel>("sLabelScale")->text().isEmpty());
    EXPECT_TRUE(f.Find<QLabel>("sPanelContent")->text().isEmpty());
    EXPECT_FALSE(f.Find<QWidget>("imagePreview")->isVisible());
    EXPECT_EQ(f.Find<QFontComboBox>("sFontComboBox")->currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(f.Find<QLabel>("sLabelFXWebpage")->text(), QStringLiteral("varnelworks.com"));

    auto* tabs = f.Find<QTabWidget>("sPageControl1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Text Watermark "));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Image Watermark "));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Output Settings && Start "));
    EXPECT_EQ(form.CurrentWatermarkMode(), kModeText);
    EXPECT_EQ(form.TabIcon, (std::array<int, 3>{0, 5, 6}));

    auto* rotate = f.Find<QComboBox>("sComboBoxRotate");
    ASSERT_EQ(rotate->count(), 4);
    EXPECT_EQ(rotate->itemText(0), QStringLiteral("None"));
    EXPECT_EQ(rotate->itemText(1), QStringLiteral("90\u00B0 CW"));
    EXPECT_EQ(rotate->itemText(2), QStringLiteral("90\u00B0 CCW"));
    EXPECT_EQ(rotate->itemText(3), QStringLiteral("180\u00B0"));

    for (const char* hidden :
         {"sBitBtnTutorial", "sLabelFXProcessing", "sLabelFXCurrentImage", "AdvGDIPPictureWatermark"})
        EXPECT_FALSE(f.Find<QWidget>(hidden)->isVisible()) << hidden;
    for (const char* disabled : {"sDecimalSpinEditWidth", "sDecimalSpinEditHeight", "sCheckBoxProportional"})
        EXPECT_FALSE(f.Find<QWidget>(disabled)->isEnabled()) << disabled;
    EXPECT_TRUE(f.Find<QWidget>("sBitBtnStart")->isEnabled());
    EXPECT_EQ(f.Find<QProgressBar>("sGaugeProcess")->value(), 0);
    EXPECT_FALSE(f.Find<QProgressBar>("sGaugeProcess")->isTextVisible());
}

TEST(MainWindowStartup, ControlsStartWithTheirValues) {
    WindowFixture f;
    const WatermarkSettings read = f.form->ReadSettings();
    const WatermarkSettings defaults;
    EXPECT_EQ(read.mode, defaults.mode);
    EXPECT_EQ(read.caption, defaults.caption);
    EXPECT_EQ(read.fontName, defaults.fontName);
    EXPECT_EQ(read.fontSize, defaults.fontSize);
    EXPECT_EQ(read.bold, defaults.bold);
    EXPECT_EQ(read.italic, defaults.italic);
    EXPECT_EQ(read.textColour, defaults.textColour);
    EXPECT_EQ(read.outline, defaults.outline);
    EXPECT_EQ(read.effect3D, defaults.effect3D);
    EXPECT_EQ(read.opacityPosition, defaults.opacityPosition);
    EXPECT_EQ(read.textAngle, defaults.textAngle);
    EXPECT_EQ(read.position, defaults.position);
    EXPECT_EQ(read.hMargin, defaults.hMargin);
    EXPECT_EQ(read.vMargin, defaults.vMargin);
    EXPECT_EQ(read.picturePath, defaults.picturePath);
    EXPECT_EQ(read.transparentEdges, defaults.transparentEdges);
    EXPECT_EQ(read.imageScaleText, defaults.imageScaleText);
    EXPECT_EQ(read.imageRotationPosition, defaults.imageRotationPosition);
    EXPECT_EQ(read.showGuideLines, defaults.showGuideLines);
    EXPECT_EQ(read.guideColour, defaults.guideColour);
    EXPECT_EQ(read.screenDpi, 96);
    EXPECT_EQ(read.fontSizeUnit, defaults.fontSizeUnit);
    EXPECT_EQ(read.hMarginUnit, defaults.hMarginUnit);
    EXPECT_EQ(read.vMarginUnit, defaults.vMarginUnit);
    EXPECT_EQ(read.imageScaleUnit, defaults.imageScaleUnit);
    EXPECT_EQ(read.tile, defaults.tile);
    EXPECT_EQ(read.tileSpacing, defaults.tileSpacing);

    const OutputSettings output = f.form->ReadOutputSettings();
    const OutputSettings outputDefaults;
    EXPECT_EQ(output.formatChoice, outputDefaults.formatChoice);
    EXPECT_EQ(output.resolutionChoice, outputDefaults.resolutionChoice);
    EXPECT_EQ(output.colourMode, outputDefaults.colourMode);
    EXPECT_EQ(output.jpegQuality, outputDefaults.jpegQuality);
    EXPECT_EQ(output.keepMetadata, outputDefaults.keepMetadata);
    EXPECT_EQ(output.rotation, outputDefaults.rotation);
    EXPECT_EQ(output.resize, outputDefaults.resize);
    EXPECT_EQ(output.widthText, outputDefaults.widthText);
    EXPECT_EQ(output.heightText, outputDefaults.heightText);
    EXPECT_EQ(output.proportional, outputDefaults.proportional);
    EXPECT_EQ(output.outputFolder, outputDefaults.outputFolder);
    EXPECT_EQ(output.existingFilePolicy, outputDefaults.existingFilePolicy);
}

TEST(MainWindowStartup, MenusHoldTheirItemsInOrder) {
    WindowFixture f;
    struct Expected {
        const char* menu;
        std::vector<QString> items; // "-" is a separator
    };
    const std::vector<Expected> menus = {
        {"FileMenu",
         {"Add image", "Add folder", "-", "Open preset\u2026", "Save preset as\u2026", "-", "Start conversion", "-",
          "Exit"}},
        {"EditMenu",
         {"Select all", "Deselect all", "Inverse selection", "Select for status", "-", "Remove duplications",
          "Remove selected", "-", "Show list grid", "Guide lines"}},
        {"Selectforstatus1", {"Successful", "Unsuccessful", "Skipped", "Waiting"}},
        {"Guidelines", {"Show guide lines", "Guide lines color"}},
        {"SpecialCharMenu", {"Add Copyright sign", "Add Trademark sign", "Add Registered sign"}},
        // Video tutorial stays hidden until the update check reveals it.
        {"HelpMenu", {"Website", "Feedback", "-", "Donate", "-", "About"}},
    };
    for (const Expected& expected : menus) {
        auto* menu = f.Find<QMenu>(expected.menu);
        ASSERT_NE(menu, nullptr) << expected.menu;
        std::vector<QString> shown;
        for (QAction* action : menu->actions())
            if (action->isVisible())
                shown.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(shown, expected.items) << expected.menu;
    }
    const std::vector<std::pair<const char*, const char*>> shortcuts = {
        {"Addimage1", "Ctrl+A"},      {"Addfolder1", "Ctrl+F"}, {"Exit1", "Ctrl+W"},
        {"Showguidelines", "Ctrl+G"}, {"Donate1", "Ctrl+D"},    {"About1", "Ctrl+B"}};
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(f.Find<QAction>(name)->shortcut(), QKeySequence(QLatin1String(keys))) << name;
    EXPECT_TRUE(f.Find<QAction>("MenuItemShowgrid")->isChecked());
    EXPECT_FALSE(f.Find<QAction>("Showguidelines")->isChecked());
    EXPECT_FALSE(f.Find<QAction>("VideoTutorial1")->isVisible());
}

TEST(MainWindowStartup, PreviewAreaHasItsDefaultSize) {
    WindowFixture f;
    const QWidget* area = f.Find<QWidget>("sPanelContent");
    EXPECT_EQ(area->size(), QSize(416, 255));
    EXPECT_EQ(f.Find<QWidget>("sStatusBar1")->height(), 24);
    EXPECT_EQ(f.Find<QWidget>("sPanel1")->width(), 420);
    EXPECT_EQ(f.Find<QWidget>("sPageControl1")->size(), QSize(412, 238));
}

struct FactsCase {
    const char* name;
    std::string version;
    std::string website;
    //! The message shown, or empty.
    QString message;
    QString siteDomain;
};

class InstallFactsTest : public ::testing::TestWithParam<FactsCase> {};

TEST_P(InstallFactsTest, ReportsMissingFactsAndFindsTheDomain) {
    test::EnsureWindowTestApplication();
    const FactsCase& c = GetParam();
    ScratchDir dir;
    const std::string path = test::WriteInstallFacts(dir, c.version, c.website);
    ScriptedDialogSeam seam;
    TMainForm form(seam, StartOptions{QString::fromStdString(path)});
    if (c.message.isEmpty()) {
        EXPECT_TRUE(seam.messages.empty());
        EXPECT_FALSE(form.StartupFailed());
    } else {
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(seam.messages[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(seam.messages[0].text, c.message + QStringLiteral("\r\n"));
        EXPECT_TRUE(form.StartupFailed());
    }
    EXPECT_EQ(form.Facts().SiteDomain, c.siteDomain);
    const QString caption = form.findChild<QLabel*>(QStringLiteral("sLabelFXWebpage"))->text();
    // The link names the maker's domain whether or not the website contains it.
    EXPECT_EQ(caption, QStringLiteral("varnelworks.com"));
    EXPECT_EQ(form.Facts().FeedbackUrl, QStringLiteral("mailto:feedback@") + c.siteDomain);
}

INSTANTIATE_TEST_SUITE_P(
    Facts, InstallFactsTest,
    ::testing::Values(FactsCase{"NoFile", "", "", VersionMissingMessage(), ""},
                      // Without a version the website is not even read.
                      FactsCase{"NoVersion", "", "https://www.varnelworks.com/", VersionMissingMessage(), ""},
                      FactsCase{"NoWebsite", "1.1", "", WebsiteMissingMessage(), ""},
                      FactsCase{"Complete", "1.1", "https://www.varnelworks.com/", QString(),
                                "varnelworks.com"},
                      FactsCase{"DomainInsidePath", "1.1", "https://mirror.example.org/varnelworks.com/x",
                                QString(), "varnelworks.com"},
                      FactsCase{"OtherCase", "1.1", "https://www.VarnelWorks.com/", QString(), ""},
                      FactsCase{"OtherSite", "abc", "https://example.org/", QString(), ""}),
    [](const ::testing::TestParamInfo<FactsCase>& info) { return std::string(info.param.name); });

TEST(InstallFacts, MessagesReadAsTheInstallerPromises) {
    EXPECT_EQ(VersionMissingMessage(), QStringLiteral("Could not determine the application's\r\nversion "
                                                      "number!\r\n\r\nPlease re-install this software!"));
    EXPECT_EQ(
        WebsiteMissingMessage(),
        QStringLiteral(
            "Could not determinated the application's\r\nwebsite!\r\n\r\nPlease re-install this software!"));
}

TEST(InstallFacts, OnlyTheInstallSectionCounts) {
    ScratchDir dir;
    const std::string path = dir.file("facts.ini");
    test::WriteFileBytes(
        path, "[Other]\nVersion=9\n\n[Software\\Varnel Works\\Tessoly]\n; comment\nVersion = 1.05 \n"
              "version=2\nWebsite=http://www.varnelworks.com\n");
    EXPECT_EQ(ReadInstallValue(QString::fromStdString(path), QStringLiteral("Version")),
              QStringLiteral("1.05"));
    EXPECT_EQ(ReadInstallValue(QString::fromStdString(path), QStringLiteral("Website")),
              QStringLiteral("http://www.varnelworks.com"));
    EXPECT_TRUE(ReadInstallValue(QString::fromStdString(path), QStringLiteral("Missing")).isEmpty());
    EXPECT_TRUE(ReadInstallValue(QString::fromStdString(dir.file("absent.ini")), QStringLiteral("Version"))
                    .isEmpty());
}

TEST(SingleInstance, SecondCopyIsWarnedAndRefused) {
    test::EnsureWindowTestApplication();
    ScratchDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    ScriptedDialogSeam seam;
    SingleInstanceGuard first(folder);
    ASSERT_TRUE(EnsureSingleInstance(first, seam));
    EXPECT_TRUE(seam.messages.empty());

    SingleInstanceGuard second(folder);
    EXPECT_FALSE(EnsureSingleInstance(second, seam));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(seam.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(seam.messages[0].text, QStringLiteral("An instance of Tessoly is already running!"));
}

TEST(SingleInstance, LockOfADeadProcessIsTakenOver) {
    ScratchDir dir;
    // A lock file naming a process id that cannot exist.
    test::WriteFileBytes(dir.path() / "Tessoly.lock",
                         "2147483646\nTessoly\n" + QSysInfo::machineHostName().toStdString() + "\n");
    SingleInstanceGuard guard(QString::fromStdString(dir.path().string()));
    EXPECT_TRUE(guard.Acquire());
}

} // namespace
} // namespace tessoly
