// The web-link commands: the target each hands to the shell, the OK/Cancel messages, the About
// command's "gotoweb" rule and the wiring to the window's controls by name.

#include "app/WebLinks.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "app/InstallFacts.h"
#include "app/LinkRecordingSeam.h"
#include "app/UnitAboutDialog.h"

namespace tessoly {
namespace {

InstallFacts FactsFor(const QString& website) {
    InstallFacts facts;
    facts.InstalledVersion = QStringLiteral("1.05");
    facts.WebsiteUrl = website;
    if (website.contains(QLatin1String(kMakerDomain))) {
        facts.SiteDomain = QLatin1String(kMakerDomain);
        facts.FeedbackUrl += facts.SiteDomain;
    }
    return facts;
}

const QString kSite = QStringLiteral("http://www.varnelworks.com/tessoly/");

struct TargetCase {
    const char* name;
    std::function<void(DialogSeam&, const InstallFacts&)> command;
    QString website;
    QString expected;
};

void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.name;
}

class WebLinkTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(WebLinkTargetTest, HandsItsTargetToTheShell) {
    test::LinkRecordingSeam seam;
    GetParam().command(seam, FactsFor(GetParam().website));
    ASSERT_EQ(seam.opened.size(), 1u);
    EXPECT_EQ(seam.opened.front(), GetParam().expected);
    EXPECT_TRUE(seam.messages.empty());
}

const QString kQuerySite = QStringLiteral("http://www.varnelworks.com/index.php?lang=en");

INSTANTIATE_TEST_SUITE_P(
    Commands, WebLinkTargetTest,
    ::testing::Values(
        TargetCase{"Website", WebsiteClick, kSite, kSite},
        TargetCase{"StatusBarLabel", ClickWebpageFX, kSite, kSite},
        TargetCase{"TutorialButton", sBitBtnTutorialClick, kSite, kSite + QStringLiteral("?playvideo")},
        TargetCase{"TutorialMenuItem", VideoTutorial1Click, kSite, kSite + QStringLiteral("?playvideo")},
        TargetCase{"Facebook", ImageSocialFacebookClick, kSite, kSite + QStringLiteral("?social=fb")},
        TargetCase{"Tweet", Image1Click, kSite, kSite + QStringLiteral("?social=tw")},
        TargetCase{"GooglePlus", Image6Click, kSite, kSite + QStringLiteral("?social=gp")},
        TargetCase{"TutorialAfterQuery", sBitBtnTutorialClick, kQuerySite,
                   QStringLiteral("http://www.varnelworks.com/index.php?lang=en?playvideo")},
        TargetCase{"FacebookAfterQuery", ImageSocialFacebookClick, kQuerySite,
                   QStringLiteral("http://www.varnelworks.com/index.php?lang=en?social=fb")},
        TargetCase{"OtherDomain", WebsiteClick, QStringLiteral("http://example.org/"),
                   QStringLiteral("http://example.org/")}),
    [](const ::testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

const QString kFeedbackText = QStringLiteral("Feedback\r\n\r\n  Please click on OK button to send any\r\n"
                                             "  comments or questions you may have!\r\n");
const QString kDonationText =
    QString::fromUtf8("Donate this FREE software!\r\n\r\n"
                      "  If you like Tessoly you may like to\r\n"
                      "  donate the very small sum of $15.00 or \xE2\x82\xAC"
                      "15.00 on PayPal\r\n"
                      "  to help us keep developing and updating. Thank you!\r\n\r\n"
                      "  Click on OK button to donate.\r\n");

struct AskCase {
    const char* name;
    std::function<void(DialogSeam&, QWidget*, const InstallFacts&)> command;
    QString website;
    QString text;
    MessageAnswer answer;
    //! Empty when nothing may open.
    QString expected;
};

void PrintTo(const AskCase& c, std::ostream* out) {
    *out << c.name;
}

class WebLinkAskTest : public ::testing::TestWithParam<AskCase> {};

TEST_P(WebLinkAskTest, OpensOnlyAfterOk) {
    const AskCase& c = GetParam();
    test::LinkTestApplication application;
    QWidget parent;
    test::LinkRecordingSeam seam;
    seam.answers.push_back(c.answer);
    c.command(seam, &parent, FactsFor(c.website));

    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].parent, &parent);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(seam.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(seam.messages[0].text, c.text);
    if (c.expected.isEmpty()) {
        EXPECT_TRUE(seam.opened.empty());
    } else {
        ASSERT_EQ(seam.opened.size(), 1u);
        EXPECT_EQ(seam.opened[0], c.expected);
    }
}

void Feedback(DialogSeam& seam, QWidget* parent, const InstallFacts& facts) {
    Feedback1Click(seam, parent, facts);
}
void Donate(DialogSeam& seam, QWidget* parent, const InstallFacts&) {
    Donate1Click(seam, parent);
}
void DonatePicture(DialogSeam& seam, QWidget* parent, const InstallFacts&) {
    ImageDonateClick(seam, parent);
}

const QString kDonationPage = QStringLiteral("http://varnelworks.com/donate-free-software.html");

INSTANTIATE_TEST_SUITE_P(
    Messages, WebLinkAskTest,
    ::testing::Values(
        AskCase{"FeedbackOk", Feedback, kSite, kFeedbackText, MessageAnswer::Ok,
                QStringLiteral("mailto:feedback@varnelworks.com")},
        AskCase{"FeedbackCancel", Feedback, kSite, kFeedbackText, MessageAnswer::Cancel, QString()},
        AskCase{"FeedbackClosed", Feedback, kSite, kFeedbackText, MessageAnswer::Closed, QString()},
        AskCase{"FeedbackOtherDomain", Feedback, QStringLiteral("http://example.org/"), kFeedbackText,
                MessageAnswer::Ok, QStringLiteral("mailto:feedback@")},
        AskCase{"DonateOk", Donate, kSite, kDonationText, MessageAnswer::Ok, kDonationPage},
        AskCase{"DonateOtherDomain", Donate, QStringLiteral("http://example.org/"), kDonationText,
                MessageAnswer::Ok, kDonationPage},
        AskCase{"DonateCancel", Donate, kSite, kDonationText, MessageAnswer::Cancel, QString()},
        AskCase{"DonatePictureOk", DonatePicture, kSite, kDonationText, MessageAnswer::Ok, kDonationPage},
        AskCase{"DonatePictureClosed", DonatePicture, kSite, kDonationText, MessageAnswer::Closed,
                QString()}),
    [](const ::testing::TestParamInfo<AskCase>& info) { return std::string(info.param.name); });

struct AboutCommandTest : ::testing::Test {
    test::LinkTestApplication application;
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    test::LinkRecordingSeam seam;
};

TEST_F(AboutCommandTest, ShowsNameVersionAndWebLineAndOpensNothingOnOk) {
    bool ran = false;
    About1Click(seam, window.get(), FactsFor(kSite), [&](TAboutDialog& dialog) {
        ran = true;
        EXPECT_EQ(dialog.parentWidget(), window.get());
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Tessoly"));
        EXPECT_EQ(dialog.sLabelSoftwareName->text(), QStringLiteral("Tessoly 1.05"));
        EXPECT_EQ(dialog.sLabel2->text(), QStringLiteral("http://varnelworks.com/"));
        dialog.sBitBtnOK->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(seam.opened.empty());
    EXPECT_TRUE(window->findChildren<TAboutDialog*>().isEmpty()) << "the dialog is destroyed afterwards";
}

TEST_F(AboutCommandTest, EmptySiteDomainGivesABareWebLine) {
    About1Click(seam, window.get(), FactsFor(QStringLiteral("http://example.org/")),
                [](TAboutDialog& dialog) {
                    dialog.show();
                    EXPECT_EQ(dialog.sLabel2->text(), QStringLiteral("http:///"));
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QCoreApplication::sendEvent(&dialog, &escape);
                    EXPECT_FALSE(dialog.isVisible());
                });
    EXPECT_TRUE(seam.opened.empty());
}

TEST_F(AboutCommandTest, LogoClickOpensTheWebsiteAfterTheDialogHasClosed) {
    test::LinkRecordingSeam* recorder = &seam;
    About1Click(seam, window.get(), FactsFor(kSite), [recorder](TAboutDialog& dialog) {
        dialog.show();
        test::ClickWidget(dialog.ImageAppLogo);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(recorder->opened.empty()) << "nothing opens while the dialog exists";
    });
    ASSERT_EQ(seam.opened.size(), 1u);
    EXPECT_EQ(seam.opened[0], kSite);
}

TEST_F(AboutCommandTest, WindowGoneWhileTheDialogRunsOpensNothing) {
    About1Click(seam, window.get(), FactsFor(kSite), [this](TAboutDialog& dialog) {
        dialog.show();
        test::ClickWidget(dialog.sLabel2);
        window.reset(); // takes the dialog with it
    });
    EXPECT_TRUE(seam.opened.empty());
}

//! A stand-in main window with the link controls under their component names.
struct LinkedWindowTest : ::testing::Test {
    test::LinkTestApplication application;
    QWidget window;
    test::LinkRecordingSeam seam;
    InstallFacts facts = FactsFor(kSite);

    template <typename T> T* Add(const char* name) {
        auto* child = new T(&window);
        child->setObjectName(QLatin1String(name));
        return child;
    }
    QAction* AddAction(const char* name) {
        auto* action = new QAction(&window);
        action->setObjectName(QLatin1String(name));
        window.addAction(action);
        return action;
    }
};

TEST_F(LinkedWindowTest, EveryControlRunsItsCommand) {
    QAction* website = AddAction("Website");
    QAction* videoTutorial = AddAction("VideoTutorial1");
    QAction* feedback = AddAction("Feedback1");
    QAction* donate = AddAction("Donate1");
    auto* tutorial = Add<QPushButton>("sBitBtnTutorial");
    auto* facebook = Add<QToolButton>("ImageSocialFacebook");
    auto* tweet = Add<QToolButton>("Image1");
    auto* google = Add<QToolButton>("Image6");
    auto* donatePicture = Add<QToolButton>("ImageDonate");
    auto* webpage = Add<QLabel>("sLabelFXWebpage");
    webpage->setText(QStringLiteral("varnelworks.com"));
    webpage->adjustSize();
    ConnectWebLinks(&window, seam, facts);

    struct Step {
        std::function<void()> trigger;
        QString expected;
    };
    seam.answers = {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Cancel};
    const Step steps[] = {
        {[&] { website->trigger(); }, kSite},
        {[&] { videoTutorial->trigger(); }, kSite + QStringLiteral("?playvideo")},
        {[&] { tutorial->click(); }, kSite + QStringLiteral("?playvideo")},
        {[&] { facebook->click(); }, kSite + QStringLiteral("?social=fb")},
        {[&] { tweet->click(); }, kSite + QStringLiteral("?social=tw")},
        {[&] { google->click(); }, kSite + QStringLiteral("?social=gp")},
        {[&] { test::ClickWidget(webpage); }, kSite},
        {[&] { feedback->trigger(); }, QStringLiteral("mailto:feedback@varnelworks.com")},
        {[&] { donate->trigger(); }, kDonationPage},
        {[&] { donatePicture->click(); }, QString()}, // answered Cancel
    };
    for (const Step& step : steps) {
        seam.opened.clear();
        step.trigger();
        if (step.expected.isEmpty()) {
            EXPECT_TRUE(seam.opened.empty());
        } else {
            ASSERT_EQ(seam.opened.size(), 1u) << step.expected.toStdString();
            EXPECT_EQ(seam.opened[0], step.expected);
        }
    }
    EXPECT_EQ(seam.messages.size(), 3u);
}

TEST_F(LinkedWindowTest, FactsAreReadAtClickTime) {
    QAction* website = AddAction("Website");
    ConnectWebLinks(&window, seam, facts);
    facts.WebsiteUrl = QStringLiteral("http://www.varnelworks.com/later/");
    website->trigger();
    ASSERT_EQ(seam.opened.size(), 1u);
    EXPECT_EQ(seam.opened[0], facts.WebsiteUrl);
}

TEST_F(LinkedWindowTest, MissingControlsAreSkipped) {
    ConnectWebLinks(&window, seam, facts);
    EXPECT_TRUE(seam.opened.empty());
}

} // namespace
} // namespace tessoly
