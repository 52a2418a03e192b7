// SPDX-License-Identifier: GPL-3.0-or-later
// The data set's field values and edit states: edit, insert, post, cancel
// and delete.

#include "store/dataset.h"

#include "store/connection.h"
#include "store/dataset_internals.h"
#include "store/schema.h"
#include "core/error.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace solvane {

QVariant DataSet::rowValue(int storage, const Field* field) {
    Row& row = rowAt(storage);
    if (field->kind_ == FieldKind::Data)
        return row.cell(field).value;
    if (calcRow_ != storage)
        ensureDerived(storage);
    return row.derivedValue(field);
}

QVariant DataSet::valueAt(int visibleRow, const Field* field) {
    if (visibleRow < 0 || visibleRow >= static_cast<int>(visible_.size()) || !field)
        return QVariant();
    return rowValue(visible_[static_cast<size_t>(visibleRow)], field);
}

QVariant DataSet::fieldValue(const Field* field) {
    requireActive();
    const int storage = calcRow_ >= 0 ? calcRow_ : currentRow();
    if (storage < 0 || !field)
        return QVariant();
    return rowValue(storage, field);
}

bool DataSet::fieldReadAsEmpty(const Field* field) {
    requireActive();
    const int storage = calcRow_ >= 0 ? calcRow_ : currentRow();
    if (storage < 0 || !field || field->kind_ != FieldKind::Data)
        return false;
    const Cell& cell = rowAt(storage).cell(field);
    return cell.unreadable && !cell.changed;
}

void DataSet::setFieldValue(Field* field, const QVariant& value) {
    if (calcRow_ >= 0) {
        // Inside the calculated-fields handler only calculated fields are assigned.
        if (field->kind_ != FieldKind::Calculated)
            throw Error(message(QStringLiteral("Field '%1' cannot be modified").arg(field->name_)));
        rowAt(calcRow_).derivedValue(field) = field->coerce(value);
        return;
    }
    requireActive();
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        throw Error(message(QStringLiteral("Dataset not in edit or insert mode")));
    if (field->kind_ != FieldKind::Data || field->readOnly_)
        throw Error(message(QStringLiteral("Field '%1' cannot be modified").arg(field->name_)));
    const int storage = currentRow();
    Row& row = rowAt(storage);
    Cell& cell = row.cell(field);
    cell.value = field->coerce(value);
    cell.changed = true;
    cell.foldedValid = false;
    modified_ = true;
    ++dataEpoch_;
    row.stamp = 0;
    ensureDerived(storage);
    notify(DataEvent::FieldChanged, field);
}

