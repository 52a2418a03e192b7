// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/stored_values.h"

#include "core/number_text.h"

#include <QLocale>
#include <cmath>
#include <limits>
#include <optional>

namespace solvane {

namespace {

bool IsNumeric(ColumnType type) {
    return type != ColumnType::Text;
}

// The number a stored numeric cell holds, or none when it holds no usable one.
std::optional<double> StoredNumber(const ColumnDef& column, const QVariant& stored) {
    double number = 0;
    switch (stored.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        number = static_cast<double>(stored.toLongLong());
        break;
    case QMetaType::Double:
        number = stored.toDouble();
        break;
    case QMetaType::QString: {
        const QString text = stored.toString().trimmed();
        if (column.type == ColumnType::Boolean) {
            if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
                return 1.0;
            if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
                return 0.0;
        }
        if (!TryParseFloat(text, number, QLocale::c()))
            return std::nullopt;
        break;
    }
    default: // a BLOB
        return std::nullopt;
    }
    if (!std::isfinite(number))
        return std::nullopt;
    if (column.type == ColumnType::Integer || column.type == ColumnType::AutoIncrement) {
        if (number != std::trunc(number) || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            return std::nullopt;
    }
    if (column.limits && !column.limits->accepts(number))
        return std::nullopt;
    return number;
}

// The number as the column keeps it: an integer column an integer.
QVariant AsColumnValue(const ColumnDef& column, const QVariant& stored, double number) {
    if (stored.typeId() == QMetaType::Double || stored.typeId() == QMetaType::LongLong)
        return stored;
    if (column.type == ColumnType::Double)
        return number;
    return static_cast<qlonglong>(number);
}

} // namespace

std::vector<bool> ReadStoredRow(const std::vector<const ColumnDef*>& columns, std::vector<QVariant>& values) {
    std::vector<bool> unreadable(columns.size(), false);
    const auto readAsEmpty = [&](size_t i) {
        unreadable[i] = true;
        values[i] = columns[i]->defaultValue;
    };
    for (size_t i = 0; i < columns.size(); ++i) {
        const ColumnDef* column = columns[i];
        QVariant& value = values[i];
        if (!column || !IsNumeric(column->type) || value.isNull())
            continue;
        const std::optional<double> number = StoredNumber(*column, value);
        if (number)
            value = AsColumnValue(*column, value, *number);
        else
            readAsEmpty(i);
    }
    // A minimum above its maximum: the minimum is what the window would have refused.
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i] || columns[i]->notAbove.isEmpty() || values[i].isNull())
            continue;
        for (size_t j = 0; j < columns.size(); ++j)
            if (columns[j] && columns[j]->name.compare(columns[i]->notAbove, Qt::CaseInsensitive) == 0 &&
                !values[j].isNull() && values[i].toDouble() > values[j].toDouble())
                readAsEmpty(i);
    }
    return unreadable;
}

QString UnreadableCellText(const UnreadableCell& cell) {
    QString value;
    switch (cell.stored.typeId()) {
    case QMetaType::QString:
        value = QStringLiteral("«%1»").arg(cell.stored.toString().left(40));
        break;
    case QMetaType::QByteArray:
        value = QStringLiteral("двоичные данные (байт: %1)").arg(cell.stored.toByteArray().size());
        break;
    case QMetaType::Double:
        value = FormatNumber(cell.stored.toDouble());
        break;
    default:
        value = cell.stored.toString();
    }
    return QStringLiteral("%1.%2, %3 = %4: %5").arg(cell.table, cell.column, cell.keyColumn).arg(cell.key).arg(value);
}

} // namespace solvane
