// The whole update-check job against a local server: the answer table, the version examples,
// the upgrade question and its answers, and the failures that must stay silent.

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <QAction>
#include <QPushButton>
#include <QWidget>

#include "app/CheckForNewVersionProcess.h"
#include "app/LinkRecordingSeam.h"
#include "app/LocalHttpServer.h"

namespace tessoly {
namespace {

using test::LocalHttpServer;
using test::Reply;
using test::ScriptedAnswer;

constexpr int kJobWaitMs = 20000;
const QString kWebsite = QStringLiteral("http://www.example.org/tessoly/");

//! A stand-in main window holding the two controls the job reveals, hidden as at start-up.
struct FakeWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QAction* menuItem = new QAction(QStringLiteral("Video tutorial"), window.get());
    QPushButton* button = new QPushButton(QStringLiteral("Tutorial"), window.get());

    FakeWindow() {
        menuItem->setObjectName(QStringLiteral("VideoTutorial1"));
        menuItem->setVisible(false);
        button->setObjectName(QStringLiteral("sBitBtnTutorial"));
        button->setVisible(false);
    }
    bool Revealed() const {
        EXPECT_EQ(menuItem->isVisible(), !button->isHidden()) << "menu item and button differ";
        return menuItem->isVisible();
    }
};

class UpdateCheckProcessTest : public ::testing::Test {
protected:
    //! Runs one job to its end against server; false when it did not end in time.
    bool RunJob(const QString& installed, UpdateServer address, UpdateRequestLimits limits = {}) {
        auto* job =
            new TCheckForNewVersionProcess(fake.window.get(), seam, installed, kWebsite, address, limits);
        job->start();
        return test::RunUntilDestroyed(job, kJobWaitMs);
    }
    bool RunJob(const QString& installed, UpdateRequestLimits limits = {}) {
        return RunJob(installed, UpdateServer{"127.0.0.1", server.port()}, limits);
    }

    test::LinkTestApplication application;
    LocalHttpServer server;
    test::LinkRecordingSeam seam;
    FakeWindow fake;
};

struct AnswerCase {
    const char* name;
    std::string installed;
    ScriptedAnswer tutorial;
    ScriptedAnswer version;
    bool revealed;
    //! The version text of the question, or nullptr for no question.
    const char* offered;
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << c.name;
}

class UpdateCheckAnswerTest : public UpdateCheckProcessTest,
                              public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UpdateCheckAnswerTest, RevealsAndAsksAsTheAnswersSay) {
    const AnswerCase& c = GetParam();
    server.Script(kTutorialRequestPath, c.tutorial);
    server.Script(kVersionRequestPath, c.version);
    seam.answers.push_back(MessageAnswer::No);
    ASSERT_TRUE(RunJob(QString::fromStdString(c.installed)));

    EXPECT_EQ(server.Requests().size(), 2u) << "both requests are made whatever the first answer";
    EXPECT_EQ(fake.Revealed(), c.revealed);
    if (c.offered == nullptr) {
        EXPECT_TRUE(seam.messages.empty()) << seam.messages.front().text.toStdString();
    } else {
        ASSERT_EQ(seam.messages.size(), 1u);
        const test::RecordedMessage& m = seam.messages.front();
        EXPECT_EQ(m.parent, fake.window.get());
        EXPECT_EQ(m.kind, MessageKind::Confirmation);
        EXPECT_EQ(m.buttons, MessageButtons::YesNo);
        EXPECT_EQ(m.text, QStringLiteral("A newer Tessoly is available!\r\nVersion number: ") +
                              QString::fromLatin1(c.offered) +
                              QStringLiteral("\r\n\r\nWould you like to upgrade now?\r\n"));
    }
    EXPECT_TRUE(seam.opened.empty()) << "No opens nothing";
}

