// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace solvane {

class Connection;

// The owner of one user action's transaction. Everything the action writes
// is committed together when the outermost scope finishes; nested scopes (a
// handler run from a handler) join it. finish() reports a failed or lost
// action by throwing StoreError, after the rollback and the new read of the
// data sets. A scope left by an exception settles the same way without
// throwing: what was posted before the error stays, as the program promises,
// unless the engine lost the action.
class ActionScope {
public:
    explicit ActionScope(Connection* connection);
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

    void finish();
    // The action's number (see Connection::actionSerial), 0 without a connection.
    unsigned long long serial() const { return serial_; }
    bool outermost() const { return outermost_; }

private:
    Connection* connection_;
    unsigned long long serial_ = 0;
    unsigned long long outerSerial_ = 0;
    bool outermost_ = false;
    bool finished_ = false;
};

} // namespace solvane
