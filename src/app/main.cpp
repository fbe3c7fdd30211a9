// Program entry: one copy at a time, the window, the event loop.

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>

#include "app/MainWindow.h"
#include "app/QtDialogSeam.h"
#include "app/SingleInstance.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessoly"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tessoly"));
    QApplication::setOrganizationDomain(QString::fromLatin1(tessoly::kMakerDomain));

    tessoly::QtDialogSeam seam;
    tessoly::SingleInstanceGuard guard(QDir::tempPath());
    if (!tessoly::EnsureSingleInstance(guard, seam))
        return 0;

    tessoly::StartOptions options{tessoly::DefaultInstallFactsPath()};
    options.checkForUpdates = true;
    options.recentPresetsPath =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/recent-presets");
    tessoly::TMainForm window(seam, options);
    if (window.StartupFailed())
        return 0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return QApplication::exec();
}
