// The About dialog on its own: layout, captions before and after showing, and which clicks ask
// for the web site.

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/LinkRecordingSeam.h"
#include "app/UnitAboutDialog.h"

namespace tessoly {
namespace {

struct AboutDialogTest : ::testing::Test {
    test::LinkTestApplication application;
    TAboutDialog dialog;

    void ShowWithTexts() {
        dialog.SetTexts(QStringLiteral("Tessoly"), QStringLiteral("1.05"),
                        QStringLiteral("http://varnelworks.com/"));
        dialog.show();
    }
};

TEST_F(AboutDialogTest, LayoutFollowsTheTable) {
    EXPECT_EQ(dialog.size(), QSize(386, 192));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed border";
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(dialog.sPanel1->geometry(), QRect(0, 0, 386, 192));
    EXPECT_EQ(dialog.sBevel1->geometry(), QRect(12, 12, 362, 127));
    EXPECT_EQ(dialog.sBevel1->frameShadow(), QFrame::Raised);
    EXPECT_EQ(dialog.ImageAppLogo->geometry(), QRect(22, 24, 100, 100));
    EXPECT_FALSE(dialog.ImageAppLogo->pixmap().isNull());
    EXPECT_EQ(dialog.sLabelSoftwareName->pos(), QPoint(138, 28));
    EXPECT_EQ(dialog.sLabel1->pos(), QPoint(142, 52));
    EXPECT_EQ(dialog.sLabel2->pos(), QPoint(142, 70));
    EXPECT_FALSE(dialog.sLabel1->text().isEmpty());
    EXPECT_EQ(dialog.sBitBtnOK->geometry(), QRect(153, 152, 80, 28));
    EXPECT_EQ(dialog.sBitBtnOK->text(), QStringLiteral("OK"));
    EXPECT_FALSE(dialog.sBitBtnOK->icon().isNull());
    EXPECT_TRUE(dialog.sLabelSoftwareName->font().bold());
    EXPECT_EQ(dialog.sLabelSoftwareName->font().pixelSize(), 12);
    for (QWidget* link :
         {static_cast<QWidget*>(dialog.ImageAppLogo), static_cast<QWidget*>(dialog.sLabelSoftwareName),
          static_cast<QWidget*>(dialog.sLabel1), static_cast<QWidget*>(dialog.sLabel2)})
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor) << link->objectName().toStdString();
    EXPECT_NE(dialog.sBitBtnOK->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(AboutDialogTest, CaptionIsAboutUntilShownThenCarriesTheTexts) {
    dialog.SetTexts(QStringLiteral("Tessoly"), QStringLiteral("1.05"),
                    QStringLiteral("http://varnelworks.com/"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About"));
    EXPECT_TRUE(dialog.AboutResult().isEmpty());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Tessoly"));
    EXPECT_EQ(dialog.sLabelSoftwareName->text(), QStringLiteral("Tessoly 1.05"));
    EXPECT_EQ(dialog.sLabel2->text(), QStringLiteral("http://varnelworks.com/"));
    EXPECT_GE(dialog.sLabel2->width(), dialog.sLabel2->sizeHint().width()) << "the whole web line shows";
}

TEST_F(AboutDialogTest, ShowingAgainTakesNewTexts) {
    ShowWithTexts();
    dialog.hide();
    dialog.SetTexts(QStringLiteral("Tessoly"), QStringLiteral("2.00"), QStringLiteral("http:///"));
    dialog.show();
    EXPECT_EQ(dialog.sLabelSoftwareName->text(), QStringLiteral("Tessoly 2.00"));
    EXPECT_EQ(dialog.sLabel2->text(), QStringLiteral("http:///"));
}

struct CloseCase {
    const char* name;
    std::function<void(TAboutDialog&)> act;
    const char* result;
};

void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.name;
}

class AboutDialogCloseTest : public AboutDialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(AboutDialogCloseTest, ClosesWithTheRightResult) {
    ShowWithTexts();
    ASSERT_TRUE(dialog.isVisible());
    GetParam().act(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.AboutResult(), QLatin1String(GetParam().result));
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, AboutDialogCloseTest,
    ::testing::Values(
        CloseCase{"Logo", [](TAboutDialog& d) { test::ClickWidget(d.ImageAppLogo); }, "gotoweb"},
        CloseCase{"Name", [](TAboutDialog& d) { test::ClickWidget(d.sLabelSoftwareName); }, "gotoweb"},
        CloseCase{"Maker", [](TAboutDialog& d) { test::ClickWidget(d.sLabel1); }, "gotoweb"},
        CloseCase{"WebLine", [](TAboutDialog& d) { test::ClickWidget(d.sLabel2); }, "gotoweb"},
        CloseCase{"Ok", [](TAboutDialog& d) { d.sBitBtnOK->click(); }, ""},
        CloseCase{"Escape",
                  [](TAboutDialog& d) {
                      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                      QCoreApplication::sendEvent(&d, &escape);
                  },
                  ""}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(AboutDialogTest, RightClickDoesNotAskForTheWebsite) {
    ShowWithTexts();
    const QPointF local(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, local, dialog.ImageAppLogo->mapToGlobal(local),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.ImageAppLogo, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, dialog.ImageAppLogo->mapToGlobal(local),
                        Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.ImageAppLogo, &release);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.AboutResult().isEmpty());
}

} // namespace
} // namespace tessoly
