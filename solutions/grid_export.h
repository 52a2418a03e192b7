#pragma once

#include <QString>

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

} // namespace solvane
