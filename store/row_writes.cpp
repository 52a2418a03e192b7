// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/row_writes.h"

#include "core/error.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/table_gateway.h"

#include <QStringList>

namespace solvane {

namespace {

const TableDef& Table(const QString& table) {
    const TableDef* def = FindTable(table);
    if (!def)
        throw Error(QStringLiteral("нет таблицы «%1»").arg(table));
    return *def;
}

// The condition that names one row by its key.
QString KeyCondition(const TableDef& def) {
    const QString key = def.keyColumn();
    return key.isEmpty() ? QStringLiteral("rowid = ?") : QStringLiteral("\"%1\" = ?").arg(key);
}

// The open data sets on the table.
std::vector<DataSet*> SetsOn(Connection& connection, const TableDef& def) {
    std::vector<DataSet*> sets;
    for (DataSet* set : connection.dataSets())
        if (set->isActive() && set->tableName().compare(def.name, Qt::CaseInsensitive) == 0)
            sets.push_back(set);
    return sets;
}

// Runs the writes, then tells the sets' controls once; also when a write
// stopped half-way, and then the write's error is the one that goes on.
template <typename Writes> void WritingTo(const std::vector<DataSet*>& sets, Writes writes) {
    try {
        writes();
    } catch (...) {
        for (DataSet* set : sets) {
            try {
                set->rowsWritten();
            } catch (...) {
                // The write's own error is the one reported.
            }
        }
        throw;
    }
    for (DataSet* set : sets)
        set->rowsWritten();
}

// Refuses, before anything is written, a value its column cannot hold, as an
// edit of the column would.
void CheckFits(const ColumnDef& column, const QVariant& value) {
    const QString refusal = ValueRefusal(column.name, column.type, column.size, value);
    if (!refusal.isEmpty())
        throw Error(refusal);
}

void UpdateRow(Connection& connection, const TableDef& def, const std::vector<DataSet*>& sets, const RowUpdate& row) {
    if (row.values.empty())
        return;
    bool computedOnly = true;
    QStringList assignments;
    std::vector<QVariant> params;
    for (const auto& [name, value] : row.values) {
        const ColumnDef* column = def.column(name);
        if (!column)
            throw Error(QStringLiteral("%1: Field '%2' not found").arg(def.name, name));
        CheckFits(*column, value);
        computedOnly = computedOnly && column->computed;
        assignments << QStringLiteral("\"%1\" = ?").arg(column->name);
        params.push_back(value);
    }
    // What the program computes stays in memory on a base that cannot be written.
    const bool inMemoryOnly = computedOnly && !connection.writable();
    if (!inMemoryOnly) {
        params.push_back(row.key);
        const QString sql = QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3")
                                .arg(def.name, assignments.join(QStringLiteral(", ")), KeyCondition(def));
        if (connection.write(sql, params) == 0)
            throw Error(RowChangedText());
    }
    for (DataSet* set : sets)
        set->rowUpdated(row.key, row.values, inMemoryOnly);
}

} // namespace

void UpdateRows(Connection& connection, const QString& table, const std::vector<RowUpdate>& rows) {
    if (rows.empty())
        return;
    const TableDef& def = Table(table);
    const std::vector<DataSet*> sets = SetsOn(connection, def);
    WritingTo(sets, [&] {
        for (const RowUpdate& row : rows)
            UpdateRow(connection, def, sets, row);
    });
}

long long InsertRow(Connection& connection, const QString& table, const RowValues& values) {
    const TableDef& def = Table(table);
    QStringList columns, marks;
    std::vector<QVariant> params;
    RowValues written;
    for (const ColumnDef& column : def.columns) {
        if (column.type == ColumnType::AutoIncrement)
            continue;
        QVariant value = column.defaultValue;
        for (const auto& [name, given] : values)
            if (name.compare(column.name, Qt::CaseInsensitive) == 0)
                value = given;
        CheckFits(column, value);
        columns << QStringLiteral("\"%1\"").arg(column.name);
        marks << QStringLiteral("?");
        params.push_back(value);
        written.emplace_back(column.name, value);
    }
    connection.write(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                         .arg(def.name, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                     params);
    const long long key = connection.lastInsertId();
    if (!def.keyColumn().isEmpty())
        written.emplace_back(def.keyColumn(), key);
    const std::vector<DataSet*> sets = SetsOn(connection, def);
    WritingTo(sets, [&] {
        for (DataSet* set : sets)
            set->rowInserted(key, written);
    });
    return key;
}

void DeleteRows(Connection& connection, const QString& table, const std::vector<long long>& keys) {
    if (keys.empty())
        return;
    const TableDef& def = Table(table);
    const std::vector<DataSet*> sets = SetsOn(connection, def);
    const QString sql = QStringLiteral("DELETE FROM \"%1\" WHERE %2").arg(def.name, KeyCondition(def));
    WritingTo(sets, [&] {
        for (const long long key : keys) {
            if (connection.write(sql, {key}) == 0)
                throw Error(RowChangedText());
            for (DataSet* set : sets)
                set->rowDeleted(key);
        }
    });
}

} // namespace solvane
