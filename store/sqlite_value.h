// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>

struct sqlite3_stmt;

namespace solvane {

// Binds a value to a statement's parameter (1-based) by its type: empty as
// NULL, booleans and integers as integers, doubles as reals, byte arrays as
// blobs, everything else as UTF-8 text. Returns SQLite's result code.
int BindValue(sqlite3_stmt* stmt, int index, const QVariant& value);

// A result column of the current row as the engine stores it: an integer, a
// real, a text, a blob, or an empty value for NULL.
QVariant ColumnValue(sqlite3_stmt* stmt, int column);

} // namespace solvane
