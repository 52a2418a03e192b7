#pragma once

#include <QDoubleSpinBox>
#include <QVariant>

namespace solvane {

// A decimal spin box that can also be empty (an empty field), shows its
// value the way the program writes numbers (FormatNumber) and reads typed
// text with the locale's decimal separator. The number follows the text as
// it is typed; a typed value outside the range is not acceptable input:
// it never becomes the number, and the box goes back to its last accepted
// value when the text is taken (Enter, leaving the box).
class NumberSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit NumberSpinBox(QWidget* parent = nullptr);

    bool isEmpty() const { return empty_; }
    // The number the box shows (the last acceptable text), null when empty.
    QVariant number() const { return number_; }
    // Shows a value; null (or anything that is not a number) empties the box.
    void setNumber(const QVariant& value);
    // Both 0: no limits.
    void setLimits(double minimum, double maximum);
    // 0: no limit on the typed text.
    void setMaxLength(int maxLength);

signals:
    // The value changed or the box became empty or non-empty, by typing,
    // stepping or setNumber.
    void numberChanged();

protected:
    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;

private:
    // Takes the number from the text when it changed to another acceptable one.
    void textEdited(const QString& text);
    bool empty_ = false;
    QVariant number_;
};

} // namespace solvane
