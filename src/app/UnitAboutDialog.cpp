#include "app/UnitAboutDialog.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "app/Icons.h"

namespace tessoly {

namespace {

//! 16 x 16 tick of the OK button.
QIcon TickIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12);
    tick.lineTo(13, 4);
    painter.setPen(QPen(QColor(0x2E, 0x9E, 0x3A), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    return QIcon(pixmap);
}

QLabel* LinkLabel(QWidget* parent, const char* name, int left, int top, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->setCursor(Qt::PointingHandCursor);
    label->adjustSize();
    return label;
}

} // namespace

TAboutDialog::TAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(386, 192);

    sPanel1 = new QFrame(this);
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    sPanel1->setGeometry(0, 0, 386, 192);

    sBevel1 = new QFrame(sPanel1);
    sBevel1->setObjectName(QStringLiteral("sBevel1"));
    sBevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    sBevel1->setGeometry(12, 12, 362, 127);

    ImageAppLogo = new QLabel(sPanel1);
    ImageAppLogo->setObjectName(QStringLiteral("ImageAppLogo"));
    ImageAppLogo->setGeometry(22, 24, 100, 100);
    ImageAppLogo->setPixmap(ApplicationIcon().pixmap(100, 100));
    ImageAppLogo->setCursor(Qt::PointingHandCursor);

    sLabelSoftwareName = LinkLabel(sPanel1, "sLabelSoftwareName", 138, 28, QString());
    QFont nameFont = sLabelSoftwareName->font();
    nameFont.setPixelSize(12);
    nameFont.setBold(true);
    sLabelSoftwareName->setFont(nameFont);
    sLabel1 = LinkLabel(sPanel1, "sLabel1", 142, 52, QStringLiteral("Made by Varnel Works"));
    sLabel2 = LinkLabel(sPanel1, "sLabel2", 142, 70, QString());

    sBitBtnOK = new QPushButton(TickIcon(), QStringLiteral("OK"), sPanel1);
    sBitBtnOK->setObjectName(QStringLiteral("sBitBtnOK"));
    sBitBtnOK->setGeometry(153, 152, 80, 28);
    sBitBtnOK->setDefault(true);
    // Esc is QDialog's reject, which closes the dialog exactly as OK does.
    connect(sBitBtnOK, &QPushButton::clicked, this, &TAboutDialog::sBitBtnOKClick);

    for (QWidget* link : {static_cast<QWidget*>(ImageAppLogo), static_cast<QWidget*>(sLabelSoftwareName),
                          static_cast<QWidget*>(sLabel1), static_cast<QWidget*>(sLabel2)})
        link->installEventFilter(this);
}

void TAboutDialog::SetTexts(const QString& name, const QString& version, const QString& webLine) {
    name_ = name;
    version_ = version;
    webLine_ = webLine;
}

void TAboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A platform without window activation (offscreen) still gets the texts when shown.
    FormActivate();
}

void TAboutDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TAboutDialog::eventFilter(QObject* watched, QEvent* event) {
    // The press is taken too, so the release comes back to the same control.
    if (event->type() == QEvent::MouseButtonPress)
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {
            GoToWebClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutDialog::FormActivate() {
    setWindowTitle(QStringLiteral("About ") + name_);
    sLabelSoftwareName->setText(name_ + QStringLiteral(" ") + version_);
    sLabelSoftwareName->adjustSize();
    sLabel2->setText(webLine_);
    sLabel2->adjustSize();
    sBitBtnOK->setFocus();
}

void TAboutDialog::GoToWebClick() {
    aboutResult_ = QString::fromLatin1(kAboutGoToWeb);
    close();
}

void TAboutDialog::sBitBtnOKClick() {
    close();
}

} // namespace tessoly
