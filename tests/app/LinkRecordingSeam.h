#pragma once
// A dialog seam for the web-link, About and update-check tests: it records every message box and
// every shell "open", and answers message boxes from a queue (OK when the queue is empty).
// Also the QApplication these tests need, created once.

#include <deque>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/DialogSeam.h"

namespace tessoly::test {

struct RecordedMessage {
    QWidget* parent;
    MessageKind kind;
    QString text;
    MessageButtons buttons;
};

class LinkRecordingSeam : public DialogSeam {
public:
    std::vector<RecordedMessage> messages;
    std::vector<QString> opened;
    std::deque<MessageAnswer> answers;

    MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                              MessageButtons buttons) override {
        messages.push_back({parent, kind, text, buttons});
        if (answers.empty())
            return MessageAnswer::Ok;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList GetOpenFileNames(QWidget*, const OpenFileRequest&) override { return {}; }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> GetColour(QWidget*, const QColor&) override { return std::nullopt; }
    void OpenInShell(const QString& target) override { opened.push_back(target); }
};

//! The process-wide QApplication (offscreen in CI), made on first use. It is never destroyed: a
//! QApplication torn down among the exit-time statics crashes once an input device exists.
inline void EnsureLinkTestApplication() {
    if (QApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

//! A member to put first in a fixture whose other members are widgets.
struct LinkTestApplication {
    LinkTestApplication() { EnsureLinkTestApplication(); }
};

//! A left click (press and release) in the middle of widget, delivered directly.
inline void ClickWidget(QWidget* widget) {
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

//! Runs the event loop until object is destroyed or timeoutMs passes; true when it was destroyed.
inline bool RunUntilDestroyed(QObject* object, int timeoutMs) {
    QPointer<QObject> guard(object);
    if (guard.isNull())
        return true;
    QEventLoop loop;
    QObject::connect(object, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return guard.isNull();
}

} // namespace tessoly::test
