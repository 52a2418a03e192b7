// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/recalculation_timer.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"

#include <QTimer>
#include <algorithm>

namespace solvane {

namespace {

constexpr int kRecalculationDelayMs = 1500;

} // namespace

RecalculationTimer::RecalculationTimer(HandlerGuard& guard, QWidget* window)
    : QObject(window), guard_(guard), window_(window), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(kRecalculationDelayMs);
    connect(timer_, &QTimer::timeout, this, [this] { guard_.run(window_, [this] { comeDue(); }); });
}

void RecalculationTimer::watch(DBGrid& grid) {
    grids_.push_back(&grid);
    grid.onEditorClosed = [this] { editorClosed(); };
}

void RecalculationTimer::setDelay(int milliseconds) {
    timer_->setInterval(milliseconds);
}

void RecalculationTimer::arm() {
    // A burst of edits fires once, 1500 ms after the first of them.
    if (!timer_->isActive())
        timer_->start();
}

bool RecalculationTimer::cellBeingEdited() const {
    return std::any_of(grids_.begin(), grids_.end(), [](const DBGrid* grid) { return grid->isEditing(); });
}

void RecalculationTimer::comeDue() {
    // A target or an amount still being typed is not cut short: the
    // recalculation waits for its edit to end (editorClosed).
    if (cellBeingEdited()) {
        timer_->stop();
        waiting_ = true;
        return;
    }
    runNow();
}

void RecalculationTimer::runNow() {
    waiting_ = false;
    guard_.relay([this] { emit due(); });
    timer_->stop();
}

bool RecalculationTimer::pending() const {
    return timer_->isActive() || waiting_;
}

void RecalculationTimer::editorClosed() {
    if (!waiting_ || cellBeingEdited())
        return;
    // After the closing editor's value is in its field.
    QTimer::singleShot(0, this, [this] {
        if (waiting_ && !cellBeingEdited())
            guard_.run(window_, [this] { runNow(); });
    });
}

} // namespace solvane
