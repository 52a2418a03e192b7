// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

class QPushButton;
class QTimer;

namespace solvane {

// The launcher "Solvane v1.2": three buttons that open the element
// directory, the fertilizer directory and the calculator, and the timer that
// opens the calculator by itself when the options ask for it.
class LauncherWindow : public Form {
    Q_OBJECT
public:
    explicit LauncherWindow(HandlerGuard& guard);
    ~LauncherWindow() override;

    // "Элементы", "Удобрения", "Калькулятор", as a click runs them.
    void openElements();
    void openFertilizers();
    void openCalculator();
    // The options' auto-start: the timer opens the calculator once, 100 ms on.
    void setAutoStart(bool on);
    bool autoStartPending() const;
    // The timer's tick.
    void autoStartDue();

signals:
    // Shown (every data set is to be opened, the options applied), closing
    // (the program is to end), and one request per button (the sizes loaded,
    // the window shown). Emitted through the handler guard's relay.
    void shown();
    void closing();
    void elementsRequested();
    void fertilizersRequested();
    void calculatorRequested();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    QTimer* autoStartTimer_ = nullptr;
};

} // namespace solvane
