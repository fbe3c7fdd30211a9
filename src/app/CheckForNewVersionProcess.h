#pragma once
// TCheckForNewVersionProcess: the start-up job that asks the maker's server whether a video
// tutorial is offered and which version is current, reveals the Tutorial controls and offers the
// upgrade. Everything fails silently.
//
// Thread contract: construct and start() on the user-interface thread. run() is the worker; it
// touches the window only through the two hand-offs, which run on the user-interface thread while
// the worker waits (through a HandOffGate, the jobs' shared hand-off). The object releases itself
// (deleteLater) when its work ends.

#include <atomic>

#include <QPointer>
#include <QString>
#include <QThread>

#include "app/UpdateRequest.h"
#include "batch/HandOffGate.h"

class QWidget;

namespace tessoly {

class DialogSeam;

//! Answer of the tutorial request that means "no tutorial offered".
inline constexpr char kNoAnswer[] = "false";
inline constexpr char kTutorialRequestPath[] = "/requests/getytvideoid.php";
inline constexpr char kVersionRequestPath[] = "/requests/checkversionid.php";

class TCheckForNewVersionProcess : public QThread {
    Q_OBJECT
public:
    //! window: the main window, whose children "VideoTutorial1" (action or widget) and
    //! "sBitBtnTutorial" are revealed; seam must outlive window. The job is created suspended:
    //! start() runs it.
    TCheckForNewVersionProcess(QWidget* window, DialogSeam& seam, QString installedVersion,
                               QString websiteUrl, UpdateServer server, UpdateRequestLimits limits = {});
    ~TCheckForNewVersionProcess() override;

    //! Creates the job for the maker's server and starts it; it releases itself when done.
    static TCheckForNewVersionProcess* Launch(QWidget* window, DialogSeam& seam,
                                              const QString& installedVersion, const QString& websiteUrl,
                                              std::string_view makersDomain);

protected:
    //! Execute: both requests, the version comparison and the hand-offs. Worker thread.
    void run() override;

private:
    //! User-interface thread: shows the Tutorial button and the "Video tutorial" menu item.
    void RevealTutorial();
    //! User-interface thread: the confirmation box; Yes opens WebsiteUrl.
    void AskForUpgrade();
    //! Runs step on the user-interface thread and waits for it; false when it was not run.
    bool HandOff(void (TCheckForNewVersionProcess::*step)());

    //! Read on the user-interface thread only, where the window is destroyed, so the check in a
    //! hand-off cannot race with the window going away.
    QPointer<QWidget> window_;
    DialogSeam* seam_;
    const QString installedVersion_;
    const QString websiteUrl_;
    const UpdateServer server_;
    const UpdateRequestLimits limits_;
    //! Carries the hand-offs to the user-interface thread; closed at quit and when the job is
    //! destroyed, after which no step runs.
    HandOffGate gate_;
    //! Set when the application quits: the running request stops soon and no hand-off is made.
    std::atomic<bool> abort_{false};
    //! The upgrade question; written by the worker before the AskForUpgrade hand-off.
    QString message_;
};

} // namespace tessoly
