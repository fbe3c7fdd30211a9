#pragma once
// Helpers for tests that run a job's worker thread against a fake host: a Qt application for the
// user-interface thread's event loop, and a wait that serves hand-offs until the job has ended.

#include <functional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace tessoly::test {

//! The process's Qt application, made on first use (tests run on the main thread). Kept for the
//! whole run: Qt allows one per process.
inline QCoreApplication& EnsureQtApp() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tessoly-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app = new QCoreApplication(argc, argv);
        (void)app;
    }
    return *QCoreApplication::instance();
}

//! Runs the event loop (serving the job's hand-offs) until job has finished, at most timeoutMs.
inline bool RunUntilFinished(QThread& job, int timeoutMs = 30000) {
    QEventLoop loop;
    QObject::connect(&job, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // finished may have been emitted before the connection; the check also catches that.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (job.isFinished()) {
            loop.quit();
        }
    });
    check.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!job.isFinished()) {
        loop.exec();
    }
    // Steps queued by the job's last moments, and its finished signal, are served here too.
    QCoreApplication::processEvents();
    // isFinished() holds from the start of the thread's finishing; wait() until it is over.
    return job.wait(QDeadlineTimer(5000));
}

//! Runs the event loop until done() holds, at most timeoutMs; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace tessoly::test