const std::string kRedirect = "Location: http://127.0.0.1:1/\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateCheckAnswerTest,
    ::testing::Values(
        AnswerCase{"NewerVersion", "1.05", Reply(200, "dQw4w9WgXcQ"), Reply(200, "1.1"), true, "1.10"},
        AnswerCase{"SameVersion", "1.05", Reply(200, "false"), Reply(200, "1.05"), false, nullptr},
        AnswerCase{"OlderVersion", "1.05", Reply(200, "False"), Reply(200, "1.0"), true, nullptr},
        AnswerCase{"EmptyTutorialAnswer", "1.05", Reply(200, ""), Reply(200, "false"), true, nullptr},
        AnswerCase{"BlanksAroundVersion", "1.05", Reply(404, "abc"), Reply(200, " 2 "), false, "2.00"},
        AnswerCase{"CommaVersion", "1.05", Reply(200, "false"), Reply(200, "1,10"), false, nullptr},
        AnswerCase{"VersionWithLineBreak", "1.05", Reply(200, "false"), Reply(200, "1.10\r\n"), false,
                   nullptr},
        AnswerCase{"VersionWithNewline", "1.05", Reply(200, "false"), Reply(200, "1.10\n"), false, nullptr},
        AnswerCase{"VersionWithWord", "1.05", Reply(200, "false"), Reply(200, "1.10 beta"), false, nullptr},
        AnswerCase{"RoundsToSameFloat", "1.05", Reply(200, "false"), Reply(200, "1.0500000001"), false,
                   nullptr},
        AnswerCase{"InstalledNotANumber", "1.05a", Reply(200, "x"), Reply(200, "2"), true, nullptr},
        AnswerCase{"ExponentVersion", "1.05", Reply(200, "false"), Reply(200, "2e0"), false, "2.00"},
        AnswerCase{"SmallVersion", "0.1", Reply(200, "false"), Reply(200, "0.5"), false, ".50"},
        AnswerCase{"VersionServerError", "1.05", Reply(200, "false"), Reply(500, "2.0"), false, nullptr},
        AnswerCase{"VersionRedirected", "1.05", Reply(302, "x", kRedirect), Reply(302, "2.0", kRedirect),
                   false, nullptr},
        AnswerCase{"VersionClosedAtOnce", "1.05", ScriptedAnswer{ScriptedAnswer::Kind::CloseAtOnce, "", 0},
                   ScriptedAnswer{ScriptedAnswer::Kind::CloseAtOnce, "", 0}, false, nullptr},
        AnswerCase{"GarbledVersion", "1.05", Reply(200, std::string("\0\xff\x01", 3)),
                   Reply(200, std::string("2\0", 2)), true, nullptr},
        AnswerCase{"FalseWithLineBreak", "1.05", Reply(200, "false\r\n"), Reply(200, "false\n"), true,
                   nullptr}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(UpdateCheckProcessTest, YesOpensTheWebsiteFromTheInstallation) {
    server.Script(kTutorialRequestPath, Reply(200, "false"));
    server.Script(kVersionRequestPath, Reply(200, "1.1"));
    seam.answers.push_back(MessageAnswer::Yes);
    ASSERT_TRUE(RunJob(QStringLiteral("1.05")));
    ASSERT_EQ(seam.messages.size(), 1u);
    ASSERT_EQ(seam.opened.size(), 1u);
    EXPECT_EQ(seam.opened.front(), kWebsite);
}

TEST_F(UpdateCheckProcessTest, ClosingTheQuestionOpensNothing) {
    server.Script(kTutorialRequestPath, Reply(200, "false"));
    server.Script(kVersionRequestPath, Reply(200, "1.1"));
    seam.answers.push_back(MessageAnswer::Closed);
    ASSERT_TRUE(RunJob(QStringLiteral("1.05")));
    EXPECT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(seam.opened.empty());
}

TEST_F(UpdateCheckProcessTest, SilentServerDoesNotHoldTheJob) {
    server.Script(kTutorialRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Hang, "", 0});
    server.Script(kVersionRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Hang, "", 0});
    UpdateRequestLimits limits;
    limits.timeLimit = std::chrono::milliseconds(500);
    ASSERT_TRUE(RunJob(QStringLiteral("1.05"), limits));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_FALSE(fake.Revealed());
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(UpdateCheckProcessTest, HugeTutorialAnswerFailsAloneAndTheVersionIsStillAsked) {
    server.Script(kTutorialRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Stream,
                                                       "HTTP/1.0 200 OK\r\n\r\n", 256u * 1024 * 1024});
    server.Script(kVersionRequestPath, Reply(200, "1.1"));
    seam.answers.push_back(MessageAnswer::No);
    ASSERT_TRUE(RunJob(QStringLiteral("1.05")));
    EXPECT_FALSE(fake.Revealed());
    EXPECT_EQ(seam.messages.size(), 1u);
    EXPECT_LT(server.StreamedBytes(), 64u * 1024 * 1024);
}

TEST_F(UpdateCheckProcessTest, NoServerShowsNothing) {
    ASSERT_TRUE(RunJob(QStringLiteral("1.05"), UpdateServer{"127.0.0.1", test::UnusedLocalPort()}));
    EXPECT_FALSE(fake.Revealed());
    EXPECT_TRUE(seam.messages.empty());
    EXPECT_TRUE(seam.opened.empty());
}

TEST_F(UpdateCheckProcessTest, QuittingStopsAWaitingJobWithoutAHandOff) {
    server.Script(kTutorialRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Hang, "", 0});
    server.Script(kVersionRequestPath, Reply(200, "9"));
    // The full 20-second limit: only the stop request at quit can end the job in time.
    auto* job = new TCheckForNewVersionProcess(fake.window.get(), seam, QStringLiteral("1.05"), kWebsite,
                                               UpdateServer{"127.0.0.1", server.port()});
    job->start();
    QTimer::singleShot(200, qApp, &QCoreApplication::quit);
    QApplication::exec(); // emits aboutToQuit on its way out
    ASSERT_TRUE(test::RunUntilDestroyed(job, 5000));
    EXPECT_EQ(server.Requests().size(), 1u) << "no request after the stop";
    EXPECT_FALSE(fake.Revealed());
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(UpdateCheckProcessTest, WindowGoneBeforeTheHandOffsIsLeftAlone) {
    server.Script(kTutorialRequestPath, Reply(200, "yes"));
    server.Script(kVersionRequestPath, Reply(200, "9"));
    auto* job = new TCheckForNewVersionProcess(fake.window.get(), seam, QStringLiteral("1.05"), kWebsite,
                                               UpdateServer{"127.0.0.1", server.port()});
    job->start();
    // Hand-offs run only from the event loop, so the window is surely gone before either.
    fake.window.reset();
    ASSERT_TRUE(test::RunUntilDestroyed(job, kJobWaitMs));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(seam.messages.empty());
    EXPECT_TRUE(seam.opened.empty());
}

} // namespace
} // namespace tessoly
