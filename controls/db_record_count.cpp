// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_record_count.h"

#include "core/number_text.h"
#include "store/data_source.h"
#include "store/dataset.h"

namespace solvane {

DBRecordCount::DBRecordCount(QWidget* parent) : QLabel(QStringLiteral("0"), parent) {}

DBRecordCount::~DBRecordCount() {
    FollowSource(source_, nullptr, this);
}

void DBRecordCount::setDataSource(DataSource* source) {
    FollowSource(source_, source, this);
}

void DBRecordCount::dataEvent(DataEvent event, Field*) {
    // A change of state, a closing and a field's edit leave the count as it is.
    if (event == DataEvent::StateChanged || event == DataEvent::Closed || event == DataEvent::UpdateRecord)
        return;
    const DataSet* set = source_ ? source_->dataSet() : nullptr;
    if (!set || !set->isActive())
        return;
    const QString count = FormatInteger(set->recordCount());
    setText(count);
    emit countChanged(count);
}

void DBRecordCount::dataSourceDestroyed(DataSource* source) {
    if (source == source_)
        source_ = nullptr;
}

} // namespace solvane
