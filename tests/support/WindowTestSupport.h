#pragma once
// Helpers of the window tests: one offscreen QApplication per process, an installation-facts file
// and a main window built on a scripted dialog seam.

#include <memory>
#include <ostream>
#include <string>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>

#include "app/MainWindow.h"
#include "support/ScriptedDialogSeam.h"
#include "support/TestSupport.h"

//! Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tessoly::test {

//! The process-wide QApplication, offscreen unless the environment chose a platform.
inline void EnsureWindowTestApplication() {
    if (QApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_window";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down among the exit-time statics crashes once an input
    // device exists (any synthesized mouse event makes one).
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

//! Writes an installation-facts file; an empty value leaves that line out.
inline std::string WriteInstallFacts(const ScratchDir& dir, const std::string& version,
                                     const std::string& website) {
    std::string text = "[Software\\Varnel Works\\Tessoly]\n";
    if (!version.empty())
        text += "Version=" + version + "\n";
    if (!website.empty())
        text += "Website=" + website + "\n";
    const std::string path = dir.file("tessoly.ini");
    WriteFileBytes(path, text);
    return path;
}

//! A shown main window with complete installation facts and a scripted seam.
struct WindowFixture {
    WindowFixture() {
        EnsureWindowTestApplication();
        const std::string facts = WriteInstallFacts(dir, "1.1", "https://www.varnelworks.com/tessoly/");
        form = std::make_unique<TMainForm>(seam, StartOptions{QString::fromStdString(facts)});
        form->show();
        QApplication::processEvents();
    }
    ~WindowFixture() { form.reset(); }

    template <typename T> T* Find(const char* name) const { return form->findChild<T*>(QLatin1String(name)); }

    //! A 32-bit PNG of the given size in the scratch folder.
    std::string WritePng(const std::string& name, int width, int height,
                         QRgb colour = qRgb(40, 120, 200)) const {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(colour);
        image.setDotsPerMeterX(2835);
        image.setDotsPerMeterY(2835);
        const std::string path = dir.file(name);
        image.save(QString::fromStdString(path), "PNG");
        return path;
    }

    ScratchDir dir;
    ScriptedDialogSeam seam;
    std::unique_ptr<TMainForm> form;
};

//! Delivers a focus loss to widget, as when the user tabs away.
inline void LoseFocus(QWidget* widget) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

} // namespace tessoly::test
