#include "solutions/grid_export.h"

#include "controls/db_grid.h"
#include "controls/db_grid_model.h"
#include "solutions/xls_writer.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/error.h"

#include <vector>

namespace solvane {

void SaveGridToXls(const DBGrid& grid, const QString& fileName) {
    const std::vector<DBGridColumn*> columns = grid.visibleColumns();
    XlsWorkbook book;
    for (size_t c = 0; c < columns.size(); ++c)
        book.setText(0, static_cast<int>(c), columns[c]->caption());

    DataSource* source = grid.dataSource();
    DataSet* set = source ? source->dataSet() : nullptr;
    if (set && set->isActive()) {
        std::vector<Field*> fields;
        for (const DBGridColumn* column : columns)
            fields.push_back(set->findField(column->fieldName()));
        const int rows = set->recordCount();
        if (rows >= XlsWorkbook::MaxRows)
            throw Error(QStringLiteral("Не удалось создать файл «%1»: в лист Excel помещается не больше %2 строк.")
                            .arg(fileName)
                            .arg(XlsWorkbook::MaxRows - 1));
        for (int row = 0; row < rows; ++row) {
            for (size_t c = 0; c < fields.size(); ++c) {
                if (!fields[c])
                    continue;
                const QVariant value = set->valueAt(row, fields[c]);
                if (value.isNull() || !value.isValid())
                    continue;
                // Numbers by the same rule as the grid's alignment, other
                // values as the grid shows them.
                if (fields[c]->isNumeric())
                    book.setNumber(row + 1, static_cast<int>(c), value.toDouble());
                else
                    book.setText(row + 1, static_cast<int>(c), DBGridModel::displayText(value));
            }
        }
    }
    book.save(fileName);
}

} // namespace solvane
