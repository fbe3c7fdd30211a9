#pragma once
// A main window for the list and job tests: headless, with its installation facts from a scratch
// file and every dialog answered by a scripted seam; plus small picture files made on the spot.

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTableView>

#include <FreeImage.h>

#include "app/MainWindow.h"
#include "app/MainWindowList.h"
#include "support/JobTestSupport.h"
#include "support/ScriptedDialogSeam.h"
#include "support/TestSupport.h"

namespace tessoly::test {

inline void EnsureWidgetsApp() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down among the exit-time statics crashes once an input
    // device exists (any synthesized mouse event makes one).
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

//! Writes a width x height 24-bit picture in format (a gradient, so outputs differ by position).
inline void SavePicture(const std::string& path, FREE_IMAGE_FORMAT format, int width = 64, int height = 48) {
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < width; ++x) {
            line[x * 3 + 0] = static_cast<BYTE>(x * 4);
            line[x * 3 + 1] = static_cast<BYTE>(y * 5);
            line[x * 3 + 2] = static_cast<BYTE>(128);
        }
    }
    FreeImage_SetDotsPerMeterX(dib, 3780);
    FreeImage_SetDotsPerMeterY(dib, 3780);
    ASSERT_TRUE(FreeImage_Save(format, dib, path.c_str(), format == FIF_JPEG ? 90 : 0)) << path;
    FreeImage_Unload(dib);
}

class ListWindowTest : public testing::Test {
protected:
    void SetUp() override {
        EnsureWidgetsApp();
        const std::string ini = scratch.file("tessoly.ini");
        WriteFileBytes(
            ini, "[Software\\Varnel Works\\Tessoly]\nVersion=1.0\nWebsite=http://www.varnelworks.com/\n");
        form = std::make_unique<TMainForm>(seam, StartOptions{QString::fromStdString(ini)});
        ASSERT_FALSE(form->StartupFailed());
        form->show();
    }
    void TearDown() override {
        form.reset();
        QCoreApplication::processEvents();
    }

    TImageListSide& List() { return form->ListSide(); }
    ImageListModel& Model() { return form->ListSide().Model(); }
    QString Path(const std::string& name) const { return QString::fromStdString(scratch.file(name)); }

    //! Until neither job runs and both have gone.
    bool WaitIdle(int timeoutMs = 30000) {
        return WaitUntil(
            [this] {
                return !form->Jobs->BatchRunning && !form->Jobs->ReadingInProgress &&
                       List().ReadingJob() == nullptr && List().BatchJob() == nullptr;
            },
            timeoutMs);
    }
    //! Adds paths through the reading job, as the adding commands do, and waits for it.
    void AddRows(const QStringList& paths) {
        List().StartReadingJob(paths);
        ASSERT_TRUE(WaitIdle());
    }
    //! The texts of the message boxes shown so far.
    QStringList MessageTexts() const {
        QStringList texts;
        for (const auto& message : seam.messages) {
            texts << message.text;
        }
        return texts;
    }

    ScratchDir scratch;
    ScriptedDialogSeam seam;
    std::unique_ptr<TMainForm> form;
};

} // namespace tessoly::test
