// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes of whole rows named by their key, for the program's own
// calculations: the file first, in the running action's transaction, then
// every open data set on the table, which takes the row as written without
// its cursor being walked (the row a window shows is changed in place; a
// current row that is deleted moves the cursor as a delete does), and tells
// its controls once. A row's key is its key column's value, or the rowid of a
// table without one (t_opt).

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace solvane {

class Connection;

using RowValues = std::vector<std::pair<QString, QVariant>>;

struct RowUpdate {
    long long key = 0;
    RowValues values;
};

// Writes the columns of each row, in their order. A row no longer in the file
// stops the writes with the data layer's error ("Row cannot be located ...");
// the rows written before it stay written. Results the program computes
// (columns marked computed) are kept in the data sets only on a base that
// cannot be written; any other write there is refused.
void UpdateRows(Connection& connection, const QString& table, const std::vector<RowUpdate>& rows);

// Inserts a row: the given columns, every other its default (or empty).
// Returns the new row's key.
long long InsertRow(Connection& connection, const QString& table, const RowValues& values);

// Deletes the rows, in their order; one no longer in the file stops the
// deletes with the data layer's error.
void DeleteRows(Connection& connection, const QString& table, const std::vector<long long>& keys);

} // namespace solvane
