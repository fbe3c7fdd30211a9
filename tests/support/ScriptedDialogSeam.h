#pragma once
// A dialog seam for tests: every request is recorded, and the answers come from queues the test
// fills beforehand. An empty queue answers OK (Ok boxes), No (Yes/No) or Cancel (OK/Cancel) and cancels
// dialogs.

#include <deque>
#include <optional>
#include <vector>

#include "app/DialogSeam.h"

namespace tessoly::test {

class ScriptedDialogSeam : public DialogSeam {
public:
    struct Message {
        MessageKind kind;
        QString text;
        MessageButtons buttons;
    };
    struct DirectoryRequest {
        QString title;
        QString initialFolder;
    };

    MessageAnswer ShowMessage(QWidget*, MessageKind kind, const QString& text,
                              MessageButtons buttons) override {
        messages.push_back({kind, text, buttons});
        if (!messageAnswers.empty()) {
            const MessageAnswer answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::OkCancel:
            return MessageAnswer::Cancel;
        }
        return MessageAnswer::Closed;
    }
    QStringList GetOpenFileNames(QWidget*, const OpenFileRequest& request) override {
        openFileRequests.push_back(request);
        if (openFileAnswers.empty())
            return {};
        QStringList answer = openFileAnswers.front();
        openFileAnswers.pop_front();
        return answer;
    }
    QString GetSaveFileName(QWidget*, const OpenFileRequest& request) override {
        saveFileRequests.push_back(request);
        if (saveFileAnswers.empty())
            return {};
        QString answer = saveFileAnswers.front();
        saveFileAnswers.pop_front();
        return answer;
    }
    QString GetExistingDirectory(QWidget*, const QString& title, const QString& initialFolder) override {
        directoryRequests.push_back({title, initialFolder});
        if (directoryAnswers.empty())
            return {};
        QString answer = directoryAnswers.front();
        directoryAnswers.pop_front();
        return answer;
    }
    std::optional<QColor> GetColour(QWidget*, const QColor& initial) override {
        colourRequests.push_back(initial);
        if (colourAnswers.empty())
            return std::nullopt;
        std::optional<QColor> answer = colourAnswers.front();
        colourAnswers.pop_front();
        return answer;
    }
    void OpenInShell(const QString& target) override { shellTargets.push_back(target); }

    //! Answers for the next message boxes, in order.
    std::deque<MessageAnswer> messageAnswers;
    std::deque<QStringList> openFileAnswers;
    std::deque<QString> directoryAnswers;
    std::deque<QString> saveFileAnswers;
    //! std::nullopt cancels the colour dialog.
    std::deque<std::optional<QColor>> colourAnswers;

    std::vector<Message> messages;
    std::vector<OpenFileRequest> openFileRequests;
    std::vector<OpenFileRequest> saveFileRequests;
    std::vector<DirectoryRequest> directoryRequests;
    std::vector<QColor> colourRequests;
    std::vector<QString> shellTargets;
};

} // namespace tessoly::test
