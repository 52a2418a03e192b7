// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/number_text.h"

#include "core/error.h"
#include "core/rounding.h"

#include <QLocale>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace solvane {

QString FormatNumber(double value, int significantDigits) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");

    // d.ddd…e±x with the digits asked for, rounded to nearest.
    const int precision = std::clamp(significantDigits, 1, 17) - 1;
    char buf[48];
    const std::to_chars_result written =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, precision);
    const std::string scientific(buf, written.ptr);
    const std::size_t e = scientific.find('e');
    QString digits;
    for (std::size_t i = 0; i < e; ++i)
        if (scientific[i] != '.')
            digits += QLatin1Char(scientific[i]);
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1), scientific.data() + scientific.size(),
                    exponent);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    const QString sep = QLocale().decimalPoint();
    QString text;
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text = QStringLiteral("0") + sep + QString(-exponent - 1, QLatin1Char('0')) + digits;
        } else if (digits.size() <= exponent + 1) {
            text = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
        } else {
            text = digits.left(exponent + 1) + sep + digits.mid(exponent + 1);
        }
    } else {
        text = digits.left(1);
        if (digits.size() > 1)
            text += sep + digits.mid(1);
        text += QStringLiteral("E") + QString::number(exponent);
    }
    return value < 0 ? QStringLiteral("-") + text : text;
}

QString FormatDecimals(double value, int decimals) {
    const double rounded = RoundToDecimalsSymmetric(value, decimals);
    QString text = FormatNumber(rounded == 0 ? 0.0 : rounded);
    if (decimals <= 0 || !std::isfinite(rounded) || text.contains(QLatin1Char('E')))
        return text;
    const QString sep = QLocale().decimalPoint();
    int point = text.indexOf(sep);
    if (point < 0) {
        point = text.size();
        text += sep;
    }
    const int shown = text.size() - point - sep.size();
    return shown < decimals ? text + QString(decimals - shown, QLatin1Char('0')) : text;
}

QString FormatInteger(long long value) {
    return QString::number(value);
}

