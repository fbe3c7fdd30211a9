// The settings handlers of the main window, driven by object name: the twin controls of the two
// watermark tabs, the tab and mode rules, the special signs, the output tab's fields.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/SpinEdit.h"
#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

using test::WindowFixture;

const char* const kPlaces[9] = {"TopLeft", "TopCenter",  "TopRight", "Left",       "Center",
                                "Right",   "BottomLeft", "Bottom",   "BottomRight"};

QString Text(const WindowFixture& f, const char* label) {
    return f.Find<QLabel>(label)->text();
}

TEST(SettingsHandlers, OpacityBarsMirrorEachOther) {
    WindowFixture f;
    auto* textBar = f.Find<QSlider>("sTrackBarOpacityText");
    auto* imageBar = f.Find<QSlider>("sTrackBarOpacityImage");
    textBar->setValue(45);
    EXPECT_EQ(imageBar->value(), 45);
    EXPECT_EQ(Text(f, "sLabelPercentText"), QStringLiteral("90 %"));
    EXPECT_EQ(Text(f, "sLabelPercentImage"), QStringLiteral("90 %"));
    imageBar->setValue(0);
    EXPECT_EQ(textBar->value(), 0);
    EXPECT_EQ(Text(f, "sLabelPercentText"), QStringLiteral("0 %"));
    EXPECT_EQ(f.form->ReadSettings().opacityPosition, 0);
}

TEST(SettingsHandlers, ImageRotationLabelShowsTheAngle) {
    WindowFixture f;
    auto* bar = f.Find<QSlider>("sTrackBarRotateImage");
    const std::pair<int, const char16_t*> cases[] = {
        {0, u"-180\u00B0"}, {1, u"-90\u00B0"}, {3, u"90\u00B0"}, {4, u"180\u00B0"}, {2, u"0\u00B0"}};
    for (const auto& [position, text] : cases) {
        bar->setValue(position);
        EXPECT_EQ(Text(f, "sLabelImageAngle"), QString::fromUtf16(text)) << position;
    }
}

TEST(SettingsHandlers, TextRotationBarAndFieldFollowEachOther) {
    WindowFixture f;
    auto* bar = f.Find<QSlider>("sTrackBarRotateText");
    auto* field = f.Find<TSpinEdit>("sSpinEditRotateText");
    bar->setValue(33);
    EXPECT_EQ(field->Text(), QStringLiteral("33"));
    // A typed 500 moves the bar to its end at once; the field keeps 500 until it loses the focus.
    field->SetText(QStringLiteral("500"));
    EXPECT_EQ(bar->value(), 180);
    EXPECT_EQ(field->Text(), QStringLiteral("500"));
    test::LoseFocus(field);
    EXPECT_EQ(field->Text(), QStringLiteral("180"));
    field->SetText(QStringLiteral("-45"));
    EXPECT_EQ(f.form->ReadSettings().textAngle, -45);
}

TEST(SettingsHandlers, PositionButtonsMirrorByPlace) {
    WindowFixture f;
    for (int place = 0; place < 9; ++place) {
        const QString textName =
            QStringLiteral("sRadioButton") + QLatin1String(kPlaces[place]) + QStringLiteral("Text");
        const QString imageName =
            QStringLiteral("sRadioButton") + QLatin1String(kPlaces[place]) + QStringLiteral("Image");
        auto* textButton = f.form->findChild<QRadioButton*>(textName);
        auto* imageButton = f.form->findChild<QRadioButton*>(imageName);
        ASSERT_NE(textButton, nullptr) << kPlaces[place];
        ASSERT_NE(imageButton, nullptr) << kPlaces[place];
        textButton->click();
        EXPECT_TRUE(imageButton->isChecked()) << kPlaces[place];
        EXPECT_EQ(f.form->ReadSettings().position, static_cast<WatermarkPosition>(place));
        // And back from the image tab, to a different place.
        const int other = (place + 4) % 9;
        auto* otherImage = f.form->findChild<QRadioButton*>(
            QStringLiteral("sRadioButton") + QLatin1String(kPlaces[other]) + QStringLiteral("Image"));
        otherImage->click();
        EXPECT_EQ(f.form->ReadSettings().position, static_cast<WatermarkPosition>(other)) << kPlaces[other];
        EXPECT_FALSE(textButton->isChecked());
    }
}

