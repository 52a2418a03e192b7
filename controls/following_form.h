// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

#include <utility>

namespace solvane {

class Connection;

// A window that shows what it works out from the program's data and follows
// that data while it is open: after every user action it works everything
// out again, once, and shows it when anything it shows has changed. A hidden
// window does nothing until it is shown, which shows everything anew.
class FollowingForm : public Form {
    Q_OBJECT
public:
    FollowingForm(HandlerGuard& guard, Connection& connection, const QString& objectName);
    ~FollowingForm() override;

    // Reads the data, works everything out and shows all of it.
    void Refresh();

protected:
    void FormShow() override;
    // Works out what the window is to show from the data as it is now and
    // keeps it; returns whether it differs from what was kept before.
    virtual bool compute() = 0;
    // Shows what compute() kept.
    virtual void apply() = 0;
    // For compute(): keeps the view worked out in place of the one kept
    // before and tells whether the two differ.
    template <typename View> static bool keepShown(View& kept, View&& next) {
        const bool changed = !(next == kept);
        kept = std::move(next);
        return changed;
    }

private:
    void follow();

    Connection& connection_;
    int actionEndHandler_ = 0;
};

} // namespace solvane
