// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/fit_choice_panel.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/calculator/totals_strips.h"

#include <algorithm>

namespace solvane {

CalculatorWindow::CalculatorWindow(Database& data, WorkingSolution& solution, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form4")), data_(data), solution_(solution) {
    setWindowTitle(QStringLiteral("Tarvik v1.2"));
    buildLayout();
    // The totals are labels, not data-aware controls: after an action that
    // the store rolled back they are worked out again from what the data
    // sets, read anew, now hold (those that could be read again).
    actionEndHandler_ = data_.connection().addActionEndHandler([this](bool rolledBack) {
        if (rolledBack && data_.targets.isActive() && data_.composition.isActive())
            runGuarded([this] { relay([this] { solution_.figures(); }); });
    });
}

CalculatorWindow::~CalculatorWindow() {
    data_.connection().removeActionEndHandler(actionEndHandler_);
}

std::array<Splitter*, 5> CalculatorWindow::splitters() const {
    return {mainSplitter_, leftSplitter_, savedPane_->splitter(), workSplitter_, concentrations_->splitter()};
}

void CalculatorWindow::showPass(const ShownPass& pass) {
    const int fit = solution_.fitMode();
    if (pass.fitted && fit == kClassicFit)
        fertilizerPane_->leaveListAsBefore();
    if (pass.fitJudged)
        fitChoice_->showFitMessage(solution_.fitMessage());
    const double litres = pass.composition ? 1000.0 : savedPane_->litres();
    if (pass.savedPosted) {
        savedPane_->setLitresCaption(QStringLiteral("Кол-во, г/") + FormatNumber(litres) + QStringLiteral(" л."));
        savedPane_->reopenLines();
    }
    TotalsStrips* totals = concentrations_->totals();
    totals->showTotals(solution_.totals(pass.in));
    const std::optional<double> wanted = solution_.cropEc();
    // "Под EC" scales the targets for the composition's own lines (not the
    // acid's alone).
    const bool ecFitAllowed =
        wanted.has_value() && pass.composition &&
        std::any_of(pass.in.lines.begin(), pass.in.lines.end(), [](const LineRecord& line) { return !line.derived; });
    totals->showSolutionFigures(pass.in, pass.lines, litres, wanted, ecFitAllowed);
    fitChoice_->showAcidDose(pass.in.acidLabel);
    compositionPane_->showAcidLine(pass.in);
    savedPane_->showSavedMillilitres(pass.in);
}

// ---------------------------------------------------------------- the fit and the water

void CalculatorWindow::waterProfilesChanged() {
    const bool changed = showFitChoice();
    if (!data_.targets.isActive())
        return;
    relay([this, changed] {
        if (changed)
            solution_.recipe();
        else
            solution_.refresh();
    });
}

bool CalculatorWindow::showFitChoice() {
    fitChoice_->showChoice(solution_.fitMode(), solution_.water());
    const bool changed = showWater();
    applyFitState();
    return changed;
}

bool CalculatorWindow::showWater() {
    const bool changed = solution_.readWater();
    concentrations_->showWaterColumn(!solution_.water().isNull());
    if (data_.targets.isActive())
        data_.targets.refresh();
    return changed;
}

void CalculatorWindow::applyFitState() {
    const int fit = solution_.fitMode();
    // The classic fit knows no weights and no limits; only the cheapest
    // knows tolerances.
    concentrations_->showFitColumns(fit != kClassicFit, fit == kCheapestFit);
    // Nor the acid, whose line is an amount fixed at its dose; the panes
    // set the acid's drop-down, the limits and the composition's amounts.
    fitChoice_->applyFit(fit);
    compositionPane_->applyFit(fit);
    // The saved lines made of the fitted unrounded amounts show four
    // significant digits, as those amounts do.
    for (DBGridColumn* column : {savedAmountColumn_, litresAmountColumn_})
        column->setSignificantDigits(AmountDigits(fit));
}

// ---------------------------------------------------------------- showing and closing

void CalculatorWindow::FormShow() {
    fertilizerPane_->applySearchBoxWidth();
    DataSet& lines = data_.composition;
    if (lines.isActive() && !lines.isEmpty()) {
        DataSet& fertilizers = data_.fertilizers;
        const Field* fertilizer = lines.fieldByName(col::lines::fertilizer);
        // Kept as the program always did: each key filtered on and off,
        // leaving the list unfiltered on its first record.
        for (lines.first(); !lines.eof(); lines.next()) {
            fertilizers.setFilter(QString(col::fertilizers::key) + QLatin1Char('=') +
                                  QString::number(fertilizer->asLargeInt()));
            fertilizers.setFiltered(true);
            fertilizers.setFiltered(false);
        }
    }
    // What the window shows follows from what is stored, whoever wrote the
    // stored results last.
    relay([this] { solution_.refresh(); });
}

void CalculatorWindow::FormClose() {
    relay([this] { emit closing(); });
    // With "open the calculator at start-up" set, closing it ends the program.
    DataSet& options = data_.options;
    if (options.isActive() && !options.isEmpty() && options.fieldByName(col::options::autoStart)->asBoolean())
        relay([this] { emit endRequested(); });
}

} // namespace solvane
