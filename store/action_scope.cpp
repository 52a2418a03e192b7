// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/action_scope.h"

#include "core/error.h"
#include "store/connection.h"

namespace solvane {

ActionScope::ActionScope(Connection* connection) : connection_(connection) {
    if (!connection_)
        return;
    outermost_ = !connection_->inAction();
    outerSerial_ = connection_->actionSerial();
    serial_ = connection_->beginAction();
}

void ActionScope::finish() {
    if (!connection_ || finished_)
        return;
    finished_ = true;
    connection_->endAction(outerSerial_);
}

ActionScope::~ActionScope() {
    try {
        finish();
    } catch (const Error&) {
        // Left by an exception that its catcher reports. A lost action has
        // been rolled back and the data sets read again all the same.
    }
}

} // namespace solvane
