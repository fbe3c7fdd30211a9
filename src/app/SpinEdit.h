#pragma once
// TSpinEdit: an integer spin field that accepts any typed text. Its value is read from the text
// (empty gives 0, anything that is not a decimal integer gives the minimum); the range is applied
// when the arrows or code set a value and when the field loses the focus. Minimum and maximum
// both 0 mean no limits; a maximum of 0 alone means no upper limit.

#include <QAbstractSpinBox>

namespace tessoly {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    //! The value the text stands for, unclamped: a typed 500 reads 500.
    int Value() const;
    //! Sets the text to value, limited to the range.
    void SetValue(int value);
    QString Text() const;
    //! Sets the text as it is, without parsing or limits (the twin fields copy text).
    void SetText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

Q_SIGNALS:
    //! Every change of the text: typing, arrows or code.
    void Changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool HasLimits() const { return minimum_ != 0 || maximum_ != 0; }
    int Clamp(int value) const;

    int minimum_ = 0;
    int maximum_ = 0;
};

} // namespace tessoly
