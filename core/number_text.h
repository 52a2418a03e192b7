// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <limits>

class QLocale;
class QVariant;

namespace solvane {

// The text of a number as the user sees it: the shortest form with up to 15
// significant digits (or fewer, when asked) and the locale's decimal
// separator, in fixed notation when the magnitude is at least 0.00001 and has
// at most 15 integer digits, otherwise in scientific notation ("1,5E-6",
// "1E20": no plus sign, no leading zeros). It never depends on the C
// library's locale.
QString FormatNumber(double value, int significantDigits = 15);

// A measured value to a fixed count of decimals, every one of them shown
// ("0,40", "2,13"), rounded half away from zero; otherwise as FormatNumber
// writes it.
QString FormatDecimals(double value, int decimals);

// A decimal integer as text, e.g. for counts.
QString FormatInteger(long long value);

// A stored value as the user sees it in a grid, a list or a label: numbers
// as above, a truth value as "True" or "False", text as it is, empty as "".
QString ValueText(const QVariant& value);

// Reads a number typed by the user, the one way every field and box reads
// one. The locale's decimal separator is a decimal point, and so is a dot
// wherever the locale's group separator is not a dot (under ru_RU a dot can
// only be meant as one, the group separator being a space). Group separators
// (the locale's; any of space, no-break space and narrow no-break space where
// the locale groups with a space) are allowed in the integer part when they
// split it into groups of three. A trailing decimal separator is allowed
// ("1," reads as 1 under ru_RU), as are an exponent ("1e3", "1E-3") and a
// sign. "nan", "inf", and numbers too large for a double are not numbers.
// The C library's locale plays no part.
bool TryParseFloat(const QString& text, double& value);
bool TryParseFloat(const QString& text, double& value, const QLocale& locale);

// Whether the text is a number as TryParseFloat reads it, or the start of
// one that more typing can complete ("-", "1e", "1 0", ","): what a numeric
// editor lets the user type.
bool MayBecomeNumber(const QString& text);

// As TryParseFloat; throws Error("'<text>' is not a valid floating point value").
double ParseFloat(const QString& text);

// Reads a decimal integer (an optional sign, then digits; leading blanks allowed).
// Throws Error("'<text>' is not a valid integer value").
int ParseInteger(const QString& text);
bool TryParseInteger(const QString& text, int& value);

// The values a numeric field accepts, and the unit its refusal names.
struct NumberLimits {
    double minimum = std::numeric_limits<double>::lowest();
    double maximum = std::numeric_limits<double>::max();
    QString unit;         // "мг/л", "г/л", "%", "л"; empty: none
    bool integer = false; // only whole numbers
    // Whether the limits were set (the default accepts every finite number).
    bool bounded() const;
    bool accepts(double value) const;
    // "Допустимо от 0 до 100000 мг/л." ("Допустимо целое число от 2 до 1000."
    // for whole numbers), the numbers written by FormatNumber.
    QString refusal() const;
};

// The refusal of a typed text: empty when the text is a number the limits
// accept (or empty and emptyAllowed); otherwise the box's text.
QString RefusalOf(const QString& text, const NumberLimits& limits, bool emptyAllowed);

} // namespace solvane
