#pragma once
// The real dialog seam: Qt's message boxes, file and colour dialogs and QDesktopServices.
// Every dialog is held by a QPointer, because its parent may go away while exec() runs.

#include "app/DialogSeam.h"

namespace tessoly {

class QtDialogSeam : public DialogSeam {
public:
    QtDialogSeam();

    MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                              MessageButtons buttons) override;
    QStringList GetOpenFileNames(QWidget* parent, const OpenFileRequest& request) override;
    QString GetSaveFileName(QWidget* parent, const OpenFileRequest& request) override;
    QString GetExistingDirectory(QWidget* parent, const QString& title,
                                 const QString& initialFolder) override;
    std::optional<QColor> GetColour(QWidget* parent, const QColor& initial) override;
    void OpenInShell(const QString& target) override;
};

} // namespace tessoly
