#pragma once
// Hints (tool tips) of the window wrap at 240 pixels: a longer hint is shown as rich text in a
// box of that width, so "<br>" and "<b>" markup keeps working and plain text breaks at blanks.

#include <QString>

class QFont;
class QWidget;

namespace tessoly {

//! Width [pixels] at which hints wrap.
inline constexpr int kHintWrapWidth = 240;

//! The hint as shown: unchanged when it fits in maxWidth [pixels] in font, otherwise rich text
//! laid out in a box maxWidth wide.
QString WrapHint(const QString& hint, const QFont& font, int maxWidth = kHintWrapWidth);
//! Shows the hints of window and its children wrapped by WrapHint.
void InstallHintWrapping(QWidget* window);

} // namespace tessoly
