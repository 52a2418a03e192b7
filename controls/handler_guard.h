// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace solvane {

class Connection;
class MessageService;

// Runs one user action (a click, a key, a timer tick) the way the program
// reports errors: everything the action writes goes into one transaction
// (owned by an ActionScope) that is committed when it ends, also when it
// stops on an error, so what was posted before the error stays; an error
// stops the action and is shown in the standard error box, after the rows
// the action's handlers left half-made are cancelled. When the store loses
// the action (a full disk, say), it is rolled back as a whole, every open
// data set is read again, and the store's failure is what the box says; a
// handler run inside such an action leaves the report to the action's owner.
// No exception leaves run().
class HandlerGuard {
public:
    explicit HandlerGuard(MessageService& messages) : messages_(messages) {}

    MessageService& messages() const { return messages_; }
    Connection* connection() const { return connection_; }
    void setConnection(Connection* connection) { connection_ = connection; }

    // Returns true when the handler ran to its end.
    bool run(QWidget* parent, const std::function<void()>& handler) noexcept;
    // Shows an error box once the event loop is free again (a refusal noticed
    // while Qt paints or closes an editor); reports asked for the same widget
    // before it is shown come to one box.
    void reportLater(QWidget* parent, const QString& message);

    // A window asks the rest of the program for something by a Qt signal,
    // whose receivers may fail like any handler; but no exception may pass
    // through Qt's signal machinery. So the window emits inside relay(), each
    // receiver runs inside carry(), which keeps its failure instead of
    // throwing it, and relay() throws the kept failure once the emission has
    // returned: the window's action stops as if it had called the receiver
    // itself. After a failure the signal's further receivers do not run.
    void relay(const std::function<void()>& emission);
    // A receiver reached outside any relay() runs as an action of its own.
    void carry(const std::function<void()>& receiver) noexcept;

private:
    MessageService& messages_;
    Connection* connection_ = nullptr;
    int relaying_ = 0;
    std::exception_ptr carried_;
};

} // namespace solvane