TEST(SettingsHandlers, MarginsMirrorAsText) {
    WindowFixture f;
    struct Case {
        const char* from;
        const char* to;
        QString typed;
        int read;
    };
    const Case cases[] = {
        {"sSpinEditHMarginsText", "sSpinEditHMarginsImage", QStringLiteral("abc"), 0},
        {"sSpinEditVMarginsText", "sSpinEditVMarginsImage", QStringLiteral("-10"), -10},
        {"sSpinEditHMarginsImage", "sSpinEditHMarginsText", QStringLiteral("75"), 75},
        {"sSpinEditVMarginsImage", "sSpinEditVMarginsText", QString(), 0},
    };
    for (const Case& c : cases) {
        f.Find<TSpinEdit>(c.from)->SetText(c.typed);
        EXPECT_EQ(f.Find<TSpinEdit>(c.to)->Text(), c.typed) << c.from;
        EXPECT_EQ(f.Find<TSpinEdit>(c.to)->Value(), c.read) << c.from;
    }
    const WatermarkSettings s = f.form->ReadSettings();
    EXPECT_EQ(s.hMargin, 75);
    EXPECT_EQ(s.vMargin, 0);
}

TEST(SettingsHandlers, SpinFieldsReadAndLimitTheirText) {
    WindowFixture f;
    auto* size = f.Find<TSpinEdit>("sSpinEditFontSize");
    size->SetText(QStringLiteral("abc"));
    EXPECT_EQ(f.form->ReadSettings().fontSize, 4);
    size->SetText(QString());
    EXPECT_EQ(f.form->ReadSettings().fontSize, 0);
    test::LoseFocus(size);
    EXPECT_EQ(size->Text(), QStringLiteral("4"));
    size->SetText(QStringLiteral("2"));
    test::LoseFocus(size);
    EXPECT_EQ(size->Text(), QStringLiteral("4"));
    size->SetText(QStringLiteral("900"));
    test::LoseFocus(size);
    EXPECT_EQ(size->Text(), QStringLiteral("900")) << "no maximum";
    size->SetText(QStringLiteral("5"));
    size->stepBy(-3);
    EXPECT_EQ(size->Text(), QStringLiteral("4")) << "the arrows keep the minimum";

    auto* margin = f.Find<TSpinEdit>("sSpinEditHMarginsText");
    for (const char* dash : {"-", "-0"}) {
        margin->SetText(QLatin1String(dash));
        test::LoseFocus(margin);
        EXPECT_EQ(margin->Text(), QStringLiteral("0")) << dash;
    }
    margin->SetText(QStringLiteral("-5000"));
    test::LoseFocus(margin);
    EXPECT_EQ(margin->Text(), QStringLiteral("-5000")) << "margins have no limits";
}

TEST(SettingsHandlers, PickingTabsSetsTheModeIconsAndSpecialMenu) {
    WindowFixture f;
    auto* tabs = f.Find<QTabWidget>("sPageControl1");
    auto* copyright = f.Find<QAction>("Copyright1");

    tabs->setCurrentIndex(1);
    EXPECT_EQ(f.form->CurrentWatermarkMode(), kModeImage);
    EXPECT_EQ(f.form->TabIcon[0], 2);
    EXPECT_EQ(f.form->TabIcon[1], 3);
    EXPECT_FALSE(copyright->isEnabled());
    EXPECT_FALSE(f.Find<QAction>("Trademark1")->isEnabled());
    EXPECT_FALSE(f.Find<QAction>("Registered1")->isEnabled());

    // The output tab keeps the mode; the image marker goes on blinking.
    tabs->setCurrentIndex(2);
    EXPECT_EQ(f.form->CurrentWatermarkMode(), kModeImage);
    EXPECT_FALSE(copyright->isEnabled());
    f.form->TimerBlinkTimer();
    EXPECT_EQ(f.form->TabIcon[1], 4);
    EXPECT_EQ(f.form->TabIcon[0], 2);
    f.form->TimerBlinkTimer();
    EXPECT_EQ(f.form->TabIcon[1], 3);
    EXPECT_EQ(f.form->ReadSettings().mode, kModeImage);

    tabs->setCurrentIndex(0);
    EXPECT_EQ(f.form->CurrentWatermarkMode(), kModeText);
    EXPECT_EQ(f.form->TabIcon[0], 0);
    EXPECT_EQ(f.form->TabIcon[1], 5);
    EXPECT_TRUE(copyright->isEnabled());
    f.form->TimerBlinkTimer();
    EXPECT_EQ(f.form->TabIcon[0], 1);
    f.form->TimerBlinkTimer();
    EXPECT_EQ(f.form->TabIcon[0], 0);
    EXPECT_EQ(f.form->TimerBlink->interval(), 700);
    EXPECT_TRUE(f.form->TimerBlink->isActive());
}

