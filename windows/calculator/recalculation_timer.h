// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <vector>

class QTimer;
class QWidget;

namespace solvane {

class DBGrid;
class HandlerGuard;

// The calculator's recalculation after an edit: typing a target or an amount
// arms the timer "Timer1", and 1500 ms after the first edit of a burst it
// asks for the recipe by due(), emitted through the handler guard's relay.
// While a cell editor of a watched grid is open it waits, and asks once the
// editor has closed.
class RecalculationTimer : public QObject {
    Q_OBJECT
public:
    // The timer's actions run as the window's.
    RecalculationTimer(HandlerGuard& guard, QWidget* window);

    // A grid whose open cell editor the recalculation waits for.
    void watch(DBGrid& grid);
    // The delay (1500 ms).
    void setDelay(int milliseconds);
    // Arms the timer; while it runs, a second call does not restart it.
    void arm();
    // The timer came due: the recipe is asked for, unless a target or an
    // amount is being typed, which it waits for.
    void comeDue();
    // The recipe asked for now, the timer off.
    void runNow();
    // The timer runs, or came due while a cell was being edited.
    bool pending() const;

signals:
    // The recipe must run.
    void due();

private:
    bool cellBeingEdited() const;
    // A waiting recalculation runs once the closing editor's value is in its field.
    void editorClosed();

    HandlerGuard& guard_;
    QWidget* window_;
    QTimer* timer_;
    std::vector<const DBGrid*> grids_;
    bool waiting_ = false;
};

} // namespace solvane
