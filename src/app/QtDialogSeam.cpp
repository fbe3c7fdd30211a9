#include "app/QtDialogSeam.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

namespace tessoly {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtDialogSeam::QtDialogSeam() {
    // The guide-colour dialog offers sixteen white custom colours.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(0xFF, 0xFF, 0xFF));
}

MessageAnswer QtDialogSeam::ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                                        MessageButtons buttons) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QPointer<QMessageBox> box =
        new QMessageBox(IconOf(kind), MessageCaption(kind), shown, QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    if (buttons == MessageButtons::OkCancel) {
        ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box->setDefaultButton(ok);
        box->setEscapeButton(cancel);
    } else if (buttons == MessageButtons::Ok) {
        ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
    } else {
        yes = box->addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        no = box->addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
    }
    box->exec();
    if (box.isNull())
        return MessageAnswer::Closed;
    const QAbstractButton* clicked = box->clickedButton();
    MessageAnswer answer = MessageAnswer::Closed;
    if (clicked != nullptr && clicked == ok)
        answer = MessageAnswer::Ok;
    else if (clicked != nullptr && clicked == yes)
        answer = MessageAnswer::Yes;
    else if (clicked != nullptr && clicked == no)
        answer = MessageAnswer::No;
    else if (clicked != nullptr && clicked == cancel)
        answer = MessageAnswer::Cancel;
    delete box.data();
    return answer;
}

QStringList QtDialogSeam::GetOpenFileNames(QWidget* parent, const OpenFileRequest& request) {
    QPointer<QFileDialog> dialog = new QFileDialog(parent, request.title, request.initialFolder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(request.multipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setNameFilters(request.filters);
    const int result = dialog->exec();
    if (dialog.isNull())
        return {};
    QStringList files;
    if (result == QDialog::Accepted)
        files = dialog->selectedFiles();
    delete dialog.data();
    return files;
}

QString QtDialogSeam::GetSaveFileName(QWidget* parent, const OpenFileRequest& request) {
    QPointer<QFileDialog> dialog = new QFileDialog(parent, request.title, request.initialFolder);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(request.filters);
    dialog->setDefaultSuffix(QStringLiteral("tessoly-preset"));
    const int result = dialog->exec();
    if (dialog.isNull())
        return {};
    QString file;
    if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        file = dialog->selectedFiles().constFirst();
    delete dialog.data();
    return file;
}

QString QtDialogSeam::GetExistingDirectory(QWidget* parent, const QString& title,
                                           const QString& initialFolder) {
    QPointer<QFileDialog> dialog = new QFileDialog(parent, title, initialFolder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    const int result = dialog->exec();
    if (dialog.isNull())
        return {};
    QString folder;
    if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        folder = QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
    delete dialog.data();
    return folder;
}

std::optional<QColor> QtDialogSeam::GetColour(QWidget* parent, const QColor& initial) {
    QPointer<QColorDialog> dialog = new QColorDialog(initial, parent);
    const int result = dialog->exec();
    if (dialog.isNull())
        return std::nullopt;
    std::optional<QColor> colour;
    if (result == QDialog::Accepted)
        colour = dialog->selectedColor();
    delete dialog.data();
    return colour;
}

void QtDialogSeam::OpenInShell(const QString& target) {
    // A folder or file path opens in the file manager; anything else is taken as an address.
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl(target);
    QDesktopServices::openUrl(url);
}

} // namespace tessoly
