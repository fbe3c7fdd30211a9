#pragma once
// Fitting a long path into a label: the first 12 characters, "... " and the longest tail of the
// path that fits, measured with the label's own font.

class QLabel;
class QString;

namespace tessoly {

//! The width [pixels] the label needs for text in its font.
int LabelTextWidth(const QLabel* label, const QString& text);
//! Shortens the label's text to fit availableWidth [pixels]; a text that fits is left alone. When
//! not even the head and "... " fit, those 16 characters remain. The label is sized to its text.
void ShortenStatusPath(QLabel* label, int availableWidth);

} // namespace tessoly
