#pragma once

#include "store/data_event.h"

#include <functional>
#include <vector>

namespace solvane {

class DataSet;
class DataSource;
class Field;

// A control bound to a data source.
class DataLink {
public:
    virtual ~DataLink() = default;
    virtual void dataEvent(DataEvent event, Field* field) = 0;
    // The source is being destroyed (a window's sources go before its child
    // widgets): the control must forget it and never touch it again.
    virtual void dataSourceDestroyed(DataSource* source) { (void)source; }
};

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

// Disables a data source for the life of the object, so that its controls
// neither repaint nor read while a handler walks its set; it is enabled again
// also when the handler stops on an error (disabling nests, and a source left
// disabled would stay frozen for good).
class DisabledSource {
public:
    explicit DisabledSource(DataSource& source) : source_(source) { source_.disable(); }
    ~DisabledSource() { source_.enable(); }
    DisabledSource(const DisabledSource&) = delete;
    DisabledSource& operator=(const DisabledSource&) = delete;

private:
    DataSource& source_;
};

} // namespace solvane
