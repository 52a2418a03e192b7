// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of a data set written by key elsewhere (store/row_writes.h): the
// set follows the file without its cursor being walked, and tells its
// controls once.

#include "store/dataset.h"

#include "store/dataset_internals.h"

#include <algorithm>

namespace solvane {

TableRows DataSet::rows() const {
    return rowsAt(natural_);
}

TableRows DataSet::shownRows() const {
    return isActive() ? rowsAt(visible_) : TableRows();
}

TableRows DataSet::rowsAt(const std::vector<int>& storages) const {
    std::vector<QString> columns;
    columns.reserve(dataFields_.size());
    for (const Field* field : dataFields_)
        columns.push_back(field->name());
    std::vector<TableRows::Row> rows;
    rows.reserve(storages.size());
    for (int s : storages) {
        const Row& row = rowAt(s);
        if (row.deleted || row.inserted)
            continue;
        // A row being edited is read as it was read.
        const bool asRead = state_ == DataSetState::Edit && s == currentRow();
        TableRows::Row out;
        out.key = row.rowid;
        out.values.reserve(row.cells.size());
        out.unreadable.reserve(row.cells.size());
        for (const Cell& cell : row.cells) {
            out.values.push_back(asRead ? cell.original : cell.value);
            out.unreadable.push_back(cell.unreadable && (asRead || !cell.changed));
        }
        rows.push_back(std::move(out));
    }
    return TableRows(std::move(columns), std::move(rows));
}

int DataSet::storageOfKey(long long key) const {
    for (int s : natural_) {
        const Row& row = rowAt(s);
        if (!row.deleted && !row.inserted && row.rowid == key)
            return s;
    }
    return -1;
}

void DataSet::keepCursorOn(int storage, int index) {
    auto it = std::find(visible_.begin(), visible_.end(), storage);
    setCursor(it != visible_.end() ? static_cast<int>(it - visible_.begin()) : index);
}

void DataSet::rowUpdated(long long key, const std::vector<std::pair<QString, QVariant>>& values, bool inMemoryOnly) {
    if (!isActive())
        return;
    const int storage = storageOfKey(key);
    if (storage < 0)
        return;
    Row& row = rowAt(storage);
    bool linkChanged = false;
    for (const auto& [name, value] : values) {
        const Field* field = findField(name);
        if (!field || field->kind() != FieldKind::Data)
            continue;
        Cell& cell = row.cell(field);
        cell.value = field->coerce(value);
        cell.original = cell.value;
        cell.changed = false;
        cell.foldedValid = false;
        if (!inMemoryOnly) {
            cell.stored = cell.value;
            cell.unreadable = false;
        }
        linkChanged = linkChanged || field == detailField_;
    }
    row.stamp = 0;
    ++dataEpoch_;
    if (linkChanged) {
        detailIndexValid_ = false;
        const int current = currentRow();
        const int index = cursor_;
        rebuildVisible();
        keepCursorOn(current, index);
    }
}

void DataSet::rowInserted(long long key, const std::vector<std::pair<QString, QVariant>>& values) {
    if (!isActive() || storageOfKey(key) >= 0)
        return;
    auto row = std::make_unique<Row>();
    row->cells.resize(dataFields_.size());
    for (const auto& [name, value] : values) {
        const Field* field = findField(name);
        if (!field || field->kind() != FieldKind::Data)
            continue;
        Cell& cell = row->cell(field);
        cell.value = field->coerce(value);
        cell.original = cell.value;
        cell.stored = cell.value;
    }
    row->derived.resize(derivedFields_.size());
    row->rowid = key;
    const int storage = static_cast<int>(rows_.size());
    rows_.push_back(std::move(row));
    natural_.push_back(storage);
    const int current = currentRow();
    const int index = std::max(cursor_, 0);
    detailIndexValid_ = false;
    ++dataEpoch_;
    rebuildVisible();
    keepCursorOn(current, index);
}

void DataSet::rowDeleted(long long key) {
    if (!isActive())
        return;
    const int storage = storageOfKey(key);
    if (storage < 0)
        return;
    const bool current = storage == currentRow();
    if (current && state_ == DataSetState::Edit)
        cancel();
    const int before = currentRow();
    const int index = cursor_;
    rowAt(storage).deleted = true;
    removeFromVisible(storage);
    detailIndexValid_ = false;
    ++dataEpoch_;
    // The current row gone, the cursor goes to the row that followed it, or
    // to the new last row; otherwise it stays on its row.
    keepCursorOn(current ? -1 : before, index);
}

void DataSet::rowsWritten() {
    if (isActive())
        notify(DataEvent::RowsWritten);
}

} // namespace solvane
