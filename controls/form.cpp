// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/form.h"

#include "controls/handler_guard.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>

namespace solvane {

Form::Form(HandlerGuard& guard, const QString& objectName, QWidget* parent) : QWidget(parent), guard_(guard) {
    setObjectName(objectName);
}

bool Form::runGuarded(const std::function<void()>& handler) {
    return guard_.run(this, handler);
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

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    centre();
    runGuarded([this] { FormShow(); });
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
