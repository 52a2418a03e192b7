// SPDX-License-Identifier: GPL-3.0-or-later
// The data set's declaration, reading and observers. The cursor is in
// dataset_cursor.cpp, field values and the edit states in
// dataset_editing.cpp, the visible rows (filter, sort, master link) in
// dataset_views.cpp, the derived fields in dataset_derived_fields.cpp, the
// SQL in table_gateway.cpp.

#include "store/dataset.h"

#include "store/connection.h"
#include "store/data_source.h"
#include "store/dataset_internals.h"
#include "store/stored_values.h"
#include "core/error.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace solvane {

DataSet::DataSet(Connection* connection, QString name)
    : connection_(connection), name_(std::move(name)), gateway_(name_) {
    if (connection_)
        connection_->addDataSet(this);
}

DataSet::~DataSet() {
    if (connection_)
        connection_->removeDataSet(this);
    if (masterSource_ && masterSource_->dataSet() && masterObserver_)
        masterSource_->dataSet()->removeObserver(masterObserver_.get());
}

// ---------------------------------------------------------------- declaration

Field* DataSet::addField(std::unique_ptr<Field> field) {
    field->owner_ = this;
    Field* f = field.get();
    if (f->kind_ == FieldKind::Data) {
        f->slot_ = static_cast<int>(dataFields_.size());
        dataFields_.push_back(f);
    } else {
        f->slot_ = static_cast<int>(derivedFields_.size());
        derivedFields_.push_back(f);
    }
    fields_.push_back(std::move(field));
    return f;
}

void DataSet::declareTableFields(const QString& table) {
    const TableDef* def = FindTable(table);
    if (!def)
        throw Error(message(QStringLiteral("нет таблицы «%1»").arg(table)));
    gateway_.setTable(def->name, def->keyColumn());
}

void DataSet::addDataField(const ColumnDef& column) {
    auto f = std::make_unique<Field>();
    f->name_ = column.name;
    f->type_ = column.type;
    f->size_ = column.size;
    f->readOnly_ = column.type == ColumnType::AutoIncrement;
    addField(std::move(f));
    columnDefs_.push_back(&column);
    gateway_.addColumn(column.name, column.type == ColumnType::AutoIncrement);
}

void DataSet::setTable(const QString& table) {
    declareTableFields(table);
    for (const ColumnDef& c : FindTable(table)->columns)
        addDataField(c);
}

void DataSet::setQuery(const QString& sql, const QString& baseTable) {
    declareTableFields(baseTable);
    gateway_.setQuery(sql);
    const TableDef* def = FindTable(baseTable);
    const qsizetype from = sql.indexOf(QStringLiteral(" from "), 0, Qt::CaseInsensitive);
    QString list = sql.left(from).trimmed();
    if (list.startsWith(QStringLiteral("select"), Qt::CaseInsensitive))
        list = list.mid(6);
    for (QString name : list.split(QLatin1Char(','))) {
        name = name.trimmed();
        const ColumnDef* c = def->column(name);
        if (!c)
            throw Error(message(QStringLiteral("Field '%1' not found").arg(name)));
        addDataField(*c);
    }
}

Field* DataSet::addLookupField(const QString& name, ColumnType type, int size, const QString& keyField, DataSet* source,
                               const QString& sourceKey, const QString& sourceResult) {
    auto f = std::make_unique<Field>();
    f->name_ = name;
    f->kind_ = FieldKind::Lookup;
    f->type_ = type;
    f->size_ = size;
    f->readOnly_ = true;
    f->lookupKey_ = fieldByName(keyField);
    f->lookupSource_ = source;
    f->lookupSourceKey_ = sourceKey;
    f->lookupSourceResult_ = sourceResult;
    if (std::find(lookupSources_.begin(), lookupSources_.end(), source) == lookupSources_.end())
        lookupSources_.push_back(source);
    return addField(std::move(f));
}

Field* DataSet::addCalculatedField(const QString& name, ColumnType type, int size) {
    auto f = std::make_unique<Field>();
    f->name_ = name;
    f->kind_ = FieldKind::Calculated;
    f->type_ = type;
    f->size_ = size;
    return addField(std::move(f));
}

