// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace solvane {

class Connection;
class DataSet;

// The rows of one table as the program reads them, whoever reads them: each
// row's key (the key column's value, or the rowid of a table without one)
// and the values of the columns, each as its field holds it (a cell that is
// not what its column holds reads as empty, see ReadStoredRow).
class TableRows {
public:
    struct Row {
        long long key = 0;
        std::vector<QVariant> values; // one per column, in the columns' order
        // The columns whose stored value reads as empty (see
        // Field::readAsEmpty); empty when none does.
        std::vector<bool> unreadable;
    };

    TableRows() = default;
    TableRows(std::vector<QString> columns, std::vector<Row> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}

    const std::vector<Row>& rows() const { return rows_; }
    // The position of a column in the rows' values (case-insensitive); -1
    // when there is none.
    int column(const QString& name) const;
    // A row's value in a column given by its position; empty for -1.
    static QVariant value(const Row& row, int column) {
        return column >= 0 && static_cast<size_t>(column) < row.values.size() ? row.values[static_cast<size_t>(column)]
                                                                              : QVariant();
    }
    static bool readAsEmpty(const Row& row, int column) {
        return column >= 0 && static_cast<size_t>(column) < row.unreadable.size() &&
               row.unreadable[static_cast<size_t>(column)];
    }

private:
    std::vector<QString> columns_;
    std::vector<Row> rows_;
};

// Every row of the table in the file, in its order, read as a data set reads
// it: the columns the schema describes. Nothing is written.
TableRows ReadTableRows(Connection& connection, const QString& table);

} // namespace solvane