QString ValueText(const QVariant& value) {
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return FormatNumber(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return FormatInteger(value.toLongLong());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

namespace {

bool IsSpaceLike(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

// What separates the parts of a number under a locale.
struct Separators {
    QChar decimal;
    bool dotIsDecimal = false;
    QChar group;
    bool groupIsSpace = false;

    explicit Separators(const QLocale& locale) {
        const QString d = locale.decimalPoint();
        const QString g = locale.groupSeparator();
        decimal = d.isEmpty() ? QLatin1Char('.') : d.at(0);
        group = g.isEmpty() ? QChar() : g.at(0);
        groupIsSpace = !group.isNull() && IsSpaceLike(group);
        dotIsDecimal = group != QLatin1Char('.');
    }
    bool isDecimal(QChar c) const { return c == decimal || (dotIsDecimal && c == QLatin1Char('.')); }
    bool isGroup(QChar c) const {
        if (groupIsSpace)
            return IsSpaceLike(c);
        return !group.isNull() && c == group && !isDecimal(c);
    }
};

bool IsAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The text as "[-]digits[.digits][e[-]digits]" for from_chars, or empty when
// it is not a number under the separators.
std::string Normalised(const QString& text, const Separators& sep) {
    const QString t = text.trimmed();
    std::string out;
    int i = 0;
    const int n = static_cast<int>(t.size());
    if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-') || t.at(i) == QChar(0x2212))) {
        if (t.at(i) != QLatin1Char('+'))
            out += '-';
        ++i;
    }
    // The integer part, with its groups of three.
    int digits = 0;
    int run = 0;
    bool grouped = false;
    bool firstRun = true;
    for (; i < n; ++i) {
        const QChar c = t.at(i);
        if (IsAsciiDigit(c)) {
            out += static_cast<char>(c.unicode());
            ++digits;
            ++run;
        } else if (sep.isGroup(c)) {
            if (run == 0 || (firstRun && run > 3) || (!firstRun && run != 3))
                return {};
            grouped = true;
            firstRun = false;
            run = 0;
        } else {
            break;
        }
    }
    if (grouped && run != 3)
        return {};
    // The fraction; "1," and ",5" are written "1" and "0.5".
    if (i < n && sep.isDecimal(t.at(i))) {
        std::string fraction;
        for (++i; i < n && IsAsciiDigit(t.at(i)); ++i)
            fraction += static_cast<char>(t.at(i).unicode());
        if (!fraction.empty()) {
            if (digits == 0)
                out += '0';
            out += '.' + fraction;
            digits += static_cast<int>(fraction.size());
        }
    }
    if (digits == 0)
        return {};
    // The exponent.
    if (i < n && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        out += 'e';
        ++i;
        if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
            if (t.at(i) == QLatin1Char('-'))
                out += '-';
            ++i;
        }
        int exponentDigits = 0;
        for (; i < n && IsAsciiDigit(t.at(i)); ++i, ++exponentDigits)
            out += static_cast<char>(t.at(i).unicode());
        if (exponentDigits == 0)
            return {};
    }
    if (i != n)
        return {};
    return out;
}

} // namespace

bool TryParseFloat(const QString& text, double& value, const QLocale& locale) {
    const std::string normal = Normalised(text, Separators(locale));
    if (normal.empty())
        return false;
    double v = 0;
    const char* const end = normal.data() + normal.size();
    const std::from_chars_result read = std::from_chars(normal.data(), end, v);
    if (read.ec != std::errc() || read.ptr != end || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool TryParseFloat(const QString& text, double& value) {
    return TryParseFloat(text, value, QLocale());
}

bool MayBecomeNumber(const QString& text) {
    double v = 0;
    if (text.trimmed().isEmpty() || TryParseFloat(text, v))
        return true;
    // A digit or a group of them completes every number in the making.
    for (const char* more : {"0", "00", "000"})
        if (TryParseFloat(text + QLatin1String(more), v))
            return true;
    return false;
}

namespace {

// The number the text holds, read by tryParse; what names the kind of number
// in the error.
template <typename Number>
Number ParseOrThrow(const QString& text, bool (*tryParse)(const QString&, Number&), const char* what) {
    Number v = 0;
    if (!tryParse(text, v))
        throw Error(QStringLiteral("'%1' is not a valid %2 value").arg(text, QLatin1String(what)));
    return v;
}

} // namespace

double ParseFloat(const QString& text) {
    return ParseOrThrow<double>(text, &TryParseFloat, "floating point");
}

bool TryParseInteger(const QString& text, int& value) {
    int i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!IsAsciiDigit(c))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    value = static_cast<int>(v);
    return true;
}

int ParseInteger(const QString& text) {
    return ParseOrThrow<int>(text, &TryParseInteger, "integer");
}

bool NumberLimits::bounded() const {
    return minimum != std::numeric_limits<double>::lowest() || maximum != std::numeric_limits<double>::max();
}

bool NumberLimits::accepts(double value) const {
    return value >= minimum && value <= maximum && (!integer || value == std::trunc(value));
}

QString NumberLimits::refusal() const {
    QString text = integer ? QStringLiteral("Допустимо целое число") : QStringLiteral("Допустимо");
    const bool hasMinimum = minimum != std::numeric_limits<double>::lowest();
    const bool hasMaximum = maximum != std::numeric_limits<double>::max();
    if (hasMinimum && hasMaximum)
        text += QStringLiteral(" от %1 до %2").arg(FormatNumber(minimum), FormatNumber(maximum));
    else if (hasMinimum)
        text += QStringLiteral(" не меньше %1").arg(FormatNumber(minimum));
    else if (hasMaximum)
        text += QStringLiteral(" не больше %1").arg(FormatNumber(maximum));
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text + QLatin1Char('.');
}

QString RefusalOf(const QString& text, const NumberLimits& limits, bool emptyAllowed) {
    if (text.trimmed().isEmpty())
        return emptyAllowed ? QString() : QStringLiteral("Введите число. ") + limits.refusal();
    double value = 0;
    if (!TryParseFloat(text, value))
        return QStringLiteral("«%1» — не число. ").arg(text.trimmed()) + limits.refusal();
    return limits.accepts(value) ? QString() : limits.refusal();
}

} // namespace solvane
