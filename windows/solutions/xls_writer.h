// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>
#include <variant>

namespace solvane {

// A workbook of one worksheet ("Лист1") saved as an Excel 97–2003 file: BIFF8 records in the
// "Workbook" stream of an OLE2 compound document. Cells are addressed by 0-based row and column
// and hold a text or a number; setting a cell again replaces its value.
class XlsWorkbook {
public:
    static constexpr int MaxRows = 65536;
    static constexpr int MaxColumns = 256;
    static constexpr int MaxTextLength = 32767; // UTF-16 code units in one cell

    // An empty text makes an empty cell. Both throw Error for a cell outside the sheet or a text longer than
    // MaxTextLength.
    void setText(int row, int column, const QString& text);
    // A NaN or an infinity is written as the error value #NUM!.
    void setNumber(int row, int column, double value);

    // Creates or replaces the file. Writes through a temporary file in the same directory that is
    // renamed over the target only when complete, so a failure leaves any old file untouched.
    // Throws Error naming the file and the system's reason when the file cannot be created.
    void save(const QString& fileName) const;

private:
    using Value = std::variant<QString, double>;
    static unsigned key(int row, int column);
    static void check(int row, int column);

    std::map<unsigned, Value> cells_; // keyed by row * MaxColumns + column: row-major order
};

} // namespace solvane
