// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/number_spin_box.h"

#include <functional>
#include <memory>

namespace solvane {

class DataSource;
class HandlerGuard;

// A decimal spin box bound to a field of the current row. An empty field
// shows an empty box; editing puts the data set into edit state.
class DBSpinBox : public NumberSpinBox {
    Q_OBJECT
public:
    DBSpinBox(HandlerGuard& guard, QWidget* parent = nullptr);
    ~DBSpinBox() override;

    void setDataSource(DataSource* source, const QString& fieldName);
    // The text as the user sees it (empty when the field is empty).
    QString valueText() const;

    // Runs on every change of the box's value (by the user or the data).
    std::function<void()> onChange;

protected:
    // Leaving the box for another widget of the window posts a modified row.
    void focusOutEvent(QFocusEvent* event) override;

private:
    class Link;
    HandlerGuard& guard_;
    std::unique_ptr<Link> link_;
};

} // namespace solvane
