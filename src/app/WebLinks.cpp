#include "app/WebLinks.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include "app/DialogSeam.h"
#include "app/InstallFacts.h"
#include "app/UnitAboutDialog.h"

namespace tessoly {

namespace {

//! Turns a left-button click (press and release inside) on a label into a call.
class LabelClickFilter : public QObject {
public:
    LabelClickFilter(QLabel* label, std::function<void()> onClick)
        : QObject(label), onClick_(std::move(onClick)) {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The press is taken too, so the release comes back to the label.
        if (event->type() == QEvent::MouseButtonPress)
            return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* label = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
                onClick_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

void ConnectAction(QWidget* window, const char* name, std::function<void()> command) {
    if (auto* action = window->findChild<QAction*>(QLatin1String(name)))
        QObject::connect(action, &QAction::triggered, window, [command = std::move(command)] { command(); });
}

void ConnectButton(QWidget* window, const char* name, std::function<void()> command) {
    if (auto* button = window->findChild<QAbstractButton*>(QLatin1String(name)))
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [command = std::move(command)] { command(); });
}

} // namespace

QString DonationUrl() {
    return QStringLiteral("http://") + QLatin1String(kMakerDomain) +
           QStringLiteral("/donate-free-software.html");
}

QString FeedbackMessage() {
    return QStringLiteral("Feedback\r\n\r\n") + QStringLiteral("  Please click on OK button to send any") +
           QStringLiteral("\r\n") + QStringLiteral("  comments or questions you may have!") +
           QStringLiteral("\r\n");
}

QString DonationMessage() {
    return QStringLiteral("Donate this FREE software!\r\n\r\n") + QStringLiteral("  If you like ") +
           QStringLiteral("Tessoly") + QStringLiteral(" you may like to") + QStringLiteral("\r\n") +
           QStringLiteral("  donate the very small sum of $15.00 or \u20AC15.00 on PayPal") +
           QStringLiteral("\r\n") + QStringLiteral("  to help us keep developing and updating. Thank you!") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("  Click on OK button to donate.") +
           QStringLiteral("\r\n");
}

void OpenInShell(DialogSeam& seam, const QString& target) {
    seam.OpenInShell(target);
}

void WebsiteClick(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl);
}

void ClickWebpageFX(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl);
}

// The query texts are appended as they are: an address that already holds a "?" gets a second one.
void sBitBtnTutorialClick(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl + QStringLiteral("?playvideo"));
}

void VideoTutorial1Click(DialogSeam& seam, const InstallFacts& facts) {
    sBitBtnTutorialClick(seam, facts);
}

void ImageSocialFacebookClick(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl + QStringLiteral("?social=fb"));
}

void Image1Click(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl + QStringLiteral("?social=tw"));
}

void Image6Click(DialogSeam& seam, const InstallFacts& facts) {
    OpenInShell(seam, facts.WebsiteUrl + QStringLiteral("?social=gp"));
}

void Feedback1Click(DialogSeam& seam, QWidget* parent, const InstallFacts& facts) {
    if (seam.ShowMessage(parent, MessageKind::Information, FeedbackMessage(), MessageButtons::OkCancel) ==
        MessageAnswer::Ok)
        OpenInShell(seam, facts.FeedbackUrl);
}

void Donate1Click(DialogSeam& seam, QWidget* parent) {
    if (seam.ShowMessage(parent, MessageKind::Information, DonationMessage(), MessageButtons::OkCancel) ==
        MessageAnswer::Ok)
        OpenInShell(seam, DonationUrl());
}

void ImageDonateClick(DialogSeam& seam, QWidget* parent) {
    Donate1Click(seam, parent);
}

void ExecAboutDialog(TAboutDialog& dialog) {
    dialog.exec();
}

void About1Click(DialogSeam& seam, QWidget* parent, const InstallFacts& facts, const AboutDialogRunner& run) {
    // Held by a QPointer: if the parent goes while the dialog runs, the dialog goes with it.
    QPointer<TAboutDialog> dialog = new TAboutDialog(parent);
    dialog->SetTexts(QStringLiteral("Tessoly"), facts.InstalledVersion,
                     QStringLiteral("http://") + facts.SiteDomain + QStringLiteral("/"));
    run(*dialog);
    if (dialog.isNull())
        return;
    const QString result = dialog->AboutResult();
    delete dialog.data();
    if (result == QLatin1String(kAboutGoToWeb))
        OpenInShell(seam, facts.WebsiteUrl);
}

void ConnectWebLinks(QWidget* window, DialogSeam& seam, const InstallFacts& facts) {
    DialogSeam* s = &seam;
    const InstallFacts* f = &facts;
    ConnectAction(window, "Website", [s, f] { WebsiteClick(*s, *f); });
    ConnectAction(window, "VideoTutorial1", [s, f] { VideoTutorial1Click(*s, *f); });
    ConnectAction(window, "Feedback1", [s, f, window] { Feedback1Click(*s, window, *f); });
    ConnectAction(window, "Donate1", [s, window] { Donate1Click(*s, window); });
    ConnectAction(window, "About1", [s, f, window] { About1Click(*s, window, *f); });
    ConnectButton(window, "sBitBtnTutorial", [s, f] { sBitBtnTutorialClick(*s, *f); });
    ConnectButton(window, "ImageSocialFacebook", [s, f] { ImageSocialFacebookClick(*s, *f); });
    ConnectButton(window, "Image1", [s, f] { Image1Click(*s, *f); });
    ConnectButton(window, "Image6", [s, f] { Image6Click(*s, *f); });
    ConnectButton(window, "ImageDonate", [s, window] { ImageDonateClick(*s, window); });
    if (auto* label = window->findChild<QLabel*>(QStringLiteral("sLabelFXWebpage")))
        new LabelClickFilter(label, [s, f] { ClickWebpageFX(*s, *f); });
}

} // namespace tessoly
