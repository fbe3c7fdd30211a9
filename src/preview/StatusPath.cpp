#include "preview/StatusPath.h"

#include <QFontMetrics>
#include <QLabel>

namespace tessoly {

int LabelTextWidth(const QLabel* label, const QString& text) {
    const int frame = 2 * label->frameWidth() + 2 * label->margin() + label->contentsMargins().left() +
                      label->contentsMargins().right();
    return QFontMetrics(label->font()).horizontalAdvance(text) + frame;
}

void ShortenStatusPath(QLabel* label, int availableWidth) {
    const QString path = label->text();
    if (LabelTextWidth(label, path) > availableWidth) {
        const QString head = path.left(12) + QStringLiteral("... ");
        const qsizetype length = path.size();
        QString shortened = head;
        // Drop one leading character of the tail at a time until the text fits or the tail is gone.
        for (qsizetype k = 1; k <= length; ++k) {
            shortened = head + path.right(length - k);
            if (LabelTextWidth(label, shortened) <= availableWidth)
                break;
        }
        label->setText(shortened);
    }
    label->resize(LabelTextWidth(label, label->text()), label->height());
}

} // namespace tessoly
