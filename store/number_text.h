#pragma once

#include <QString>

class QVariant;

namespace solvane {

// The text of a number as the user sees it: the shortest form with up to 15
// significant digits and the locale's decimal separator, in fixed notation when
// the magnitude is at least 0.00001 and has at most 15 integer digits, otherwise
// in scientific notation ("1,5E-6", "1E20": no plus sign, no leading zeros).
QString FormatNumber(double value);

// A decimal integer as text, e.g. for counts.
QString FormatInteger(long long value);

// A stored value as the user sees it in a grid, a list or a label: numbers
// as above, a truth value as "True" or "False", text as it is, empty as "".
QString ValueText(const QVariant& value);

// Reads text typed by the user as a number with the locale's decimal separator.
// Throws Error("'<text>' is not a valid floating point value").
double ParseFloat(const QString& text);

// Reads a decimal integer (an optional sign, then digits; leading blanks allowed).
// Throws Error("'<text>' is not a valid integer value").
int ParseInteger(const QString& text);

// As above, but returns false instead of throwing.
bool TryParseFloat(const QString& text, double& value);
bool TryParseInteger(const QString& text, int& value);

} // namespace solvane
