// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

namespace solvane {

class DataSet;

// Where a data set's cursor stands, so that it can return there after an
// action that walked the set: the current row's key, and its number among
// the visible rows.
struct RowPlace {
    QVariant key;  // null: the set had no current row
    int recNo = 0; // 1-based; 0 when none

    // The current row of an open set (a closed or empty one gives no place).
    static RowPlace of(DataSet& set, const QString& keyField);
    // Moves the set back to the row with the key; when that row is gone, to
    // the row that now stands at its number (the one after it), or to the
    // last row. A set without rows, or closed, is left alone.
    void returnTo(DataSet& set, const QString& keyField) const;
};

} // namespace solvane
