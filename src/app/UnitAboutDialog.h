#pragma once
// TAboutDialog: the modal About box. The caller gives it the product name, the version and the web
// line; a click on the logo, the name, the maker line or the web line sets AboutResult to
// "gotoweb" and closes it, OK or Esc closes it with AboutResult empty. Created for one showing and
// destroyed afterwards. User-interface thread only.

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace tessoly {

//! AboutResult when the user asked for the web site.
inline constexpr char kAboutGoToWeb[] = "gotoweb";

class TAboutDialog : public QDialog {
    Q_OBJECT
public:
    //! FormCreate: builds the layout; the stored texts and AboutResult start empty.
    explicit TAboutDialog(QWidget* parent = nullptr);

    //! The texts shown from the next activation on.
    void SetTexts(const QString& name, const QString& version, const QString& webLine);
    //! Empty, or "gotoweb".
    QString AboutResult() const { return aboutResult_; }

    QFrame* sPanel1 = nullptr;
    QFrame* sBevel1 = nullptr;
    QLabel* ImageAppLogo = nullptr;
    QLabel* sLabelSoftwareName = nullptr;
    QLabel* sLabel1 = nullptr;
    QLabel* sLabel2 = nullptr;
    QPushButton* sBitBtnOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    //! Each time the dialog becomes the active window: caption, name line, web line, focus on OK.
    void FormActivate();
    //! The logo, the name, the maker line and the web line all lead to the web site.
    void GoToWebClick();
    void sBitBtnOKClick();

    QString name_;
    QString version_;
    QString webLine_;
    QString aboutResult_;
};

} // namespace tessoly
