#include "controls/number_spin_box.h"

#include "store/number_text.h"

#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <limits>

namespace solvane {

namespace {

// Text that is not a number yet but may become one as the user types on.
bool mayBecomeNumber(const QString& text) {
    const QString sep = QLocale().decimalPoint();
    for (const QChar c : text)
        if (!c.isDigit() && c != QLatin1Char('-') && c != QLatin1Char('+') && c != QLatin1Char('e') &&
            c != QLatin1Char('E') && !sep.contains(c))
            return false;
    return true;
}

} // namespace

NumberSpinBox::NumberSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    // Values are kept as stored; FormatNumber decides how many digits show.
    setDecimals(15);
    setLimits(0, 0);
    setAccelerated(true);
    // The value is only what was accepted; typing goes through textEdited.
    setKeyboardTracking(false);
    number_ = value();
    connect(lineEdit(), &QLineEdit::textChanged, this, &NumberSpinBox::textEdited);
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
    if (minimum == 0 && maximum == 0)
        setRange(std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max());
    else
        setRange(minimum, maximum);
}

void NumberSpinBox::setMaxLength(int maxLength) {
    lineEdit()->setMaxLength(maxLength > 0 ? maxLength : 32767);
}

void NumberSpinBox::textEdited(const QString& text) {
    const QString t = text.trimmed();
    QVariant next;
    if (!t.isEmpty()) {
        double v = 0;
        if (!TryParseFloat(t, v) || v < minimum() || v > maximum())
            return; // not a number yet, or refused: the number stays
        next = v;
    }
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
    if (!text.trimmed().isEmpty() && TryParseFloat(text.trimmed(), v))
        return v;
    return value();
}

QValidator::State NumberSpinBox::validate(QString& text, int&) const {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QValidator::Acceptable;
    double v = 0;
    if (TryParseFloat(t, v))
        return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    return mayBecomeNumber(t) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumberSpinBox::fixup(QString&) const {
    // Unacceptable text is refused: the box goes back to its last value.
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
