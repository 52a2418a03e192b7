#include "store/number_text.h"

#include "store/error.h"

#include <QLocale>
#include <QVariant>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace solvane {

QString FormatNumber(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits: d.dddddddddddddde±x
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const char* p = buf;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    QString digits;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += QLatin1Char(*p);
    int exponent = std::atoi(p + 1);
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
    return negative ? QStringLiteral("-") + text : text;
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

bool TryParseFloat(const QString& text, double& value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QChar sep = QLocale().decimalPoint().at(0);
    // Accept only digits, one decimal separator (the locale's), a sign and an exponent.
    QByteArray ascii;
    bool seenSep = false, seenExp = false, seenDigit = false;
    for (int i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            ascii += char(c.unicode());
            seenDigit = true;
        } else if (c == sep && !seenSep && !seenExp) {
            ascii += '.';
            seenSep = true;
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && seenDigit && !seenExp) {
            ascii += 'e';
            seenExp = true;
            seenDigit = false;
        } else if ((c == QLatin1Char('+') || c == QLatin1Char('-')) && (i == 0 || ascii.endsWith('e'))) {
            ascii += char(c.unicode());
        } else {
            return false;
        }
    }
    if (!seenDigit)
        return false;
    char* end = nullptr;
    const double v = std::strtod(ascii.constData(), &end);
    if (end != ascii.constData() + ascii.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
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
    return ParseOrThrow(text, &TryParseFloat, "floating point");
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
        if (c.unicode() < '0' || c.unicode() > '9')
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
    return ParseOrThrow(text, &TryParseInteger, "integer");
}

} // namespace solvane
