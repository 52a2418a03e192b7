// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace solvane {

class Connection;

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct ShownMessage {
    MessageKind kind;
    QString caption;
    QString text;
    MessageButtons buttons;
    MessageAnswer answer;
};

// Every message box of the program goes through this service. On screen it
// shows a modal box; headless (tests, or SOLVANE_DIALOGS=stderr) it takes a
// queued answer or the box's default one, and prints the box on standard
// error when asked to. Every box shown is recorded, so tests can read it back.
//
// Before a box waits for the user, the running action's writes are
// committed, so no other process is locked out while the question is on
// screen; what runs during the wait (a timer) gets transactions of its own.
class MessageService {
public:
    enum class Mode { Interactive, Headless, Stderr };

    // The mode comes from SOLVANE_DIALOGS: "stderr" prints and answers by
    // default, "headless" answers silently; anything else shows real boxes.
    MessageService();

    Mode mode() const { return mode_; }
    void setMode(Mode mode) { mode_ = mode; }
    void setConnection(Connection* connection) { connection_ = connection; }

    MessageAnswer show(QWidget* parent, MessageKind kind, const QString& caption, const QString& text,
                       MessageButtons buttons);
    // The standard error box: the error's text under the application's title.
    void showError(QWidget* parent, const QString& text);
    // The data layer's standard delete question "Delete record?"; true on OK.
    bool confirmDelete(QWidget* parent);

    // For headless runs: the answers the next boxes take, in order.
    void queueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    const std::vector<ShownMessage>& shown() const { return shown_; }
    void clearShown() { shown_.clear(); }

private:
    Mode mode_;
    Connection* connection_ = nullptr;
    std::deque<MessageAnswer> answers_;
    std::vector<ShownMessage> shown_;
};

} // namespace solvane