TEST(SettingsHandlers, TabSelectedFromCodeLeavesTheMode) {
    WindowFixture f;
    f.form->SelectTab(1);
    EXPECT_EQ(f.Find<QTabWidget>("sPageControl1")->currentIndex(), 1);
    EXPECT_EQ(f.form->CurrentWatermarkMode(), kModeText);
    EXPECT_TRUE(f.Find<QAction>("Copyright1")->isEnabled());
}

TEST(SettingsHandlers, NoOtherTabWhileAJobRuns) {
    for (bool batch : {true, false}) {
        WindowFixture f;
        auto* tabs = f.Find<QTabWidget>("sPageControl1");
        f.form->SelectTab(2);
        (batch ? f.form->Jobs->BatchRunning : f.form->Jobs->ReadingInProgress) = true;
        tabs->setCurrentIndex(1);
        EXPECT_EQ(tabs->currentIndex(), 2) << (batch ? "batch" : "reading");
        EXPECT_EQ(f.form->CurrentWatermarkMode(), kModeText);
        EXPECT_EQ(f.form->TabIcon, (std::array<int, 3>{0, 5, 6}));
        (batch ? f.form->Jobs->BatchRunning : f.form->Jobs->ReadingInProgress) = false;
    }
}

TEST(SettingsHandlers, TabChangeMirrorsTheOtherTab) {
    WindowFixture f;
    auto* tabs = f.Find<QTabWidget>("sPageControl1");
    f.form->SelectTab(1);
    // Set the image tab's twins behind the handlers' backs; picking the text tab copies them over.
    f.Find<QLabel>("sLabelPercentImage")->setText(QStringLiteral("42 %"));
    {
        const QSignalBlocker block(f.Find<TSpinEdit>("sSpinEditHMarginsImage"));
        f.Find<TSpinEdit>("sSpinEditHMarginsImage")->SetText(QStringLiteral("abc"));
    }
    {
        const QSignalBlocker block(f.Find<QRadioButton>("sRadioButtonBottomRightImage"));
        f.Find<QRadioButton>("sRadioButtonBottomRightImage")->setChecked(true);
    }
    tabs->setCurrentIndex(0);
    EXPECT_EQ(Text(f, "sLabelPercentText"), QStringLiteral("42 %"));
    EXPECT_EQ(f.Find<TSpinEdit>("sSpinEditHMarginsText")->Text(), QStringLiteral("0"))
        << "copied as a number";
    EXPECT_TRUE(f.Find<QRadioButton>("sRadioButtonBottomRightText")->isChecked());
}

TEST(SettingsHandlers, SpecialSignsAreAppendedToTheTrimmedCaption) {
    WindowFixture f;
    auto* caption = f.Find<QLineEdit>("sEditTextCaption");
    const std::pair<const char*, QChar> cases[] = {
        {"Copyright1", QChar(0x00A9)}, {"Trademark1", QChar(0x2122)}, {"Registered1", QChar(0x00AE)}};
    for (const auto& [item, sign] : cases) {
        caption->setText(QStringLiteral(" \t Photo  "));
        f.Find<QAction>(item)->trigger();
        EXPECT_EQ(caption->text(), QStringLiteral("Photo ") + sign) << item;
    }
    caption->setText(QString());
    f.Find<QAction>("Copyright1")->trigger();
    EXPECT_EQ(caption->text(), QStringLiteral(" \u00A9"));
    EXPECT_EQ(f.form->ReadSettings().caption, std::u16string(u" \u00A9"));
}

