// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/following_form.h"

#include "store/connection.h"

namespace solvane {

FollowingForm::FollowingForm(HandlerGuard& guard, Connection& connection, const QString& objectName)
    : Form(guard, objectName), connection_(connection) {
    // After the action, not on each of the many posts it makes.
    actionEndHandler_ = connection_.addActionEndHandler([this](bool) { runGuarded([this] { follow(); }); });
}

FollowingForm::~FollowingForm() {
    connection_.removeActionEndHandler(actionEndHandler_);
}

void FollowingForm::Refresh() {
    compute();
    apply();
}

void FollowingForm::FormShow() {
    Refresh();
}

void FollowingForm::follow() {
    if (isVisible() && compute())
        apply();
}

} // namespace solvane
