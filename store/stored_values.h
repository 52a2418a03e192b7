// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/schema.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace solvane {

// How a stored cell is read, the one rule for the data sets and for the
// check at open. A file made elsewhere may hold anything in any column:
// - in a numeric, key or boolean column, a text counts as the number the one
//   number parser reads from it under the C locale ("15.5"; "true" and
//   "false" in a boolean column); any other text, a BLOB, a value that is not
//   finite, a fraction in an integer column or an integer beyond 32 bits is
//   read as empty;
// - so is a value outside what the column's field accepts when typed (its
//   limits), and a value above the column it may not exceed (a minimum above
//   its maximum);
// - a cell read as empty takes its column's default (none: empty; a key
//   column then refers to nothing).
// Text columns are read as they are. Nothing is written back: the file keeps
// what it holds until the user changes the value.
//
// columns[i] describes values[i]; values come in as stored and leave as read.
// Returns, for each column, whether its stored value was read as empty.
std::vector<bool> ReadStoredRow(const std::vector<const ColumnDef*>& columns, std::vector<QVariant>& values);

// A cell read as empty, for the start-up box.
struct UnreadableCell {
    QString table;
    QString column;
    QString keyColumn; // the table's key column, or "rowid"
    long long key = 0;
    QVariant stored;
};

// "t_konc.vega, id_konc = 7: «abc»": the table, column, row key and the value
// as stored (a BLOB by its size, a number through the one formatter).
QString UnreadableCellText(const UnreadableCell& cell);

} // namespace solvane