TEST(SettingsHandlers, JpegQualityLabel) {
    WindowFixture f;
    f.Find<QSlider>("sTrackBarJPEGQuality")->setValue(55);
    EXPECT_EQ(Text(f, "sLabelJPEGQuality"), QStringLiteral("55%"));
    f.Find<QSlider>("sTrackBarJPEGQuality")->setValue(0);
    EXPECT_EQ(Text(f, "sLabelJPEGQuality"), QStringLiteral("1%"));
}

TEST(SettingsHandlers, ResizeFieldsFollowTheGuard) {
    WindowFixture f;
    auto* resize = f.Find<QCheckBox>("sCheckBoxResizeImage");
    auto* proportional = f.Find<QCheckBox>("sCheckBoxProportional");
    auto* width = f.Find<TSpinEdit>("sDecimalSpinEditWidth");
    auto* height = f.Find<TSpinEdit>("sDecimalSpinEditHeight");
    resize->setChecked(true);
    EXPECT_TRUE(width->isEnabled());
    EXPECT_TRUE(height->isEnabled());
    EXPECT_TRUE(proportional->isEnabled());

    width->SetText(QStringLiteral("1024"));
    EXPECT_EQ(height->Text(), QStringLiteral("0"));
    height->SetText(QStringLiteral("768"));
    EXPECT_EQ(width->Text(), QStringLiteral("0"));
    EXPECT_EQ(height->Text(), QStringLiteral("768"));
    EXPECT_TRUE(f.form->ResizeGuard);

    struct Case {
        QString width, height, wantWidth, wantHeight;
    };
    const Case cases[] = {
        {"1024", "768", "800", "0"}, // both non-zero
        {"0", "0", "800", "0"},      // both zero
        {"0", "600", "0", "600"},    // exactly one zero: unchanged
        {"640", "0", "640", "0"},
    };
    for (const Case& c : cases) {
        proportional->setChecked(false);
        width->SetText(c.width);
        height->SetText(c.height);
        ASSERT_EQ(width->Text(), c.width) << "without Proportional the fields are independent";
        proportional->setChecked(true);
        EXPECT_EQ(width->Text(), c.wantWidth) << c.width.toStdString() << "x" << c.height.toStdString();
        EXPECT_EQ(height->Text(), c.wantHeight) << c.width.toStdString() << "x" << c.height.toStdString();
    }
    resize->setChecked(false);
    EXPECT_FALSE(width->isEnabled());
    EXPECT_FALSE(proportional->isEnabled());
}

TEST(SettingsHandlers, TheNewFormatsAndEncoderOptionsReachTheOutputSettings) {
    WindowFixture f;
    auto* format = f.Find<QComboBox>("sComboBoxImageFormat");
    EXPECT_GE(format->findText(QStringLiteral("WebP")), 0);
    EXPECT_GE(format->findText(QStringLiteral("AVIF")), 0);
    format->setCurrentText(QStringLiteral("WebP"));
    f.Find<QAction>("sActionJPEGSubsampling444")->trigger();
    f.Find<QAction>("sActionJPEGProgressive")->trigger();
    f.Find<QAction>("sActionWebPLossless")->trigger();
    OutputSettings read = f.form->ReadOutputSettings();
    EXPECT_EQ(read.formatChoice, "WebP");
    EXPECT_EQ(read.jpegSubsampling, kSubsampling444);
    EXPECT_TRUE(read.jpegProgressive);
    EXPECT_TRUE(read.webpLossless);
    // The subsampling choices exclude each other.
    f.Find<QAction>("sActionJPEGSubsampling422")->trigger();
    read = f.form->ReadOutputSettings();
    EXPECT_EQ(read.jpegSubsampling, kSubsampling422);
    EXPECT_FALSE(f.Find<QAction>("sActionJPEGSubsampling444")->isChecked());
}

