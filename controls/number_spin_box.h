// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/number_text.h"

#include <QDoubleSpinBox>
#include <QVariant>
#include <functional>

namespace solvane {

// A decimal spin box that can also be empty (an empty field), shows its
// value the way the program writes numbers (FormatNumber) and reads typed
// text as the program reads every number (TryParseFloat). Only keystrokes
// that leave the start of a number are taken. The number follows the text as
// it is typed while the text is a number within the limits; a text outside
// them is never taken: when the edit is committed (Enter, leaving the box)
// the box goes back to its last accepted value and onRefused is told why, so
// that its owner can say so once, after the edit.
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
    void setLimits(const NumberLimits& limits);
    const NumberLimits& limits() const { return limits_; }
    // Whether an emptied box is a value (an empty field); true by default.
    void setEmptyAllowed(bool allowed) { emptyAllowed_ = allowed; }
    // 0: no limit on the typed text.
    void setMaxLength(int maxLength);
    // The text as typed, for tests and owners that check it themselves.
    QString typedText() const;

    // Told, with the refusal's text, when a committed text was not taken.
    std::function<void(const QString& refusal)> onRefused;

signals:
    // The value changed or the box became empty or non-empty, by typing,
    // stepping or setNumber.
    void numberChanged();
    // The user changed the text (a keystroke, a paste), whether or not it is
    // a number yet.
    void typed();

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
    bool acceptable(const QString& text, double* value) const;
    NumberLimits effectiveLimits() const;
    bool empty_ = false;
    bool emptyAllowed_ = true;
    NumberLimits limits_;
    QVariant number_;
};

} // namespace solvane
