// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace solvane {

class Connection;

// What a write says when the row it names is no longer as it was read (or no
// longer there).
QString RowChangedText();

// The SQL of one data set: reads the rows of a table (or of one query on it)
// and writes one row at a time, named by its key. An update or a delete only
// touches the row while it still holds what was read, and fails otherwise
// ("Row cannot be located for updating. ..."): another program, or another
// set, changed or removed it meanwhile. Values always travel as parameters.
class TableGateway {
public:
    // A column an update writes.
    struct Change {
        int column;      // index among the declared columns
        QVariant value;  // the value written
        QVariant stored; // what the store held when the row was read
    };

    // owner: the name that errors about the columns are prefixed with.
    explicit TableGateway(QString owner) : owner_(std::move(owner)) {}

    // --- declaration ---
    // The table written and its key column (empty: the table's rowid names a row).
    void setTable(const QString& table, const QString& keyColumn);
    // A SELECT on the table, read instead of the whole table.
    void setQuery(const QString& sql) { query_ = sql; }
    // Declares the next column; generated: the store assigns its values
    // (auto-increment), so an insert leaves it out and a delete does not check it.
    void addColumn(const QString& name, bool generated);

    const QString& table() const { return table_; }
    // Index of the key column among the declared columns, -1 when the rowid names a row.
    int keyIndex() const { return keyIndex_; }

    // --- reading and writing ---
    // Reads every row: row(stored, rowid) receives the declared columns'
    // values as the store holds them and, when a row is named by its rowid,
    // that rowid (0 otherwise). Throws Error when a column is not in the result.
    void select(Connection& connection,
                const std::function<void(std::vector<QVariant>& stored, long long rowid)>& row) const;
    // Inserts a row of these values (one per declared column) and returns its generated key.
    long long insert(Connection& connection, const std::vector<QVariant>& values) const;
    // Writes the changed columns of the row named by rowid.
    void update(Connection& connection, long long rowid, const std::vector<Change>& changes) const;
    // Deletes the row named by rowid; stored: its values as read, one per declared column.
    void remove(Connection& connection, long long rowid, const std::vector<QVariant>& stored) const;

private:
    struct Column {
        QString name;
        bool generated;
    };
    QString selectSql() const;
    // The WHERE condition naming one row by its key.
    QString rowCondition() const;

    QString owner_;
    QString table_;
    QString keyColumn_; // empty: the table's rowid names a row
    QString query_;
    std::vector<Column> columns_;
    int keyIndex_ = -1;
};

} // namespace solvane
