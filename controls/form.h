// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

class QAbstractButton;

namespace solvane {

class HandlerGuard;

// Keeps the place of windows between their showings and between runs: the
// position and size of the inside, the window manager's frame left out.
class PlaceKeeper {
public:
    virtual ~PlaceKeeper() = default;
    // The place last kept for the window (by its object name), if any.
    virtual std::optional<QRect> placeOf(const QString& window) const = 0;
    // Keeps the window's place; throws Error when it cannot be kept.
    virtual void keep(const QString& window, const QRect& place) = 0;
};

// A window of the program. It is centred on the screen each time it becomes
// visible, unless a place keeper remembers its place; showing runs FormShow
// and closing runs FormClose through the handler guard. An error while
// showing is reported and the window is shown all the same; an error while
// closing keeps the window open.
class Form : public QWidget {
    Q_OBJECT
public:
    Form(HandlerGuard& guard, const QString& objectName, QWidget* parent = nullptr);

    HandlerGuard& guard() const { return guard_; }
    // Runs a handler as one user action of this window (see HandlerGuard).
    bool runGuarded(const std::function<void()>& handler);
    // Emits one of this window's requests to the rest of the program through
    // the guard's relay: a receiver's failure stops the running action.
    void relay(const std::function<void()>& emission);
    // Makes a user's click on the button run the handler as one action.
    void connectClick(QAbstractButton* button, std::function<void()> handler);
    // Shows the window, or brings it to the front when it is already shown.
    void showWindow();
    // Outer size as a window manager sees it (frame included when there is one).
    QSize outerSize() const;
    // The window opens where it was last, as the keeper remembers it, and
    // its place is handed to the keeper whenever it is hidden.
    void setPlaceKeeper(PlaceKeeper* keeper) { placeKeeper_ = keeper; }
    // Hands the place of a shown window to its keeper (the program ending).
    void keepPlace();

protected:
    virtual void FormShow() {}
    virtual void FormClose() {}
    virtual void FormResize() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void centre();
    // Puts the window where its keeper remembers it, kept on the screen;
    // false when there is nothing remembered.
    bool applyKeptPlace();
    // The place handed to the keeper: the inside's, in screen coordinates.
    QRect keptPlace() const;
    HandlerGuard& guard_;
    PlaceKeeper* placeKeeper_ = nullptr;
    bool inResizeHandler_ = false;
};

} // namespace solvane
