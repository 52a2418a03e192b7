// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace solvane {

class DBGrid;

// Saves a grid's contents as an Excel 97–2003 worksheet, creating the file
// anew or replacing it: a header row with the captions of the shown columns
// in their display order, then one row per record of the grid's whole data
// set (not only the rows on screen), each with those columns' values.
// Numbers go into numeric cells, everything else into text cells, an empty
// value into no cell. The data set's cursor is not moved. Throws Error naming
// the file and the system's reason when it cannot be created.
void SaveGridToXls(const DBGrid& grid, const QString& fileName);

// Saves a table the same way: the captions as the header row, then the rows;
// a double goes into a numeric cell, an empty value into no cell, any other
// value into a text cell as its text.
void SaveTableToXls(const QStringList& captions, const std::vector<std::vector<QVariant>>& rows,
                    const QString& fileName);

} // namespace solvane