int DataSet::snapshotColumn(const QString& fieldName) const {
    int column = 0;
    for (const Field* field : dataFields_) {
        if (field->name().compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
        ++column;
    }
    return -1;
}

std::vector<std::vector<QVariant>> DataSet::snapshot() const {
    std::vector<std::vector<QVariant>> rows;
    for (int s : natural_) {
        const Row& row = rowAt(s);
        if (row.deleted || row.inserted)
            continue;
        // A row being edited is shown as it was read.
        const bool asRead = state_ == DataSetState::Edit && s == currentRow();
        std::vector<QVariant> values;
        values.reserve(row.cells.size());
        for (const Cell& cell : row.cells)
            values.push_back(asRead ? cell.original : cell.value);
        rows.push_back(std::move(values));
    }
    return rows;
}

void DataSet::removeFromVisible(int storage) {
    auto it = std::find(visible_.begin(), visible_.end(), storage);
    if (it != visible_.end())
        visible_.erase(it);
    auto nt = std::find(natural_.begin(), natural_.end(), storage);
    if (nt != natural_.end())
        natural_.erase(nt);
}

void DataSet::edit() {
    requireActive();
    if (isEditing())
        return;
    if (visible_.empty()) {
        insert();
        return;
    }
    state_ = DataSetState::Edit;
    modified_ = false;
    editSerial_ = connection_ ? connection_->actionSerial() : 0;
    notify(DataEvent::StateChanged);
}

void DataSet::insert() {
    requireActive();
    beforeMove();
    startInsert(false);
}

void DataSet::append() {
    requireActive();
    beforeMove();
    startInsert(true);
}

void DataSet::startInsert(bool atEnd) {
    auto row = std::make_unique<Row>();
    const TableDef* def = FindTable(gateway_.table());
    row->cells.resize(dataFields_.size());
    for (const Field* f : dataFields_) {
        const ColumnDef* c = def ? def->column(f->name_) : nullptr;
        if (c && !c->defaultValue.isNull())
            row->cell(f).value = f->coerce(c->defaultValue);
    }
    if (masterSource_ && detailField_)
        row->cell(detailField_).value = detailField_->coerce(masterKey());
    row->derived.resize(derivedFields_.size());
    row->inserted = true;
    const int storage = static_cast<int>(rows_.size());
    rows_.push_back(std::move(row));

    insertReturn_ = currentRow();
    if (atEnd || insertReturn_ < 0) {
        natural_.push_back(storage);
        visible_.push_back(storage);
        cursor_ = static_cast<int>(visible_.size()) - 1;
    } else {
        natural_.insert(std::find(natural_.begin(), natural_.end(), insertReturn_), storage);
        visible_.insert(visible_.begin() + cursor_, storage);
    }
    bof_ = eof_ = false;
    detailIndexValid_ = false;
    state_ = DataSetState::Insert;
    modified_ = false;
    editSerial_ = connection_ ? connection_->actionSerial() : 0;
    ensureDerived(storage);
    notify(DataEvent::Inserted);
}

// Refuses, before anything is written, a value that its column cannot hold:
// a text longer than the column's size, an integer beyond 32 bits.
void DataSet::checkTextSizes(const Row& row) const {
    for (const Field* f : dataFields_) {
        const QString refusal = ValueRefusal(f->name_, f->type_, f->size_, row.cell(f).value);
        if (!refusal.isEmpty())
            throw Error(message(refusal));
    }
}

void DataSet::post() {
    requireActive();
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        throw Error(message(QStringLiteral("Dataset not in edit or insert mode")));
    notify(DataEvent::UpdateRecord);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;
    const int storage = currentRow();
    Row& row = rowAt(storage);
    checkTextSizes(row);
    bool linkChanged = false;
    bool inMemoryOnly = false;
    const bool inserting = state_ == DataSetState::Insert;
    if (inserting) {
        std::vector<QVariant> values;
        values.reserve(row.cells.size());
        for (const Cell& cell : row.cells)
            values.push_back(cell.value);
        row.rowid = gateway_.insert(*connection_, values);
        const int keySlot = gateway_.keyIndex();
        if (keySlot >= 0) {
            Cell& key = row.cells[static_cast<size_t>(keySlot)];
            key.value = static_cast<qlonglong>(row.rowid);
            key.foldedValid = false;
        }
        row.inserted = false;
        linkChanged = true;
    } else {
        std::vector<TableGateway::Change> changes;
        bool onlyComputed = true;
        for (size_t i = 0; i < row.cells.size(); ++i)
            if (row.cells[i].changed) {
                changes.push_back({static_cast<int>(i), row.cells[i].value, row.cells[i].stored});
                onlyComputed = onlyComputed && columnDefs_[i]->computed;
            }
        // The results the program computes stay in memory on a base that
        // cannot be written; every other change is refused there.
        inMemoryOnly = onlyComputed && !connection_->writable();
        if (!inMemoryOnly)
            gateway_.update(*connection_, row.rowid, changes);
        if (detailField_ && row.cell(detailField_).changed)
            linkChanged = true;
    }
    for (Cell& cell : row.cells) {
        if (cell.changed && !inMemoryOnly)
            cell.unreadable = false;
        if (inserting || (cell.changed && !inMemoryOnly))
            cell.stored = cell.value;
        cell.original = cell.value;
        cell.changed = false;
    }
    state_ = DataSetState::Browse;
    modified_ = false;
    ++dataEpoch_;
    if (linkChanged)
        detailIndexValid_ = false;
    row.stamp = 0;
    notify(DataEvent::Posted);
    if (afterPost)
        afterPost(*this);
}

void DataSet::cancel() {
    if (state_ == DataSetState::Edit) {
        Row& row = rowAt(currentRow());
        for (Cell& cell : row.cells) {
            cell.value = cell.original;
            cell.changed = false;
            cell.foldedValid = false;
        }
        row.stamp = 0;
        state_ = DataSetState::Browse;
        modified_ = false;
        ++dataEpoch_;
        notify(DataEvent::Cancelled);
    } else if (state_ == DataSetState::Insert) {
        const int storage = currentRow();
        rowAt(storage).deleted = true;
        removeFromVisible(storage);
        state_ = DataSetState::Browse;
        modified_ = false;
        auto it = std::find(visible_.begin(), visible_.end(), insertReturn_);
        setCursor(it != visible_.end() ? static_cast<int>(it - visible_.begin()) : cursor_);
        insertReturn_ = kNoBookmark;
        ++dataEpoch_;
        notify(DataEvent::Cancelled);
    }
}

bool DataSet::checkBrowseMode() {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return false;
    notify(DataEvent::UpdateRecord);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return false;
    if (!modified_) {
        cancel();
        return false;
    }
    post();
    return true;
}

void DataSet::deleteRecord() {
    requireActive();
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (visible_.empty())
        throw Error(message(QStringLiteral("Cannot perform this operation on an empty dataset")));
    if (state_ == DataSetState::Edit)
        cancel();
    const int storage = currentRow();
    Row& row = rowAt(storage);
    std::vector<QVariant> stored;
    stored.reserve(row.cells.size());
    for (const Cell& cell : row.cells)
        stored.push_back(cell.stored);
    gateway_.remove(*connection_, row.rowid, stored);
    row.deleted = true;
    const int index = cursor_;
    removeFromVisible(storage);
    setCursor(index);
    ++dataEpoch_;
    notify(DataEvent::Deleted);
    if (afterDelete)
        afterDelete(*this);
}

} // namespace solvane
