// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace solvane {

class Field;

// What a data set tells its data sources (and through them its controls) and
// its detail sets.
enum class DataEvent {
    Opened,
    Closed,
    Scrolled,     // the cursor moved to another row
    FieldChanged, // a field of the current row was assigned (the field is given)
    StateChanged, // browse, edit, insert
    Inserted,     // a new row was inserted or appended and is current
    Posted,
    Cancelled,
    Deleted,
    FilterChanged,
    SortChanged,
    Refreshed,
    DataSetChanged, // anything else: show the set as it now is
    Reloaded,       // the rows were read from the file again; the cursor stays on its row where it still exists
    UpdateRecord,   // about to post: controls write what their editors hold into the fields
    RowsWritten     // rows were written by key: their values changed, rows came or went; the current row may be another
};

class DataSetObserver {
public:
    virtual ~DataSetObserver() = default;
    virtual void dataSetEvent(DataEvent event, Field* field) = 0;
};

} // namespace solvane
