// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

class QAbstractButton;

namespace solvane {

class HandlerGuard;

// A window of the program. It is centred on the screen each time it becomes
// visible; showing runs FormShow and closing runs FormClose through the
// handler guard. An error while showing is reported and the window is shown
// all the same; an error while closing keeps the window open.
class Form : public QWidget {
    Q_OBJECT
public:
    Form(HandlerGuard& guard, const QString& objectName, QWidget* parent = nullptr);

    HandlerGuard& guard() const { return guard_; }
    // Runs a handler as one user action of this window (see HandlerGuard).
    bool runGuarded(const std::function<void()>& handler);
    // Makes a user's click on the button run the handler as one action.
    void connectClick(QAbstractButton* button, std::function<void()> handler);
    // Shows the window, or brings it to the front when it is already shown.
    void showWindow();
    // Outer size as a window manager sees it (frame included when there is one).
    QSize outerSize() const;

protected:
    virtual void FormShow() {}
    virtual void FormClose() {}
    virtual void FormResize() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void centre();
    HandlerGuard& guard_;
    bool inResizeHandler_ = false;
};

} // namespace solvane
