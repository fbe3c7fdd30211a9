#include "app/HintWrap.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace tessoly {

QString WrapHint(const QString& hint, const QFont& font, int maxWidth) {
    if (hint.isEmpty())
        return hint;
    const QString rich =
        Qt::mightBeRichText(hint) ? hint : Qt::convertFromPlainText(hint, Qt::WhiteSpaceNormal);
    QTextDocument document;
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(rich);
    if (document.idealWidth() <= maxWidth)
        return hint;
    return QStringLiteral("<table width=\"%1\" cellspacing=\"0\" cellpadding=\"0\"><tr><td>").arg(maxWidth) +
           rich + QStringLiteral("</td></tr></table>");
}

namespace {

class HintWrapper : public QObject {
public:
    explicit HintWrapper(QWidget* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != window_ && !window_->isAncestorOf(widget))
            return false;
        const QString hint = widget->toolTip();
        if (hint.isEmpty())
            return false;
        const QString wrapped = WrapHint(hint, QToolTip::font());
        if (wrapped == hint)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), wrapped, widget, QRect(), widget->toolTipDuration());
        return true;
    }

private:
    QWidget* window_;
};

} // namespace

void InstallHintWrapping(QWidget* window) {
    qApp->installEventFilter(new HintWrapper(window));
}

} // namespace tessoly
