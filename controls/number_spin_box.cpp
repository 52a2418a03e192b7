// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/number_spin_box.h"

#include <QLineEdit>
#include <algorithm>
#include <cmath>
#include <limits>

namespace solvane {

NumberSpinBox::NumberSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    // Values are kept as stored; FormatNumber decides how many digits show.
    setDecimals(15);
    setLimits(0, 0);
    setAccelerated(true);
    // The value is only what was accepted; typing goes through textEdited.
    setKeyboardTracking(false);
    number_ = value();
    connect(lineEdit(), &QLineEdit::textChanged, this, &NumberSpinBox::textEdited);
    connect(lineEdit(), &QLineEdit::textEdited, this, &NumberSpinBox::typed);
    // The spin box retypes its text with the line edit's signals blocked
    // (stepping, going back to the last value on Enter or on leaving).
    connect(this, &QDoubleSpinBox::valueChanged, this, [this] { textEdited(lineEdit()->text()); });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { textEdited(lineEdit()->text()); });
}

void NumberSpinBox::setNumber(const QVariant& value) {
    bool ok = false;
    const double v = value.isNull() ? 0 : value.toDouble(&ok);
    if (!ok) {
        empty_ = true;
        lineEdit()->setText(QString());
        return;
    }
    empty_ = false;
    setValue(v);
    // The same value as before leaves the text as it was; show it anyway.
    lineEdit()->setText(textFromValue(this->value()));
}

void NumberSpinBox::setLimits(double minimum, double maximum) {
    NumberLimits limits = limits_;
    if (minimum == 0 && maximum == 0) {
        limits.minimum = std::numeric_limits<double>::lowest();
        limits.maximum = std::numeric_limits<double>::max();
    } else {
        limits.minimum = minimum;
        limits.maximum = maximum;
    }
    setLimits(limits);
}

void NumberSpinBox::setLimits(const NumberLimits& limits) {
    limits_ = limits;
    setRange(limits.minimum, limits.maximum);
    if (limits.integer)
        setSingleStep(std::max(1.0, singleStep()));
}

void NumberSpinBox::setMaxLength(int maxLength) {
    lineEdit()->setMaxLength(maxLength > 0 ? maxLength : 32767);
}

QString NumberSpinBox::typedText() const {
    return lineEdit()->text();
}

NumberLimits NumberSpinBox::effectiveLimits() const {
    // The spin box's own range may have been set directly.
    NumberLimits limits = limits_;
    limits.minimum = minimum();
    limits.maximum = maximum();
    return limits;
}

bool NumberSpinBox::acceptable(const QString& text, double* value) const {
    if (text.trimmed().isEmpty())
        return emptyAllowed_;
    double v = 0;
    if (!TryParseFloat(text, v) || !effectiveLimits().accepts(v))
        return false;
    if (value)
        *value = v;
    return true;
}

void NumberSpinBox::textEdited(const QString& text) {
    double v = 0;
    if (!acceptable(text, &v))
        return; // not a number yet, or refused: the number stays
    const QVariant next = text.trimmed().isEmpty() ? QVariant() : QVariant(v);
    empty_ = next.isNull();
    if (next.isNull() == number_.isNull() && (next.isNull() || next.toDouble() == number_.toDouble()))
        return;
    number_ = next;
    emit numberChanged();
}

QString NumberSpinBox::textFromValue(double value) const {
    return empty_ ? QString() : FormatNumber(value);
}

double NumberSpinBox::valueFromText(const QString& text) const {
    double v = 0;
    if (!text.trimmed().isEmpty() && TryParseFloat(text, v))
        return v;
    return value();
}

QValidator::State NumberSpinBox::validate(QString& text, int&) const {
    if (acceptable(text, nullptr))
        return QValidator::Acceptable;
    return MayBecomeNumber(text) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumberSpinBox::fixup(QString& input) const {
    // Called when an edit is committed with a text that is not acceptable:
    // the box goes back to its last value, and its owner says why.
    const QString refusal = RefusalOf(input, effectiveLimits(), emptyAllowed_);
    if (!refusal.isEmpty() && onRefused)
        onRefused(refusal);
}

void NumberSpinBox::stepBy(int steps) {
    if (empty_) {
        setNumber(std::clamp(0.0, minimum(), maximum()));
        return;
    }
    QDoubleSpinBox::stepBy(steps);
}

QAbstractSpinBox::StepEnabled NumberSpinBox::stepEnabled() const {
    if (empty_)
        return StepUpEnabled | StepDownEnabled;
    return QDoubleSpinBox::stepEnabled();
}

} // namespace solvane
