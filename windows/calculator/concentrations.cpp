// SPDX-License-Identifier: GPL-3.0-or-later
// The concentration calculation of the calculator: the element concentrations
// that the composition gives for the current crop's target rows, their
// rounding and the figures under them.
//
// The figures are the working solution's (model/working_solution.h): it reads
// the rows, computes them and posts each target row's result once; this side
// hands the totals to their strips.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "core/concentration_sums.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/disabled_source.h"
#include "store/row_place.h"
#include "store/row_writes.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/fit_choice_panel.h"
#include "windows/calculator/mixing_sources.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/calculator/totals_strips.h"

#include <algorithm>
#include <unordered_set>

namespace solvane {

// ---------------------------------------------------------------- calculation

void CalculatorWindow::calculate() {
    data_.composition.checkBrowseMode();
    data_.targets.checkBrowseMode();
    // A row left without a target goes, and the amounts are fitted without it.
    const bool removed = solution_.removeMissingTargets();
    SolutionInputs in = solution_.inputs();
    if (removed) {
        fitAmounts(in);
    } else {
        solution_.explainFit(in);
        fitChoice_->showFitMessage(solution_.fitMessage());
    }
    showComposition(in);
}

void CalculatorWindow::showComposition(SolutionInputs& in) {
    compositionShown_ = true;
    solution_.postResults(in, in.lines);
    showFigures(in, in.lines, 1000.0);
}

void CalculatorWindow::refreshResults() {
    if (!data_.targets.isActive() || !data_.composition.isActive())
        return;
    if (!compositionShown_ && data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty())
        calculateSavedSolution();
    else
        calculate();
}

CalculatorWindow::Place CalculatorWindow::place() {
    return {RowPlace::of(data_.crops, col::crops::key), RowPlace::of(data_.savedSolutions, col::solutions::key),
            RowPlace::of(data_.composition, kLineKey)};
}

void CalculatorWindow::returnTo(const Place& place) {
    // The crop first: its saved solutions follow it.
    place.crop.returnTo(data_.crops, col::crops::key);
    place.solution.returnTo(data_.savedSolutions, col::solutions::key);
    place.line.returnTo(data_.composition, kLineKey);
}

void CalculatorWindow::updateTotals() {
    // What is being typed counts.
    data_.targets.checkBrowseMode();
    data_.composition.checkBrowseMode();
    const SolutionInputs in = solution_.inputs();
    if (compositionShown_)
        showFigures(in, in.lines, 1000.0);
    else
        showFigures(in, solution_.savedLines(), savedPane_->litres());
}

void CalculatorWindow::showFigures(const SolutionInputs& in, const std::vector<LineRecord>& lines, double litres) {
    TotalsStrips* totals = concentrations_->totals();
    totals->showTotals(solution_.totals(in));
    const std::optional<double> wanted = cropEc();
    // "Под EC" scales the targets for the composition's lines.
    const bool ecFitAllowed = wanted.has_value() && compositionShown_ && !solution_.compositionLines().empty();
    totals->showSolutionFigures(in, lines, litres, wanted, ecFitAllowed);
    fitChoice_->showAcidDose(in.acidLabel);
    compositionPane_->showAcidLine(in);
    savedPane_->showSavedMillilitres(in);
}

SolutionIons CalculatorWindow::shownIons() const {
    const SolutionInputs in = solution_.inputs();
    return IonsOfSolution(in, compositionShown_ ? in.lines : solution_.savedLines());
}

std::optional<double> CalculatorWindow::cropEc() const {
    const DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty())
        return std::nullopt;
    const Field* ec = crops.fieldByName(col::crops::ec);
    if (!ec || ec->value().isNull() || !(ec->value().toDouble() > 0.0))
        return std::nullopt;
    return ec->value().toDouble();
}

void CalculatorWindow::fitTargetsToCropEc() {
    const std::optional<double> wanted = cropEc();
    if (!wanted)
        return;
    data_.composition.checkBrowseMode();
    data_.targets.checkBrowseMode();
    const SolutionInputs in = solution_.inputs();
    const std::optional<double> factor = EcTargetFactor(in, *wanted);
    MessageService& messages = guard().messages();
    const QString ec = FormatDecimals(*wanted, 2) + QStringLiteral(" мСм/см");
    if (!factor) {
        messages.show(this, MessageKind::Warning, QStringLiteral("Под EC"),
                      QStringLiteral("EC ") + ec + QStringLiteral(" недостижима этими удобрениями"),
                      MessageButtons::Ok);
        return;
    }
    if (messages.show(this, MessageKind::Confirmation, QStringLiteral("Под EC"),
                      QStringLiteral("Умножить цели культуры на ") + FormatDecimals(*factor, 2) +
                          QStringLiteral(", чтобы EC стала ") + ec + QLatin1Char('?'),
                      MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    // The targets times the factor, unrounded, as one write; then the recipe.
    std::vector<RowUpdate> rows;
    for (const TargetRecord& target : in.targets)
        if (target.vega)
            rows.push_back({target.key, {{QString(col::targets::vega), *target.vega * *factor}}});
    UpdateRows(data_.connection(), col::targets::table, rows);
    buildRecipe();
}

} // namespace solvane