Field* DataSet::findField(const QString& name) const {
    for (const auto& f : fields_)
        if (f->name_.compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field* DataSet::fieldByName(const QString& name) const {
    Field* f = findField(name);
    if (!f)
        throw Error(message(QStringLiteral("Field '%1' not found").arg(name)));
    return f;
}

// ---------------------------------------------------------------- open, close

std::vector<std::unique_ptr<DataSet::Row>> DataSet::readRows() {
    std::vector<std::unique_ptr<Row>> rows;
    const int keySlot = gateway_.keyIndex();
    std::vector<QVariant> values;
    gateway_.select(*connection_, [&](std::vector<QVariant>& stored, long long rowid) {
        auto row = std::make_unique<Row>();
        row->cells.resize(stored.size());
        // A cell that is not what its column holds reads as empty.
        values = stored;
        const std::vector<bool> unreadable = ReadStoredRow(columnDefs_, values);
        for (size_t i = 0; i < stored.size(); ++i) {
            Cell& cell = row->cells[i];
            cell.stored = std::move(stored[i]);
            cell.value = dataFields_[i]->coerce(values[i]);
            cell.original = cell.value;
            cell.unreadable = unreadable[i];
        }
        row->derived.resize(derivedFields_.size());
        row->rowid = keySlot >= 0 ? row->cells[static_cast<size_t>(keySlot)].value.toLongLong() : rowid;
        rows.push_back(std::move(row));
    });
    return rows;
}

void DataSet::open() {
    if (isActive())
        return;
    if (!connection_)
        throw Error(message(QStringLiteral("нет соединения с базой данных")));
    // A filter switched on while the set was closed is checked before anything is read.
    FilterExpression filter;
    if (filtered_)
        filter = FilterExpression::parse(filterText_, [this](const QString& n) { return resolveFilterField(n); });
    std::vector<std::unique_ptr<Row>> rows = readRows();

    rows_ = std::move(rows);
    natural_.resize(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        natural_[i] = static_cast<int>(i);
    state_ = DataSetState::Browse;
    modified_ = false;
    ++dataEpoch_;
    ++calcEpoch_;
    detailIndexValid_ = false;
    lookupIndexes_.clear();
    if (masterSource_ && masterSource_->dataSet()) {
        lastMasterKey_ = masterKey();
        lastMasterRow_ = masterSource_->dataSet()->currentRow();
    }
    filterExpr_ = std::move(filter);
    rebuildVisible();
    setCursor(visible_.empty() ? -1 : 0);
    notify(DataEvent::Opened);
}

void DataSet::reread() {
    std::vector<std::unique_ptr<Row>> fresh = readRows();
    const int current = currentRow();
    const bool editing = state_ == DataSetState::Edit && current >= 0;
    const bool inserting = state_ == DataSetState::Insert && current >= 0;
    // The row a pending insert stood before, to keep its place.
    int insertBefore = -1;
    if (inserting) {
        auto at = std::find(natural_.begin(), natural_.end(), current);
        if (at != natural_.end() && at + 1 != natural_.end())
            insertBefore = *(at + 1);
    }
    std::unordered_map<long long, int> byKey;
    for (int s : natural_) {
        const Row& row = rowAt(s);
        if (!row.deleted && !row.inserted)
            byKey.emplace(row.rowid, s);
    }
    std::vector<int> natural;
    natural.reserve(fresh.size() + 1);
    bool editedRowFound = false;
    for (std::unique_ptr<Row>& row : fresh) {
        auto it = byKey.find(row->rowid);
        if (it == byKey.end()) {
            natural.push_back(static_cast<int>(rows_.size()));
            rows_.push_back(std::move(row));
            continue;
        }
        const int s = it->second;
        byKey.erase(it);
        Row& old = rowAt(s);
        if (editing && s == current) {
            // The values typed into the row stay on top of what the file holds.
            editedRowFound = true;
            for (size_t i = 0; i < old.cells.size(); ++i) {
                if (old.cells[i].changed)
                    row->cells[i].value = old.cells[i].value;
                row->cells[i].changed = old.cells[i].changed;
            }
        }
        old = std::move(*row);
        natural.push_back(s);
    }
    for (const auto& entry : byKey)
        rowAt(entry.second).deleted = true;
    if (inserting) {
        auto at = std::find(natural.begin(), natural.end(), insertBefore);
        natural.insert(at, current);
    }
    if (editing && !editedRowFound) {
        // The row is no longer in the file: there is nothing left to edit.
        state_ = DataSetState::Browse;
        modified_ = false;
    }
    natural_ = std::move(natural);
    ++dataEpoch_;
    ++calcEpoch_;
    detailIndexValid_ = false;
    lookupIndexes_.clear();
}

void DataSet::reselect() {
    const int current = currentRow();
    const int index = cursor_;
    if (masterSource_) {
        lastMasterKey_ = masterKey();
        DataSet* master = masterSource_->dataSet();
        lastMasterRow_ = master ? master->currentRow() : kNoBookmark;
    }
    rebuildVisible();
    auto it = std::find(visible_.begin(), visible_.end(), current);
    if (it != visible_.end())
        setCursor(static_cast<int>(it - visible_.begin()));
    else
        setCursor(visible_.empty() ? -1 : index);
    notify(DataEvent::Reloaded);
}

void ReloadDataSets(const std::vector<DataSet*>& sets, const std::vector<DataSet*>& reopen) {
    std::optional<Error> failure;
    std::vector<DataSet*> opened;
    for (DataSet* set : sets) {
        if (set->isActive() || std::find(reopen.begin(), reopen.end(), set) == reopen.end())
            continue;
        try {
            set->open();
            opened.push_back(set);
        } catch (const Error& e) {
            if (!failure)
                failure = e;
        }
    }
    std::vector<DataSet*> active;
    for (DataSet* set : sets)
        if (set->isActive() && std::find(opened.begin(), opened.end(), set) == opened.end())
            active.push_back(set);
    std::vector<DataSet*> unread;
    for (DataSet* set : active) {
        try {
            set->reread();
        } catch (const Error& e) {
            if (!failure)
                failure = e;
            unread.push_back(set);
        }
    }
    // A set that cannot be read would show rows the file may not hold.
    for (DataSet* set : unread) {
        active.erase(std::remove(active.begin(), active.end(), set), active.end());
        try {
            set->close();
        } catch (...) {
        }
    }
    // Masters first: a detail's rows follow its master's current row.
    std::vector<DataSet*> done;
    std::function<void(DataSet*)> visit = [&](DataSet* set) {
        if (std::find(done.begin(), done.end(), set) != done.end())
            return;
        done.push_back(set);
        DataSet* master = set->masterSource_ ? set->masterSource_->dataSet() : nullptr;
        if (master && std::find(active.begin(), active.end(), master) != active.end())
            visit(master);
        try {
            set->reselect();
        } catch (const Error& e) {
            // A control's or window's handler failed while showing the set.
            if (!failure)
                failure = e;
        }
    };
    for (DataSet* set : active)
        visit(set);
    if (failure)
        throw *failure;
}

void DataSet::close() {
    if (!isActive())
        return;
    rows_.clear();
    natural_.clear();
    visible_.clear();
    cursor_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    state_ = DataSetState::Inactive;
    ++dataEpoch_;
    lookupIndexes_.clear();
    detailIndex_.clear();
    detailIndexValid_ = false;
    notify(DataEvent::Closed);
}

void DataSet::refresh() {
    requireActive();
    checkBrowseMode();
    ++calcEpoch_;
    ++dataEpoch_;
    notify(DataEvent::Refreshed);
}

void DataSet::requireActive() const {
    if (!isActive())
        throw Error(message(QStringLiteral("Cannot perform this operation on a closed dataset")));
}

void DataSet::notify(DataEvent event, Field* field) {
    const std::vector<DataSetObserver*> observers = observers_;
    for (DataSetObserver* o : observers)
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end())
            o->dataSetEvent(event, field);
}

void DataSet::addObserver(DataSetObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void DataSet::removeObserver(DataSetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

} // namespace solvane
