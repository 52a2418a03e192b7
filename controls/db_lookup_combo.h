// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <memory>

namespace solvane {

class DataSource;
class HandlerGuard;

// A drop-down list bound to a field: it lists listField of the rows of the
// list source and stores the chosen row's listKeyField into the field.
class DBLookupCombo : public QComboBox {
    Q_OBJECT
public:
    DBLookupCombo(HandlerGuard& guard, QWidget* parent = nullptr);
    ~DBLookupCombo() override;

    void setDataSource(DataSource* source, const QString& fieldName);
    void setListSource(DataSource* listSource, const QString& listKeyField, const QString& listField);

private:
    class Link;
    HandlerGuard& guard_;
    std::unique_ptr<Link> link_;
};

} // namespace solvane
