// The update check job. Order of work on the worker: tutorial request -> RevealTutorial hand-off
// unless the answer is exactly "false" -> version request -> strict parse of both versions as
// 32-bit floats -> AskForUpgrade hand-off only when the server's version is higher. Any failure
// skips to the end without a word.
//
// Why hand-offs cannot reach a window that is gone: they go through this job's own gate, which is
// closed at quit and when the job is destroyed (on the user-interface thread, after run() has
// returned); a closed gate runs no step. The window itself is looked up through a QPointer inside
// the hand-off, on the user-interface thread where the window is destroyed, so the check and the use
// cannot interleave with its destruction.

#include "app/CheckForNewVersionProcess.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

#include "app/DialogSeam.h"
#include "app/VersionNumber.h"

namespace tessoly {

namespace {

//! Bounded wait at quit for a job that was told to stop [ms]; libcurl polls the stop request
//! about once a second, so the job normally ends well inside it.
constexpr unsigned long kQuitWaitMs = 2500;

} // namespace

TCheckForNewVersionProcess::TCheckForNewVersionProcess(QWidget* window, DialogSeam& seam,
                                                       QString installedVersion, QString websiteUrl,
                                                       UpdateServer server, UpdateRequestLimits limits)
    : window_(window), seam_(&seam), installedVersion_(std::move(installedVersion)),
      websiteUrl_(std::move(websiteUrl)), server_(std::move(server)), limits_(limits) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        // At quit the job is stopped rather than left running into the teardown of the process;
        // the window is never asked and the wait is short.
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            abort_ = true;
            gate_.Close();
            wait(kQuitWaitMs);
        });
    }
}

TCheckForNewVersionProcess::~TCheckForNewVersionProcess() { gate_.Close(); }

TCheckForNewVersionProcess* TCheckForNewVersionProcess::Launch(QWidget* window, DialogSeam& seam,
                                                               const QString& installedVersion,
                                                               const QString& websiteUrl,
                                                               std::string_view makersDomain) {
    auto* job = new TCheckForNewVersionProcess(window, seam, installedVersion, websiteUrl,
                                               DefaultUpdateServer(makersDomain));
    job->start();
    return job;
}

bool TCheckForNewVersionProcess::HandOff(void (TCheckForNewVersionProcess::*step)()) {
    if (abort_)
        return false;
    return gate_.Run([this, step] { (this->*step)(); });
}

void TCheckForNewVersionProcess::run() {
    UpdateClient client(server_, limits_, &abort_);

    const std::optional<std::string> tutorial = client.PostProductId(kTutorialRequestPath);
    if (tutorial && *tutorial != kNoAnswer)
        HandOff(&TCheckForNewVersionProcess::RevealTutorial);

    const std::optional<std::string> current = client.PostProductId(kVersionRequestPath);
    if (!current || *current == kNoAnswer)
        return;
    const std::optional<float> installedNumber = ParseVersionNumber(installedVersion_.toStdString());
    const std::optional<float> currentNumber = ParseVersionNumber(*current);
    if (!installedNumber || !currentNumber || *installedNumber >= *currentNumber)
        return;
    message_ = QStringLiteral("A newer Tessoly is available!\r\n") + QStringLiteral("Version number: ") +
               VersionNumberText(*currentNumber) + QStringLiteral("\r\n\r\n") +
               QStringLiteral("Would you like to upgrade now?");
    HandOff(&TCheckForNewVersionProcess::AskForUpgrade);
}

void TCheckForNewVersionProcess::RevealTutorial() {
    if (window_.isNull())
        return;
    for (const char* name : {"VideoTutorial1", "sBitBtnTutorial"}) {
        if (auto* action = window_->findChild<QAction*>(QLatin1String(name)))
            action->setVisible(true);
        else if (auto* widget = window_->findChild<QWidget*>(QLatin1String(name)))
            widget->setVisible(true);
    }
}

void TCheckForNewVersionProcess::AskForUpgrade() {
    if (window_.isNull())
        return;
    const MessageAnswer answer = seam_->ShowMessage(window_, MessageKind::Confirmation,
                                                    message_ + QStringLiteral("\r\n"), MessageButtons::YesNo);
    // The box is modal with its own event loop: the window may have gone while it was open.
    if (answer == MessageAnswer::Yes && !window_.isNull())
        seam_->OpenInShell(websiteUrl_);
}

} // namespace tessoly
