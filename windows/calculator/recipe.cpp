// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic recipe: the amounts of the composition's fertilizers that
// bring the current crop's target elements closest to their vegetative
// targets, followed by the concentration calculation. Two fits:
//
// - the classic one (fit 0) solves the least-squares system of the content
//   matrix: one row per target row and one column per composition line; an
//   entry is the content, in element terms, of the row's element in the
//   line's fertilizer, taken from the last content row that counts toward
//   that element (contents are not added up); the last column holds the
//   targets, less what the counted water brings. Since 1 g/l of a p %
//   content gives 10 p mg/l, the solution is ten times the amount in grams
//   per litre, rounded to 0.001 g/l.
// - the grower's (fit 1) minimises the weighted relative errors of the
//   concentrations the calculation then shows, water included, with every
//   amount within its line's limits (never below 0); the amounts are stored
//   unrounded.
// - the cheapest (fit 2) minimises the cost of the amounts, within the same
//   limits, with every fitted row within its tolerance; when it cannot run
//   the grower's fit gives the amounts and the label under "Подбор:" says why.
//
// It also holds the fit and the source water chosen (the drop-downs are
// the fit choice panel's).

#include "windows/calculator/calculator_window.h"

#include "core/concentration_sums.h"
#include "controls/db_grid.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/element_rows.h"
#include "store/water_profiles.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/fit_choice_panel.h"
#include "windows/settings/options.h"
#include "store/row_place.h"

#include <limits>
#include <unordered_set>

namespace solvane {

namespace {

DataSet* OptionsRow(Database& data) {
    DataSet& options = data.options;
    return options.isActive() && !options.isEmpty() ? &options : nullptr;
}

} // namespace

void CalculatorWindow::buildRecipe() {
    data_.composition.checkBrowseMode();
    data_.targets.checkBrowseMode();
    // Rows with no target are never fitted: they go first, so that the
    // amounts do not depend on how many such rows came and went.
    solution_.removeMissingTargets();
    SolutionInputs in = solution_.inputs();
    fitAmounts(in);
    showComposition(in);
}

void CalculatorWindow::fitAmounts(SolutionInputs& in) {
    if (fitMode() == kClassicFit)
        fertilizerPane_->leaveListAsBefore();
    singularValueLeftOut_ = solution_.fit(in);
    fitChoice_->showFitMessage(solution_.fitMessage());
}

// ---------------------------------------------------------------- the fit and the water chosen

int CalculatorWindow::fitMode() const {
    return data_.optionsStore().fitMode();
}

QVariant CalculatorWindow::selectedWater() const {
    QVariant profile = sessionWater_;
    if (DataSet* options = OptionsRow(data_))
        profile = options->fieldByName(col::options::water)->value();
    if (profile.isNull())
        return {};
    // A profile that is no longer there counts as none.
    for (const auto& [key, name] : WaterProfileNames(data_.waterProfiles))
        if (key.toLongLong() == profile.toLongLong())
            return key;
    return {};
}

void CalculatorWindow::storeChoice(const QString& column, const QVariant& value) {
    if (DataSet* options = OptionsRow(data_)) {
        options->edit();
        options->fieldByName(column)->setValue(value);
        options->post();
    } else if (column == col::options::lastCrop) {
        sessionCrop_ = value;
    } else {
        sessionWater_ = value;
    }
}

void CalculatorWindow::rememberCrop() {
    DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty() || crops.state() == DataSetState::Insert)
        return;
    const QVariant crop = cropKey_->value();
    const QString column = col::options::lastCrop;
    QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    // Nothing remembered stands for the first crop; the record is written
    // only when the crop changed.
    if (remembered.isNull())
        remembered = crops.valueAt(0, cropKey_);
    if (remembered.isNull() || remembered.toLongLong() != crop.toLongLong())
        storeChoice(column, crop);
}

void CalculatorWindow::openOnRememberedCrop() {
    const QString column = col::options::lastCrop;
    const QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    RowPlace{remembered, 1}.returnTo(data_.crops, col::crops::key);
}

void CalculatorWindow::waterProfilesChanged() {
    const std::unordered_map<long long, double> before = waterAmounts_;
    showFitChoice();
    if (!data_.targets.isActive())
        return;
    if (waterAmounts_ != before)
        buildRecipe();
    else
        refreshResults();
}

void CalculatorWindow::showFitChoice() {
    fitChoice_->showChoice(fitMode(), selectedWater());
    refreshWater();
    applyFitState();
}

void CalculatorWindow::refreshWater() {
    const QVariant water = selectedWater();
    waterAmounts_.clear();
    std::unordered_map<long long, double> profile;
    for (const auto& [element, amount] : WaterOfProfile(data_.waterElements, water))
        profile[element] = amount;
    // A form's water counts toward its total's row as well.
    waterAmounts_ = WaterWithFormTotals(profile, FormTotalsOf(data_.elements));
    solution_.setWater(waterAmounts_);
    solution_.setSourceWater(profile);
    concentrations_->showWaterColumn(!water.isNull());
    if (data_.targets.isActive())
        data_.targets.refresh();
}

void CalculatorWindow::applyFitState() {
    const int fit = fitMode();
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

} // namespace solvane
