#pragma once
// The dialog seam: every message box, file or folder dialog, colour dialog and shell "open" the
// window shows goes through one object, so tests can script the answers and read what was asked.
// QtDialogSeam (QtDialogSeam.h) is the real one; tests use a scripted one of their own.
// Called on the user-interface thread only.

#include <optional>

#include <QColor>
#include <QString>
#include <QStringList>

class QWidget;

namespace tessoly {

//! The kinds of message box; each has its caption and icon: "Warning", "Error", "Information",
//! "Confirm".
enum class MessageKind { Warning, Error, Information, Confirmation };
//! The buttons a message box offers: "OK", "&Yes" and "&No", or "OK" and "Cancel".
enum class MessageButtons { Ok, YesNo, OkCancel };
//! What the user answered; Closed when the box went away without a choice.
enum class MessageAnswer { Ok, Yes, No, Closed, Cancel };

//! One open-file dialog request.
struct OpenFileRequest {
    QString title;
    QString initialFolder;
    //! Qt filter entries in order, e.g. "GIF Image (*.gif)".
    QStringList filters;
    bool multipleSelection = false;
};

class DialogSeam {
public:
    virtual ~DialogSeam() = default;

    //! A modal message box centred on parent.
    virtual MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                                      MessageButtons buttons) = 0;
    //! The chosen files; empty when cancelled.
    virtual QStringList GetOpenFileNames(QWidget* parent, const OpenFileRequest& request) = 0;
    //! The file to save to (request.filters as for opening; multipleSelection unused); empty when
    //! cancelled. Replacing an existing file is confirmed by the dialog itself.
    virtual QString GetSaveFileName(QWidget* parent, const OpenFileRequest& request) {
        (void)parent;
        (void)request;
        return {};
    }
    //! The chosen folder; empty when cancelled.
    virtual QString GetExistingDirectory(QWidget* parent, const QString& title, const QString& initialFolder) = 0;
    //! The chosen colour; nothing when cancelled.
    virtual std::optional<QColor> GetColour(QWidget* parent, const QColor& initial) = 0;
    //! Hands an address, mail link or folder to the desktop's "open" action.
    virtual void OpenInShell(const QString& target) = 0;
};

//! The caption of a message box of this kind.
inline QString MessageCaption(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning: return QStringLiteral("Warning");
    case MessageKind::Error: return QStringLiteral("Error");
    case MessageKind::Information: return QStringLiteral("Information");
    case MessageKind::Confirmation: return QStringLiteral("Confirm");
    }
    return {};
}

} // namespace tessoly
