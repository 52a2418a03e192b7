// SPDX-License-Identifier: GPL-3.0-or-later
// The data set's lookup and calculated fields. A row's derived values are
// calculated when first read and kept until something they depend on
// changes: the row itself (its stamp is cleared), this set's calculated
// fields as a whole (calcEpoch_), or the data of a set it looks up in
// (dataEpoch_ of the sources).

#include "store/dataset.h"

#include "store/dataset_internals.h"

#include <QScopedValueRollback>
#include <algorithm>

namespace solvane {

void DataSet::invalidateCalculated() {
    ++calcEpoch_;
}

unsigned long long DataSet::sourceStamp() const {
    unsigned long long stamp = 0;
    for (const DataSet* s : lookupSources_)
        if (s != this)
            stamp += s->dataEpoch_ + s->sourceStamp();
    return stamp;
}

unsigned long long DataSet::derivedStamp() const {
    // A set that looks up in itself (an element's total among the elements)
    // reads its other rows: any change of its data may change them.
    const bool ownSource = std::find(lookupSources_.begin(), lookupSources_.end(), this) != lookupSources_.end();
    return calcEpoch_ + sourceStamp() + (ownSource ? dataEpoch_ : 0);
}

void DataSet::ensureDerived(int storage) {
    if (derivedFields_.empty())
        return;
    Row& row = rowAt(storage);
    const unsigned long long stamp = derivedStamp();
    if (row.stamp == stamp)
        return;
    row.stamp = stamp;
    for (QVariant& v : row.derived)
        v = QVariant();
    for (Field* f : derivedFields_) {
        if (f->kind_ != FieldKind::Lookup || !f->lookupSource_)
            continue;
        const Field* keyField = f->lookupKey_;
        const QVariant key = keyField->kind_ == FieldKind::Data ? row.cell(keyField).value : row.derivedValue(keyField);
        DataSet* source = f->lookupSource_;
        QVariant result = f->coerce(source->lookupValue(f->lookupSourceKey_, key, f->lookupSourceResult_));
        if (result.isNull() && f->lookupMissing_ && !key.isNull() && source->isActive() &&
            source->lookupValue(f->lookupSourceKey_, key, f->lookupSourceKey_).isNull())
            result = f->coerce(f->lookupMissing_(key));
        if (f->type_ == ColumnType::Text && f->size_ > 0 && !result.isNull())
            result = result.toString().left(f->size_);
        row.derivedValue(f) = result;
    }
    if (onCalcFields) {
        const QScopedValueRollback<int> restore(calcRow_, storage);
        try {
            onCalcFields(*this);
        } catch (...) {
            row.stamp = 0; // calculated again at the next read
            throw;
        }
    }
}

QVariant DataSet::lookupValue(const QString& keyField, const QVariant& key, const QString& resultField) {
    if (!isActive() || key.isNull())
        return QVariant();
    const Field* kf = findField(keyField);
    const Field* rf = findField(resultField);
    if (!kf || !rf)
        return QVariant();
    LookupIndex& index = lookupIndexes_[kf->name_];
    if (index.epoch != dataEpoch_) {
        index.rows.clear();
        for (int s : natural_) {
            if (rowAt(s).deleted)
                continue;
            const QVariant v = rowValue(s, kf);
            if (!v.isNull())
                index.rows.emplace(v.toLongLong(), s);
        }
        index.epoch = dataEpoch_;
    }
    bool ok = false;
    const long long k =
        key.typeId() == QMetaType::Double ? static_cast<long long>(key.toDouble()) : key.toLongLong(&ok);
    auto it = index.rows.find(k);
    if (it == index.rows.end())
        return QVariant();
    Row& row = rowAt(it->second);
    if (rf->kind_ == FieldKind::Data)
        return row.cell(rf).value;
    ensureDerived(it->second);
    return row.derivedValue(rf);
}

} // namespace solvane
