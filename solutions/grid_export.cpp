#include "solutions/grid_export.h"

#include "controls/db_grid.h"
#include "solutions/xls_writer.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/error.h"

#include <vector>

namespace solvane {

namespace {

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

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
                if (IsNumber(value))
                    book.setNumber(row + 1, static_cast<int>(c), value.toDouble());
                else if (value.typeId() == QMetaType::Bool)
                    book.setText(row + 1, static_cast<int>(c),
                                 value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
                else
                    book.setText(row + 1, static_cast<int>(c), value.toString());
            }
        }
    }
    book.save(fileName);
}

} // namespace solvane
