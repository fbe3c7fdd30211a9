#pragma once
// The web-link commands of the Help menu, the status bar and the Tutorial button: each hands an
// address built from the installation facts to the desktop's "open" action through the dialog
// seam, some after an OK/Cancel message. ConnectWebLinks wires them to the window's controls by
// their component names. User-interface thread only.

#include <functional>

#include <QString>

class QWidget;

namespace tessoly {

class DialogSeam;
class TAboutDialog;
struct InstallFacts;

//! "http://" + the maker's domain + "/donate-free-software.html"; does not depend on the facts.
QString DonationUrl();
//! The texts of the two OK/Cancel information boxes.
QString FeedbackMessage();
QString DonationMessage();

//! Hands target to the desktop's "open" action; nothing is reported when it cannot be opened.
void OpenInShell(DialogSeam& seam, const QString& target);

void WebsiteClick(DialogSeam& seam, const InstallFacts& facts);
void ClickWebpageFX(DialogSeam& seam, const InstallFacts& facts);
void sBitBtnTutorialClick(DialogSeam& seam, const InstallFacts& facts);
void VideoTutorial1Click(DialogSeam& seam, const InstallFacts& facts);
void ImageSocialFacebookClick(DialogSeam& seam, const InstallFacts& facts);
void Image1Click(DialogSeam& seam, const InstallFacts& facts);
void Image6Click(DialogSeam& seam, const InstallFacts& facts);
//! The feedback message on parent; OK opens FeedbackUrl.
void Feedback1Click(DialogSeam& seam, QWidget* parent, const InstallFacts& facts);
//! The donation message on parent; OK opens the donation page.
void Donate1Click(DialogSeam& seam, QWidget* parent);
void ImageDonateClick(DialogSeam& seam, QWidget* parent);

//! Shows a ready About dialog modally; the real one runs exec(), tests click instead.
using AboutDialogRunner = std::function<void(TAboutDialog& dialog)>;
//! Runs dialog.exec().
void ExecAboutDialog(TAboutDialog& dialog);
//! The About dialog centred on parent; when it ends with "gotoweb", opens WebsiteUrl after it has
//! closed.
void About1Click(DialogSeam& seam, QWidget* parent, const InstallFacts& facts,
                 const AboutDialogRunner& run = ExecAboutDialog);

//! Connects every link command to window's children by component name: the actions "Website",
//! "VideoTutorial1", "Feedback1", "Donate1", "About1"; the buttons "sBitBtnTutorial", "ImageDonate",
//! "ImageSocialFacebook", "Image1", "Image6"; clicks on the label "sLabelFXWebpage". Missing
//! controls are skipped. seam and facts are read at click time and must outlive window.
void ConnectWebLinks(QWidget* window, DialogSeam& seam, const InstallFacts& facts);

} // namespace tessoly
