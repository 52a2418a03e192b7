// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's side of the saved solutions: saving the composition under
// a name (through the name dialog) and the saved-solution pass, the
// concentrations the current saved solution gives the crop's targets. The
// pane (saved_solutions_pane.h) shows the solutions and their lines.

#include "windows/calculator/calculator_window.h"

#include "core/number_text.h"
#include "store/database.h"
#include "windows/calculator/saved_solutions_pane.h"

namespace solvane {

void CalculatorWindow::calculateSavedSolution() {
    data_.savedLines.checkBrowseMode();
    data_.targets.checkBrowseMode();
    // A row left without a target goes, and the amounts are fitted without it.
    const bool removed = solution_.removeMissingTargets();
    SolutionInputs in = solution_.inputs();
    if (removed)
        fitAmounts(in);
    compositionShown_ = false;
    solution_.postResults(in, solution_.savedLines());
    savedPane_->setLitresCaption(QStringLiteral("Кол-во, г/") + FormatNumber(savedPane_->litres()) +
                                 QStringLiteral(" л."));
    savedPane_->reopenLines();
    updateTotals();
}

} // namespace solvane
