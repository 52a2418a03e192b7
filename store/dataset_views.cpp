// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the data set's rows are visible and in what order: the master
// link, the filter and the sort.

#include "store/dataset.h"

#include "store/data_source.h"
#include "store/dataset_internals.h"
#include "core/error.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace solvane {

void DataSet::Observer::dataSetEvent(DataEvent event, Field* field) {
    DataSet* master = detail_.masterSource_ ? detail_.masterSource_->dataSet() : nullptr;
    if (!master)
        return;
    switch (event) {
    case DataEvent::StateChanged:
    case DataEvent::UpdateRecord:
    case DataEvent::Reloaded: // the details are read again on their own
        return;
    case DataEvent::Closed:
        detail_.masterClosed();
        return;
    case DataEvent::FieldChanged:
        if (!field || field->name().compare(detail_.masterFieldName_, Qt::CaseInsensitive) != 0)
            return;
        break;
    case DataEvent::Scrolled:
    case DataEvent::RowsWritten: // rows written by key: the master may stand on another row
        if (master->currentRow() == detail_.lastMasterRow_ && master->findField(detail_.masterFieldName_) &&
            detail_.masterKey() == detail_.lastMasterKey_)
            return;
        break;
    default:
        break;
    }
    detail_.masterChanged();
}

// The row under test of a filter.
class DataSet::RowAccess : public FilterRow {
public:
    RowAccess(DataSet& set, int storage) : set_(set), storage_(storage) {}
    QVariant value(int field) const override {
        const Field* f = set_.fields_[static_cast<size_t>(field)].get();
        Row& row = set_.rowAt(storage_);
        if (f->kind() == FieldKind::Data)
            return row.cell(f).value;
        set_.ensureDerived(storage_);
        return row.derivedValue(f);
    }
    QString foldedText(int field) const override {
        const Field* f = set_.fields_[static_cast<size_t>(field)].get();
        if (f->kind() != FieldKind::Data)
            return value(field).toString().toCaseFolded();
        Cell& cell = set_.rowAt(storage_).cell(f);
        if (!cell.foldedValid) {
            cell.folded = cell.value.toString().toCaseFolded();
            cell.foldedValid = true;
        }
        return cell.folded;
    }

private:
    DataSet& set_;
    int storage_;
};

// ---------------------------------------------------------------- master link

void DataSet::setMaster(DataSource* master, const QString& masterField, const QString& detailField) {
    Field* const detail = fieldByName(detailField);
    if (isActive())
        checkBrowseMode();
    if (masterSource_ && masterSource_->dataSet() && masterObserver_)
        masterSource_->dataSet()->removeObserver(masterObserver_.get());
    masterSource_ = master;
    masterFieldName_ = masterField;
    detailField_ = detail;
    detailIndexValid_ = false;
    masterObserver_ = std::make_unique<Observer>(*this);
    if (master && master->dataSet())
        master->dataSet()->addObserver(masterObserver_.get());
    lastMasterKey_ = masterKey();
    lastMasterRow_ = master && master->dataSet() ? master->dataSet()->currentRow() : kNoBookmark;
    masterChanged();
}

void DataSet::clearMaster() {
    if (!masterSource_)
        return;
    if (isActive())
        checkBrowseMode();
    if (masterSource_->dataSet() && masterObserver_)
        masterSource_->dataSet()->removeObserver(masterObserver_.get());
    masterObserver_.reset();
    masterSource_ = nullptr;
    detailField_ = nullptr;
    masterFieldName_.clear();
    detailIndexValid_ = false;
    masterChanged();
}

QVariant DataSet::masterKey() const {
    if (!masterSource_ || !masterSource_->dataSet())
        return QVariant();
    DataSet* master = masterSource_->dataSet();
    if (!master->isActive() || master->currentRow() < 0)
        return QVariant();
    const Field* f = master->findField(masterFieldName_);
    if (!f)
        return QVariant();
    return master->rowValue(master->currentRow(), f);
}

void DataSet::masterChanged() {
    if (!isActive())
        return;
    checkBrowseMode();
    lastMasterKey_ = masterKey();
    DataSet* master = masterSource_ ? masterSource_->dataSet() : nullptr;
    lastMasterRow_ = master ? master->currentRow() : kNoBookmark;
    ++calcEpoch_; // the rows are read anew
    rebuildVisible();
    setCursor(visible_.empty() ? -1 : 0);
    notify(DataEvent::DataSetChanged);
}

void DataSet::masterClosed() {
    if (!isActive())
        return;
    if (isEditing())
        cancel();
    masterChanged();
}

// ---------------------------------------------------------------- visible rows

