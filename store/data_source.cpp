// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/data_source.h"

#include "store/dataset.h"

#include <algorithm>

namespace solvane {

DataSource::DataSource(DataSet* dataSet) {
    setDataSet(dataSet);
}

DataSource::~DataSource() {
    const std::vector<DataLink*> links = std::move(links_);
    links_.clear();
    for (DataLink* link : links)
        link->dataSourceDestroyed(this);
    if (dataSet_)
        dataSet_->removeObserver(this);
}

void DataSource::setDataSet(DataSet* dataSet) {
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        dataSet_->removeObserver(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->addObserver(this);
}

void DataSource::setEnabled(bool enabled) {
    if (enabled)
        enable();
    else
        disable();
}

void DataSource::disable() {
    ++disabled_;
}

void DataSource::enable() {
    if (disabled_ == 0)
        return;
    if (--disabled_ == 0)
        dataSetEvent(DataEvent::DataSetChanged, nullptr);
}

void FollowSource(DataSource*& followed, DataSource* source, DataLink* link) {
    if (followed)
        followed->removeLink(link);
    followed = source;
    if (followed)
        followed->addLink(link);
}

void DataSource::addLink(DataLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void DataSource::removeLink(DataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void DataSource::dataSetEvent(DataEvent event, Field* field) {
    if (disabled_ > 0)
        return;
    const std::vector<DataLink*> links = links_;
    for (DataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            link->dataEvent(event, field);
    const bool stateChange = event == DataEvent::StateChanged || event == DataEvent::Inserted ||
                             event == DataEvent::Posted || event == DataEvent::Cancelled ||
                             event == DataEvent::Opened || event == DataEvent::Closed || event == DataEvent::Reloaded;
    if (stateChange && onStateChange)
        onStateChange();
    if (event != DataEvent::StateChanged && event != DataEvent::Closed && event != DataEvent::UpdateRecord &&
        onDataChange)
        onDataChange(field);
}

} // namespace solvane
