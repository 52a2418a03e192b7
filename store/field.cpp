// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/field.h"

#include "store/dataset.h"
#include "core/error.h"
#include "core/number_text.h"

#include <cmath>

namespace solvane {

QVariant Field::value() const {
    return owner_->fieldValue(this);
}

bool Field::readAsEmpty() const {
    return owner_->fieldReadAsEmpty(this);
}

double Field::asFloat() const {
    const QVariant v = value();
    return v.isNull() ? 0.0 : v.toDouble();
}

long long Field::asLargeInt() const {
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return std::llround(v.toDouble());
    return v.toLongLong();
}

int Field::asInteger() const {
    return static_cast<int>(asLargeInt());
}

bool Field::asBoolean() const {
    const QVariant v = value();
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    return v.toDouble() != 0.0;
}

QString Field::asString() const {
    return ValueText(value());
}

void Field::setValue(const QVariant& value) {
    owner_->setFieldValue(this, value);
}

QVariant Field::coerce(const QVariant& v) const {
    return CoerceToColumn(type_, v);
}

QVariant CoerceToColumn(ColumnType type, const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return QVariant();
    const bool isText = v.typeId() == QMetaType::QString;
    switch (type) {
    case ColumnType::Boolean:
        if (isText) {
            const QString t = v.toString().trimmed();
            if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
                return true;
            if (t.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
                return false;
            return ParseInteger(t) != 0;
        }
        return v.typeId() == QMetaType::Bool ? v.toBool() : v.toDouble() != 0.0;
    case ColumnType::AutoIncrement:
    case ColumnType::Integer:
        if (isText)
            return static_cast<qlonglong>(ParseInteger(v.toString()));
        if (v.typeId() == QMetaType::Double) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
                throw Error(QStringLiteral("'%1' is not a valid integer value").arg(FormatNumber(d)));
            return static_cast<qlonglong>(std::llround(d));
        }
        return static_cast<qlonglong>(v.toLongLong());
    case ColumnType::Double:
        if (isText)
            return ParseFloat(v.toString());
        return v.toDouble();
    case ColumnType::Text:
        if (v.typeId() == QMetaType::Double)
            return FormatNumber(v.toDouble());
        return v.toString();
    }
    return v;
}

} // namespace solvane
