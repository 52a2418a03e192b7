// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads back a worksheet the program wrote, with libfreexl: for the tests
// of the spreadsheet exports (they link libfreexl themselves).

#include <QFile>
#include <QString>
#include <QStringList>
#include <freexl.h>
#include <vector>

namespace solvane::test {

// A worksheet as read back: text cells as they are, numbers prefixed "#",
// empty cells as empty strings.
using Sheet = std::vector<QStringList>;

inline Sheet ReadSheet(const QString& path) {
    Sheet sheet;
    const void* handle = nullptr;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (opened != FREEXL_OK || !handle)
        return sheet;
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
        freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK) {
        for (unsigned r = 0; r < rows; ++r) {
            QStringList row;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                QString text;
                if (freexl_get_cell_value(handle, r, c, &value) == FREEXL_OK) {
                    if (value.type == FREEXL_CELL_SST_TEXT || value.type == FREEXL_CELL_TEXT)
                        text = QString::fromUtf8(value.value.text_value);
                    else if (value.type == FREEXL_CELL_DOUBLE)
                        text = QLatin1Char('#') + QString::number(value.value.double_value, 'g', 17);
                    else if (value.type == FREEXL_CELL_INT)
                        text = QLatin1Char('#') + QString::number(value.value.int_value);
                }
                row << text;
            }
            sheet.push_back(row);
        }
    }
    freexl_close(handle);
    return sheet;
}

} // namespace solvane::test
