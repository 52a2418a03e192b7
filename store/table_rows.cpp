// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/table_rows.h"

#include "core/error.h"
#include "store/connection.h"
#include "store/field.h"
#include "store/schema.h"
#include "store/stored_values.h"

#include <QStringList>

namespace solvane {

int TableRows::column(const QString& name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TableRows ReadTableRows(Connection& connection, const QString& table) {
    const TableDef* def = FindTable(table);
    if (!def)
        throw Error(QStringLiteral("нет таблицы «%1»").arg(table));
    std::vector<QString> names;
    std::vector<const ColumnDef*> columns;
    QStringList selected;
    for (const ColumnDef& c : def->columns) {
        names.push_back(c.name);
        columns.push_back(&c);
        selected << QStringLiteral("\"%1\"").arg(c.name);
    }
    // A table without a key column names its rows by their rowid.
    const QString key = def->keyColumn();
    int keySlot = -1;
    for (size_t i = 0; i < columns.size(); ++i)
        if (!key.isEmpty() && columns[i]->name == key)
            keySlot = static_cast<int>(i);
    if (keySlot < 0)
        selected << QStringLiteral("rowid");
    const auto statement = connection.read(
        QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(selected.join(QStringLiteral(", ")), def->name));
    std::vector<TableRows::Row> rows;
    while (statement->step()) {
        TableRows::Row row;
        row.values.resize(columns.size());
        for (size_t i = 0; i < columns.size(); ++i)
            row.values[i] = statement->column(static_cast<int>(i));
        const long long rowid = keySlot < 0 ? statement->column(static_cast<int>(columns.size())).toLongLong() : 0;
        row.unreadable = ReadStoredRow(columns, row.values);
        for (size_t i = 0; i < columns.size(); ++i)
            row.values[i] = CoerceToColumn(columns[i]->type, row.values[i]);
        row.key = keySlot >= 0 ? row.values[static_cast<size_t>(keySlot)].toLongLong() : rowid;
        rows.push_back(std::move(row));
    }
    return TableRows(std::move(names), std::move(rows));
}

} // namespace solvane