bool DataSet::rowVisible(int storage) const {
    const Row& row = rowAt(storage);
    if (row.deleted)
        return false;
    if (masterSource_) {
        const QVariant& v = row.cell(detailField_).value;
        if (lastMasterKey_.isNull() || v.isNull() || v.toLongLong() != lastMasterKey_.toLongLong())
            return false;
    }
    if (filtered_ && !filterExpr_.isEmpty()) {
        RowAccess access(const_cast<DataSet&>(*this), storage);
        if (!filterExpr_.matches(access))
            return false;
    }
    return true;
}

void DataSet::rebuildVisible() {
    visible_.clear();
    if (masterSource_) {
        if (lastMasterKey_.isNull())
            return;
        if (!detailIndexValid_) {
            detailIndex_.clear();
            for (int s : natural_) {
                const Row& row = rowAt(s);
                const QVariant& v = row.cell(detailField_).value;
                if (!v.isNull() && !row.deleted)
                    detailIndex_[v.toLongLong()].push_back(s);
            }
            detailIndexValid_ = true;
        }
        auto it = detailIndex_.find(lastMasterKey_.toLongLong());
        if (it != detailIndex_.end())
            for (int s : it->second)
                if (rowVisible(s))
                    visible_.push_back(s);
    } else {
        visible_.reserve(natural_.size());
        for (int s : natural_)
            if (rowVisible(s))
                visible_.push_back(s);
    }
    applySort();
}

void DataSet::applySort() {
    if (!sortField_ || visible_.size() < 2)
        return;
    const Field* f = sortField_;
    if (f->type_ == ColumnType::Text) {
        QCollator collator{QLocale()};
        std::vector<std::pair<QCollatorSortKey, int>> keys;
        keys.reserve(visible_.size());
        for (int s : visible_)
            keys.emplace_back(collator.sortKey(rowValue(s, f).toString()), s);
        std::stable_sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
            const int c = a.first.compare(b.first);
            return sortDescending_ ? c > 0 : c < 0;
        });
        for (size_t i = 0; i < keys.size(); ++i)
            visible_[i] = keys[i].second;
    } else {
        std::vector<std::pair<QVariant, int>> keys;
        for (int s : visible_)
            keys.emplace_back(rowValue(s, f), s);
        std::stable_sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
            // Empty values sort first.
            const bool an = a.first.isNull(), bn = b.first.isNull();
            bool less = false;
            if (an || bn)
                less = an && !bn;
            else
                less = a.first.toDouble() < b.first.toDouble();
            bool greater = false;
            if (an || bn)
                greater = bn && !an;
            else
                greater = a.first.toDouble() > b.first.toDouble();
            return sortDescending_ ? greater : less;
        });
        for (size_t i = 0; i < keys.size(); ++i)
            visible_[i] = keys[i].second;
    }
}

// ---------------------------------------------------------------- filter and sort

int DataSet::resolveFilterField(const QString& name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i]->name_.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void DataSet::setFilter(const QString& text) {
    if (filtered_ && isActive()) {
        beforeMove();
        FilterExpression expr =
            FilterExpression::parse(text, [this](const QString& n) { return resolveFilterField(n); });
        filterText_ = text;
        filterExpr_ = std::move(expr);
        rebuildVisible();
        setCursor(0);
        notify(DataEvent::FilterChanged);
    } else {
        filterText_ = text;
    }
}

void DataSet::setFiltered(bool filtered) {
    if (filtered == filtered_)
        return;
    if (!isActive()) {
        filtered_ = filtered;
        return;
    }
    beforeMove();
    if (filtered) {
        filterExpr_ = FilterExpression::parse(filterText_, [this](const QString& n) { return resolveFilterField(n); });
    } else {
        filterExpr_ = FilterExpression();
    }
    filtered_ = filtered;
    rebuildVisible();
    setCursor(0);
    notify(DataEvent::FilterChanged);
}

void DataSet::setSort(const QString& text) {
    Field* field = nullptr;
    bool descending = false;
    const QStringList parts = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!parts.isEmpty()) {
        field = fieldByName(parts.at(0));
        if (parts.size() > 1) {
            if (parts.at(1).compare(QStringLiteral("DESC"), Qt::CaseInsensitive) == 0)
                descending = true;
            else if (parts.at(1).compare(QStringLiteral("ASC"), Qt::CaseInsensitive) != 0)
                throw Error(message(QStringLiteral("неверный порядок сортировки «%1»").arg(text)));
        }
    }
    sortText_ = text;
    sortField_ = field;
    sortDescending_ = descending;
    if (!isActive())
        return;
    beforeMove();
    const int current = currentRow();
    rebuildVisible();
    auto it = std::find(visible_.begin(), visible_.end(), current);
    setCursor(it != visible_.end() ? static_cast<int>(it - visible_.begin()) : 0);
    notify(DataEvent::SortChanged);
}

} // namespace solvane
