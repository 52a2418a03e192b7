// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Typing into the cells of a data-aware grid as a user does: the cell is
// made current and edited, the text typed key by key, the edit ended.

#include "controls/db_grid.h"
#include "controls/number_spin_box.h"

#include <QCoreApplication>
#include <QtTest>

namespace solvane::test {

// The open number editor of a grid's cell after it was asked to edit it.
inline NumberSpinBox* EditCell(DBGrid& grid, int row, int column) {
    const QModelIndex index = grid.model()->index(row, column);
    grid.setFocus();
    grid.setCurrentIndex(index);
    grid.edit(index);
    for (NumberSpinBox* e : grid.findChildren<NumberSpinBox*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

// Types a number into a cell (an empty text empties it) and presses Enter;
// false when the cell opened no number editor.
inline bool TypeIntoCell(DBGrid& grid, int row, int column, const QString& text) {
    NumberSpinBox* editor = EditCell(grid, row, column);
    if (!editor)
        return false;
    editor->selectAll();
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return true;
}

} // namespace solvane::test
