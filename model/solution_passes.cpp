// SPDX-License-Identifier: GPL-3.0-or-later
// The working solution's passes (the recipe, the calculation, the saved
// solution's), the choices they depend on (the fit, the water, the crop), and
// what the mixing tools read.
//
// The automatic recipe fits the amounts of the composition's fertilizers to
// the current crop's vegetative targets, then calculates the concentrations:
// - the classic fit (0) solves the least-squares system of the content
//   matrix: one row per target row and one column per composition line; an
//   entry is the content, in element terms, of the row's element in the
//   line's fertilizer, taken from the last content row that counts toward
//   that element (contents are not added up); the last column holds the
//   targets, less what the counted water brings. Since 1 g/l of a p %
//   content gives 10 p mg/l, the solution is ten times the amount in grams
//   per litre, rounded to 0.001 g/l.
// - the grower's (1) minimises the weighted relative errors of the
//   concentrations the calculation then shows, water included, with every
//   amount within its line's limits (never below 0); the amounts are stored
//   unrounded.
// - the cheapest (2) minimises the cost of the amounts, within the same
//   limits, with every fitted row within its tolerance; when it cannot run
//   the grower's fit gives the amounts, and the fit's message says why.

#include "model/working_solution.h"

#include "core/concentration_sums.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/element_rows.h"
#include "store/row_writes.h"
#include "store/table_rows.h"
#include "store/water_profiles.h"

namespace solvane {

// ---------------------------------------------------------------- the passes

void WorkingSolution::settleEdits() {
    data_.composition.checkBrowseMode();
    data_.targets.checkBrowseMode();
}

void WorkingSolution::fitPass(SolutionInputs& in, ShownPass& pass) {
    singularValueLeftOut_ = fit(in);
    pass.fitted = true;
    pass.fitJudged = true;
}

void WorkingSolution::finishWithComposition(SolutionInputs& in, ShownPass& pass) {
    compositionShown_ = true;
    postResults(in, in.lines);
    pass.lines = in.lines;
    pass.in = std::move(in);
    emit passFinished(pass);
}

void WorkingSolution::announceFigures(ShownPass pass) {
    // What is being typed counts.
    data_.targets.checkBrowseMode();
    data_.composition.checkBrowseMode();
    pass.in = inputs();
    pass.composition = compositionShown_;
    pass.lines = compositionShown_ ? pass.in.lines : savedLines();
    emit passFinished(pass);
}

void WorkingSolution::recipe() {
    settleEdits();
    // Rows with no target are never fitted: they go first, so that the
    // amounts do not depend on how many such rows came and went.
    removeMissingTargets();
    SolutionInputs in = inputs();
    ShownPass pass;
    fitPass(in, pass);
    finishWithComposition(in, pass);
}

void WorkingSolution::calculation() {
    settleEdits();
    // A row left without a target goes, and the amounts are fitted without it.
    const bool removed = removeMissingTargets();
    SolutionInputs in = inputs();
    ShownPass pass;
    if (removed) {
        fitPass(in, pass);
    } else {
        explainFit(in);
        pass.fitJudged = true;
    }
    finishWithComposition(in, pass);
}

void WorkingSolution::savedSolutionPass() {
    data_.savedLines.checkBrowseMode();
    data_.targets.checkBrowseMode();
    // A row left without a target goes, and the amounts are fitted without it.
    const bool removed = removeMissingTargets();
    SolutionInputs in = inputs();
    ShownPass pass;
    if (removed)
        fitPass(in, pass);
    compositionShown_ = false;
    postResults(in, savedLines());
    pass.savedPosted = true;
    announceFigures(std::move(pass));
}

void WorkingSolution::refresh() {
    if (!data_.targets.isActive() || !data_.composition.isActive())
        return;
    if (!compositionShown_ && data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty())
        savedSolutionPass();
    else
        calculation();
}

void WorkingSolution::figures() {
    announceFigures(ShownPass());
}

void WorkingSolution::targetStored() {
    if (removeMissingTargets())
        recipe();
}

void WorkingSolution::cropChosen() {
    data_.targets.checkBrowseMode();
    if (completeTargets())
        recipe();
}

// ---------------------------------------------------------------- what the mixing tools read

SolutionIons WorkingSolution::shownIons() const {
    const SolutionInputs in = inputs();
    return IonsOfSolution(in, compositionShown_ ? in.lines : savedLines());
}

SourceLines WorkingSolution::mixingLines(bool composition) const {
    const SolutionInputs in = inputs();
    const bool saved = data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty();
    const std::vector<LineRecord> lines = composition ? in.lines : saved ? savedLines() : std::vector<LineRecord>();
    SourceLines out;
    out.lines = MixingLines(in, lines);
    for (const LineRecord& line : lines)
        out.keys.push_back(line.fertilizer.value_or(0));
    return out;
}

std::vector<LineRecord> WorkingSolution::addedLines() const {
    std::vector<LineRecord> added;
    for (const LineRecord& line : inputs().lines)
        if (line.derived)
            added.push_back(line);
    return added;
}

// ---------------------------------------------------------------- the fit, the water and the crop chosen

int WorkingSolution::fitMode() const {
    return data_.optionsStore().fitMode();
}

QVariant WorkingSolution::water() const {
    const QVariant profile = data_.optionsStore().water();
    if (profile.isNull())
        return {};
    // A profile that is no longer there counts as none.
    for (const auto& [key, name] : WaterProfileNames(data_.waterProfiles))
        if (key.toLongLong() == profile.toLongLong())
            return key;
    return {};
}

void WorkingSolution::chooseWater(const QVariant& profile) {
    data_.optionsStore().setWater(profile);
}

bool WorkingSolution::readWater() {
    std::unordered_map<long long, double> profile;
    for (const auto& [element, amount] : WaterOfProfile(data_.waterElements, water()))
        profile[element] = amount;
    // A form's water counts toward its total's row as well.
    std::unordered_map<long long, double> amounts = WaterWithFormTotals(profile, FormTotalsOf(data_.elements));
    const bool changed = amounts != water_;
    water_ = std::move(amounts);
    sourceWater_ = std::move(profile);
    return changed;
}

QVariant WorkingSolution::rememberedCrop() const {
    return data_.optionsStore().lastCrop();
}

void WorkingSolution::rememberCrop() {
    DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty() || crops.state() == DataSetState::Insert)
        return;
    const QVariant crop = currentCrop();
    QVariant remembered = rememberedCrop();
    // Nothing remembered stands for the first crop.
    if (remembered.isNull())
        remembered = crops.valueAt(0, crops.fieldByName(col::crops::key));
    if (remembered.isNull() || remembered.toLongLong() != crop.toLongLong())
        data_.optionsStore().setLastCrop(crop);
}

std::optional<double> WorkingSolution::cropEc() const {
    const DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty())
        return std::nullopt;
    const Field* ec = crops.fieldByName(col::crops::ec);
    if (!ec || ec->value().isNull() || !(ec->value().toDouble() > 0.0))
        return std::nullopt;
    return ec->value().toDouble();
}

std::optional<double> WorkingSolution::ecTargetFactor(double ec) {
    settleEdits();
    return EcTargetFactor(inputs(), ec);
}

void WorkingSolution::scaleTargets(double factor) {
    std::vector<RowUpdate> rows;
    for (const TargetRecord& target : TargetRecords(data_.targets.shownRows()))
        if (target.vega)
            rows.push_back({target.key, {{QString(col::targets::vega), *target.vega * factor}}});
    UpdateRows(data_.connection(), col::targets::table, rows);
    recipe();
}

} // namespace solvane
