// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/form.h"

#include "controls/handler_guard.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace solvane {

Form::Form(HandlerGuard& guard, const QString& objectName, QWidget* parent) : QWidget(parent), guard_(guard) {
    setObjectName(objectName);
}

bool Form::runGuarded(const std::function<void()>& handler) {
    return guard_.run(this, handler);
}

void Form::relay(const std::function<void()>& emission) {
    guard_.relay(emission);
}

void Form::connectClick(QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] { runGuarded(handler); });
}

void Form::showWindow() {
    if (isVisible()) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return;
    }
    if (windowState() & Qt::WindowMaximized)
        showMaximized();
    else
        show();
    activateWindow();
}

QSize Form::outerSize() const {
    const QRect frame = frameGeometry();
    return frame.isValid() && frame.size() != QSize(0, 0) ? frame.size() : size();
}

void Form::centre() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(available.center());
    // Never place the title bar above the screen's top or left edge.
    move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}

// The place is the inside's: a window manager's frame, which the program may
// measure wrongly before the window is on the screen, plays no part in it,
// so a window opens exactly where it was, session after session.
bool Form::applyKeptPlace() {
    const std::optional<QRect> kept = placeKeeper_ ? placeKeeper_->placeOf(objectName()) : std::nullopt;
    if (!kept || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return false;
    // Only on a screen that is there now, and no smaller than the window can be.
    QScreen* screen = QGuiApplication::screenAt(kept->topLeft() + QPoint(kept->width() / 2, 0));
    if (!screen)
        return false;
    const QRect available = screen->availableGeometry();
    const QSize smallest = minimumSize().expandedTo(minimumSizeHint());
    const QSize size = kept->size().expandedTo(smallest).boundedTo(available.size().expandedTo(smallest));
    resize(size);
    const QPoint place(
        std::clamp(kept->left(), available.left(), std::max(available.left(), available.right() + 1 - size.width())),
        std::clamp(kept->top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height())));
    if (QWindow* window = windowHandle())
        window->setPosition(place);
    else
        move(place);
    return true;
}

QRect Form::keptPlace() const {
    return geometry();
}

void Form::keepPlace() {
    if (!placeKeeper_ || !isVisible() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect place = keptPlace();
    runGuarded([this, place] { placeKeeper_->keep(objectName(), place); });
}

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!applyKeptPlace())
        centre();
    runGuarded([this] { FormShow(); });
}

void Form::hideEvent(QHideEvent* event) {
    // Still visible to Qt while its hide is being told: the place is the shown one.
    if (!event->spontaneous() && placeKeeper_ && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QRect place = keptPlace();
        runGuarded([this, place] { placeKeeper_->keep(objectName(), place); });
    }
    QWidget::hideEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    if (runGuarded([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (inResizeHandler_)
        return;
    const QScopedValueRollback<bool> inHandler(inResizeHandler_, true);
    runGuarded([this] { FormResize(); });
}

} // namespace solvane
