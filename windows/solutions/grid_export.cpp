// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/solutions/grid_export.h"

#include "controls/db_grid.h"
#include "windows/solutions/xls_writer.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "core/error.h"
#include "core/number_text.h"

namespace solvane {

namespace {

void CheckRowCount(size_t rows, const QString& fileName) {
    if (rows >= static_cast<size_t>(XlsWorkbook::MaxRows))
        throw Error(QStringLiteral("Не удалось создать файл «%1»: в лист Excel помещается не больше %2 строк.")
                        .arg(fileName)
                        .arg(XlsWorkbook::MaxRows - 1));
}

} // namespace

void SaveGridToXls(const DBGrid& grid, const QString& fileName) {
    std::vector<DBGridColumn*> columns;
    for (DBGridColumn* column : grid.visibleColumns())
        if (column->isExported())
            columns.push_back(column);
    QStringList captions;
    for (const DBGridColumn* column : columns)
        captions << column->caption();

    std::vector<std::vector<QVariant>> rows;
    DataSource* source = grid.dataSource();
    DataSet* set = source ? source->dataSet() : nullptr;
    if (set && set->isActive()) {
        std::vector<Field*> fields;
        for (const DBGridColumn* column : columns)
            fields.push_back(set->findField(column->fieldName()));
        const int count = set->recordCount();
        CheckRowCount(static_cast<size_t>(count), fileName);
        rows.reserve(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row) {
            std::vector<QVariant> cells(fields.size());
            for (size_t c = 0; c < fields.size(); ++c) {
                if (!fields[c])
                    continue;
                const QVariant value = set->valueAt(row, fields[c]);
                if (value.isNull() || !value.isValid())
                    continue;
                // Numbers by the same rule as the grid's alignment, other
                // values as the grid shows them.
                cells[c] = fields[c]->isNumeric() ? QVariant(value.toDouble()) : QVariant(ValueText(value));
            }
            rows.push_back(std::move(cells));
        }
    }
    SaveTableToXls(captions, rows, fileName);
}

void SaveTableToXls(const QStringList& captions, const std::vector<std::vector<QVariant>>& rows,
                    const QString& fileName) {
    CheckRowCount(rows.size(), fileName);
    XlsWorkbook book;
    for (int c = 0; c < captions.size(); ++c)
        book.setText(0, c, captions.at(c));
    for (size_t row = 0; row < rows.size(); ++row) {
        const std::vector<QVariant>& cells = rows[row];
        for (size_t c = 0; c < cells.size(); ++c) {
            const QVariant& value = cells[c];
            if (value.isNull() || !value.isValid())
                continue;
            if (value.typeId() == QMetaType::Double)
                book.setNumber(static_cast<int>(row) + 1, static_cast<int>(c), value.toDouble());
            else
                book.setText(static_cast<int>(row) + 1, static_cast<int>(c), value.toString());
        }
    }
    book.save(fileName);
}

} // namespace solvane
