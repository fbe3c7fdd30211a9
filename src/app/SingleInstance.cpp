#include "app/SingleInstance.h"

#include <QDir>

namespace tessoly {

SingleInstanceGuard::SingleInstanceGuard(const QString& folder)
    : lock_(QDir(folder).filePath(QStringLiteral("Tessoly.lock"))) {
    // Only a lock of a dead process is stale; a live copy keeps it however long it runs.
    lock_.setStaleLockTime(0);
}

bool SingleInstanceGuard::Acquire() {
    return lock_.isLocked() || lock_.tryLock(0);
}

bool EnsureSingleInstance(SingleInstanceGuard& guard, DialogSeam& seam) {
    if (guard.Acquire())
        return true;
    seam.ShowMessage(nullptr, MessageKind::Warning,
                     QStringLiteral("An instance of Tessoly is already running!"), MessageButtons::Ok);
    return false;
}

} // namespace tessoly
