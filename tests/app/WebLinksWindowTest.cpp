// The link commands, the About command and the update check on the real main window: its menu
// items, status-bar pictures and label reach the right targets, and a check started by FormCreate
// reveals the window's Tutorial controls and asks through its seam.

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/CheckForNewVersionProcess.h"
#include "app/LinkRecordingSeam.h"
#include "app/LocalHttpServer.h"
#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

const QString kSite = QStringLiteral("https://www.varnelworks.com/tessoly/");

//! Runs the event loop until done() holds or timeoutMs passes; the final value of done().
bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class WebLinksWindowTest : public ::testing::Test {
protected:
    test::LinkTestApplication application;
    test::WindowFixture fixture;
};

TEST_F(WebLinksWindowTest, HelpMenuAndStatusBarOpenTheirTargets) {
    fixture.seam.messageAnswers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    const struct {
        std::function<void()> trigger;
        QString expected;
    } steps[] = {
        {[&] { fixture.Find<QAction>("Website")->trigger(); }, kSite},
        {[&] { fixture.Find<QAction>("VideoTutorial1")->trigger(); }, kSite + QStringLiteral("?playvideo")},
        {[&] { fixture.Find<QPushButton>("sBitBtnTutorial")->click(); },
         kSite + QStringLiteral("?playvideo")},
        {[&] { fixture.Find<QToolButton>("ImageSocialFacebook")->click(); },
         kSite + QStringLiteral("?social=fb")},
        {[&] { fixture.Find<QToolButton>("Image1")->click(); }, kSite + QStringLiteral("?social=tw")},
        {[&] { fixture.Find<QToolButton>("Image6")->click(); }, kSite + QStringLiteral("?social=gp")},
        {[&] { test::ClickWidget(fixture.Find<QLabel>("sLabelFXWebpage")); }, kSite},
        {[&] { fixture.Find<QAction>("Feedback1")->trigger(); },
         QStringLiteral("mailto:feedback@varnelworks.com")},
        {[&] { fixture.Find<QToolButton>("ImageDonate")->click(); }, QString()}, // answered Cancel
    };
    for (const auto& step : steps) {
        fixture.seam.shellTargets.clear();
        step.trigger();
        if (step.expected.isEmpty()) {
            EXPECT_TRUE(fixture.seam.shellTargets.empty());
        } else {
            ASSERT_EQ(fixture.seam.shellTargets.size(), 1u) << step.expected.toStdString();
            EXPECT_EQ(fixture.seam.shellTargets[0], step.expected);
        }
    }
    ASSERT_EQ(fixture.seam.messages.size(), 2u);
    EXPECT_EQ(fixture.seam.messages[1].buttons, MessageButtons::OkCancel);
}

TEST_F(WebLinksWindowTest, TutorialControlsStayHiddenWithoutAnUpdateCheck) {
    EXPECT_FALSE(fixture.Find<QAction>("VideoTutorial1")->isVisible());
    EXPECT_TRUE(fixture.Find<QPushButton>("sBitBtnTutorial")->isHidden());
}

TEST(UpdateCheckWindowTest, StartedByFormCreateRevealsAndAsks) {
    test::LinkTestApplication application;
    test::EnsureWindowTestApplication();
    test::LocalHttpServer server;
    server.Script(kTutorialRequestPath, test::Reply(200, "abc"));
    server.Script(kVersionRequestPath, test::Reply(200, "1.2"));
    ::setenv("TESSOLY_UPDATE_SERVER", ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);

    test::ScratchDir dir;
    test::ScriptedDialogSeam seam;
    seam.messageAnswers = {MessageAnswer::Yes};
    StartOptions options{QString::fromStdString(test::WriteInstallFacts(dir, "1.1", kSite.toStdString()))};
    options.checkForUpdates = true;
    auto form = std::make_unique<TMainForm>(seam, options);
    ::unsetenv("TESSOLY_UPDATE_SERVER");
    form->show();

    ASSERT_TRUE(RunEventsUntil([&] { return !seam.shellTargets.empty(); }, 20000));
    EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("VideoTutorial1"))->isVisible());
    EXPECT_FALSE(form->findChild<QPushButton*>(QStringLiteral("sBitBtnTutorial"))->isHidden());
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(seam.messages[0].text,
              QStringLiteral("A newer Tessoly is available!\r\nVersion number: 1.20\r\n\r\n"
                             "Would you like to upgrade now?\r\n"));
    EXPECT_EQ(seam.shellTargets[0], kSite);
    EXPECT_EQ(server.Requests().size(), 2u);
}

} // namespace
} // namespace tessoly
