#include "app/SpinEdit.h"

#include <algorithm>
#include <climits>

#include <QLineEdit>

namespace tessoly {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { Q_EMIT Changed(); });
}

void TSpinEdit::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

int TSpinEdit::Value() const {
    const QString text = lineEdit()->text().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : minimum_;
}

int TSpinEdit::Clamp(int value) const {
    if (!HasLimits())
        return value;
    if (value < minimum_)
        return minimum_;
    if (maximum_ != 0 && value > maximum_)
        return maximum_;
    return value;
}

void TSpinEdit::SetValue(int value) {
    SetText(QString::number(Clamp(value)));
}

QString TSpinEdit::Text() const {
    return lineEdit()->text();
}

void TSpinEdit::SetText(const QString& text) {
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void TSpinEdit::stepBy(int steps) {
    // Stepping from a huge typed value must not overflow.
    const long long next = static_cast<long long>(Value()) + steps;
    const long long bounded = std::clamp<long long>(next, INT_MIN, INT_MAX);
    SetValue(static_cast<int>(bounded));
    selectAll();
}

QValidator::State TSpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly() || !HasLimits())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    const int value = Value();
    if (maximum_ == 0 || value < maximum_)
        enabled |= StepUpEnabled;
    if (value > minimum_)
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    const QString text = lineEdit()->text();
    if (text == QLatin1String("-") || text == QLatin1String("-0"))
        SetText(QStringLiteral("0"));
    else if (HasLimits() && Clamp(Value()) != Value())
        SetValue(Value());
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace tessoly