TEST(SettingsHandlers, OutputFolderFieldAndItsHint) {
    WindowFixture f;
    auto* folder = f.Find<QLineEdit>("sDirectoryEditOutput");
    EXPECT_EQ(folder->toolTip(), QStringLiteral("Select output folder"));
    f.seam.directoryAnswers.push_back(QStringLiteral("/tmp/out"));
    f.form->sDirectoryEditOutputClick();
    ASSERT_EQ(f.seam.directoryRequests.size(), 1u);
    EXPECT_EQ(folder->text(), QStringLiteral("/tmp/out"));
    EXPECT_EQ(folder->toolTip(), QStringLiteral("/tmp/out"));
    EXPECT_EQ(f.form->ReadOutputSettings().outputFolder, "/tmp/out");

    // A cancelled browser changes nothing.
    f.form->sDirectoryEditOutputClick();
    EXPECT_EQ(folder->text(), QStringLiteral("/tmp/out"));

    f.Find<QToolButton>("ImageClearOutput")->click();
    EXPECT_TRUE(folder->text().isEmpty());
    EXPECT_EQ(folder->toolTip(), QStringLiteral("Select output folder"));

    // Paths longer than 255 characters are kept whole.
    const QString deep = QStringLiteral("/tmp/") + QString(300, QLatin1Char('d'));
    f.seam.directoryAnswers.push_back(deep);
    f.form->sDirectoryEditOutputClick();
    EXPECT_EQ(folder->text(), deep);
}

TEST(SettingsHandlers, OpenFolderToggleHint) {
    WindowFixture f;
    auto* toggle = f.Find<QToolButton>("sSpeedButtonOpenFolder");
    const QString on = QStringLiteral("Open folder after watermarking<br>Status: <b>on</b>");
    const QString off = QStringLiteral("Open folder after watermarking<br>Status: <b>off</b>");
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(toggle->toolTip(), on);
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(toggle->toolTip(), off);
    toggle->click();
    EXPECT_EQ(toggle->toolTip(), on);
}

TEST(SettingsHandlers, ImageScaleFallsBackTo100) {
    WindowFixture f;
    auto* scale = f.Find<QComboBox>("sComboBoxWImageScale");
    scale->setCurrentText(QStringLiteral("150"));
    EXPECT_EQ(f.form->ReadSettings().imageScaleText, "150");
    scale->setCurrentText(QStringLiteral("abc"));
    EXPECT_EQ(scale->currentText(), QStringLiteral("100"));
    scale->setCurrentText(QStringLiteral(" 80 "));
    EXPECT_EQ(scale->currentText(), QStringLiteral(" 80 "));
}

TEST(SettingsHandlers, GuideColourComesFromTheDialog) {
    WindowFixture f;
    f.seam.colourAnswers.push_back(std::nullopt);
    f.Find<QAction>("Guidelinescolor1")->trigger();
    EXPECT_EQ(f.form->GuideColour, 0xAACCCCCCu) << "Cancel changes nothing";
    f.seam.colourAnswers.push_back(QColor(255, 0, 0, 20));
    f.Find<QAction>("Guidelinescolor1")->trigger();
    EXPECT_EQ(f.form->GuideColour, 0xFFFF0000u);
    EXPECT_EQ(f.form->ReadSettings().guideColour, 0xFFFF0000u);
    f.Find<QAction>("Showguidelines")->trigger();
    EXPECT_TRUE(f.form->ReadSettings().showGuideLines);
}

TEST(SettingsHandlers, TextColourComesFromTheDialog) {
    WindowFixture f;
    f.seam.colourAnswers.push_back(QColor(10, 20, 30));
    f.Find<QWidget>("sColorSelectText")->setFocus();
    f.form->sColorSelectTextClick();
    EXPECT_EQ(f.form->ReadSettings().textColour, 0xFF0A141Eu);
}

TEST(SettingsHandlers, ChangesBeforeAnyImageDrawNothing) {
    WindowFixture f;
    f.Find<QLineEdit>("sEditTextCaption")->setText(QStringLiteral("Draft"));
    f.Find<QSlider>("sTrackBarOpacityText")->setValue(10);
    f.Find<QCheckBox>("sCheckBoxItalic")->setChecked(true);
    f.Find<TSpinEdit>("sSpinEditHMarginsText")->SetText(QStringLiteral("12"));
    f.Find<QAction>("Showguidelines")->trigger();
    f.Find<QTabWidget>("sPageControl1")->setCurrentIndex(1);
    EXPECT_TRUE(f.form->Image().ComposedBitmap.Empty());
    EXPECT_TRUE(f.form->Image().PreviewBitmap.Empty());
    EXPECT_TRUE(f.seam.messages.empty());
    EXPECT_FALSE(f.Find<QWidget>("imagePreview")->isVisible());
}

} // namespace
} // namespace tessoly
