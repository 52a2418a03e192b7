// SPDX-License-Identifier: GPL-3.0-or-later
// The options record carried over to the calculator.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/calculator/totals_strips.h"
#include "windows/settings/colours.h"
#include "windows/settings/options.h"

#include <QGroupBox>

namespace solvane {

void CalculatorWindow::applyOptions(const Options& options) {
    // 1. The holders, in ascending order; holder 2 ends with cl9.
    const std::array<QColor, 15> holders = HolderColours(options);

    // 2. The colours.
    savedAmountColumn_->setColour(holders[2]);
    litresAmountColumn_->setColour(holders[3]);
    SetWidgetColour(savedPane_->litresBox(), QPalette::Base, holders[5]);
    concentrations_->setColumnColours(holders[6], holders[7], holders[9]);
    concentrations_->totals()->setColours(holders[1], holders[9], holders[7], holders[8]);
    cropPane_->setStrengthColour(holders[1]);

    // 3. The totals strips: PPM, then mg/l.
    concentrations_->totals()->showStrips(options.ppm2, options.ppm1);

    // 4. The crop grid and its navigators.
    cropGrid_->setVisible(options.kult);
    cropPane_->navigators()->setVisible(options.kult);

    // 5. The strength slider's maximum, by the slider's own rule.
    cropPane_->setStrengthMaximum(options.maxim);

    // 6. (The launcher's auto-start is the launcher's.) 7. The columns.
    savedAmountColumn_->setVisible(options.c21);
    litresAmountColumn_->setVisible(options.c22);
    concentrations_->showColumns(options.c31, options.c32, options.c34);

    // 8. The fit and the source water the recipe uses.
    showFitChoice();
}

} // namespace solvane
