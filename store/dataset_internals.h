// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The data set's private parts shared by its own source files
// (store/dataset*.cpp) and by nothing else: the storage of a row, and the
// observer by which a detail set follows its master.

#include "store/dataset.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace solvane {

// One data field of one row.
struct DataSet::Cell {
    QVariant value;    // as the field holds it now
    QVariant original; // as read or last posted: what a cancel restores
    // As the store holds it (before conversion to the field's type): what a
    // post or delete checks to find the row unchanged.
    QVariant stored;
    QString folded; // the value as case-folded text, for the filter
    bool changed = false;
    // The stored value was not what its column holds and reads as empty
    // (see ReadStoredRow); cleared once a value of the user's is written.
    bool unreadable = false;
    bool foldedValid = false;
};

struct DataSet::Row {
    std::vector<Cell> cells;       // one per data field, by the field's slot
    std::vector<QVariant> derived; // one per lookup or calculated field, by its slot
    unsigned long long stamp = 0;  // derivedStamp() when the derived values were calculated
    long long rowid = 0;           // the key that names the row in the store
    bool deleted = false;
    bool inserted = false; // a new row not yet posted

    Cell& cell(const Field* field) { return cells[static_cast<size_t>(field->slot_)]; }
    const Cell& cell(const Field* field) const { return cells[static_cast<size_t>(field->slot_)]; }
    QVariant& derivedValue(const Field* field) { return derived[static_cast<size_t>(field->slot_)]; }
};

// Follows the master set for its detail (dataset_views.cpp).
class DataSet::Observer : public DataSetObserver {
public:
    explicit Observer(DataSet& detail) : detail_(detail) {}
    void dataSetEvent(DataEvent event, Field* field) override;

private:
    DataSet& detail_;
};

} // namespace solvane
