// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

#include <functional>

class QPushButton;
class QTimer;

namespace solvane {

// The launcher "Solvane v1.2": three buttons that open the element
// directory, the fertilizer directory and the calculator, and the timer that
// opens the calculator by itself when the options ask for it.
class LauncherWindow : public Form {
    Q_OBJECT
public:
    // What the launcher runs: when shown (every data set opened, the options
    // applied), when closed (the program ends), and for each button (the
    // sizes loaded, the window shown).
    struct Actions {
        std::function<void()> shown;
        std::function<void()> closing;
        std::function<void()> openElements;
        std::function<void()> openFertilizers;
        std::function<void()> openCalculator;
    };

    explicit LauncherWindow(HandlerGuard& guard);
    ~LauncherWindow() override;
    void setActions(Actions actions);

    // "Элементы", "Удобрения", "Калькулятор", as a click runs them.
    void openElements();
    void openFertilizers();
    void openCalculator();
    // The options' auto-start: the timer opens the calculator once, 100 ms on.
    void setAutoStart(bool on);
    bool autoStartPending() const;
    // The timer's tick.
    void autoStartDue();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    Actions actions_;
    QTimer* autoStartTimer_ = nullptr;
};

} // namespace solvane
