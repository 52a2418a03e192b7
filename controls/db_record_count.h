// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_link.h"

#include <QLabel>

namespace solvane {

class DataSource;

// A label that shows how many rows its data source's set holds, counted
// again after every change the source relays (a move, an edit, a post, a
// delete, an insert, a filter, a refresh, an open), and says so with a signal.
class DBRecordCount : public QLabel, private DataLink {
    Q_OBJECT
public:
    explicit DBRecordCount(QWidget* parent = nullptr);
    ~DBRecordCount() override;

    void setDataSource(DataSource* source);

signals:
    // The count as shown, after it was counted again.
    void countChanged(const QString& count);

private:
    void dataEvent(DataEvent event, Field* field) override;
    void dataSourceDestroyed(DataSource* source) override;

    DataSource* source_ = nullptr;
};

} // namespace solvane
