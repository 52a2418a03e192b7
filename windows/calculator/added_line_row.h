// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QTableWidget>

namespace solvane {

class DBGrid;

// A line the program adds to a grid's rows without storing it (the acid's in
// the composition): one read-only row under the grid, its columns as wide as
// the grid's, so that it reads as the grid's last row.
class AddedLineRow : public QTableWidget {
    Q_OBJECT
public:
    AddedLineRow(DBGrid& grid, const QString& objectName, QWidget* parent);

    // The row's texts, one per column of the grid shown (numbers right
    // aligned), each with its tooltip (empty: none); an empty list hides the row.
    void showTexts(const QStringList& texts, const std::vector<bool>& numbers, const QStringList& tips = {});

private:
    void followGrid();

    DBGrid& grid_;
};

} // namespace solvane
