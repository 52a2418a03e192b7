// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_event.h"
#include "store/data_link.h"

#include <functional>
#include <vector>

namespace solvane {

class DataSet;
class Field;

// Relays a data set's changes to the controls bound to it. A disabled source
// relays nothing, so its controls neither repaint nor read; enabling it again
// sends one change so that they show the set as it then is. Disabling nests.
class DataSource : private DataSetObserver {
public:
    explicit DataSource(DataSet* dataSet = nullptr);
    ~DataSource() override;
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    DataSet* dataSet() const { return dataSet_; }
    void setDataSet(DataSet* dataSet);

    bool isEnabled() const { return disabled_ == 0; }
    void setEnabled(bool enabled);
    void disable();
    void enable();

    void addLink(DataLink* link);
    void removeLink(DataLink* link);

    // The window's data-change handler: every move, field change, post,
    // cancel, delete, insert, filter, sort, refresh and open while enabled.
    std::function<void(Field*)> onDataChange;
    std::function<void()> onStateChange;

private:
    void dataSetEvent(DataEvent event, Field* field) override;

    DataSet* dataSet_ = nullptr;
    int disabled_ = 0;
    std::vector<DataLink*> links_;
};

// Moves a control's link from the source it follows (when any) to the given
// one (when any, nullptr to follow none); followed then holds the new source.
void FollowSource(DataSource*& followed, DataSource* source, DataLink* link);

} // namespace solvane
