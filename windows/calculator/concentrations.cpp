// SPDX-License-Identifier: GPL-3.0-or-later
// The concentration calculation of the calculator: the element concentrations
// that the composition gives for the current crop's target rows, their
// rounding, the totals strips, the strength percentage and the recalculation
// timer.
//
// The sums themselves are the core's (ConcentrationsOf); this side reads the
// rows, and posts each target row's result once.
//
// Re-entry. Every post of a target row runs the zero-target rule, which
// deletes a row whose target is 0 or empty and, through the deletion, runs the
// recipe and a nested calculation. So that every calculation is one complete
// pass over the rows that remain, the zero-target rows are removed before the
// results are posted (each removal may run the recipe and its own
// calculation, which finds none left); the posts then go to a list in which no
// post deletes anything. The nesting is bounded by the number of zero-target
// rows.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "core/concentration_sums.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "store/database.h"
#include "store/disabled_source.h"
#include "store/row_place.h"
#include "windows/calculator/mixing_sources.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <unordered_set>

namespace solvane {

namespace {

constexpr int kRecalculationDelayMs = 1500;
constexpr int kFullStrength = 100;

QString TotalText(double sum) {
    return QStringLiteral("   ") + FormatNumber(RoundToDecimals(sum, 2));
}

} // namespace

void CalculatorWindow::installCalculation() {
    calcFields_.vega = data_.targets.fieldByName(QStringLiteral("vega"));
    calcFields_.cvet = data_.targets.fieldByName(QStringLiteral("cvet"));
    calcFields_.rachet = data_.targets.fieldByName(QStringLiteral("rachet"));
    calcFields_.vagaCalc = data_.targets.fieldByName(QStringLiteral("vaga_calc"));
    calcFields_.cvetCalc = data_.targets.fieldByName(QStringLiteral("cvet_calc"));
    calcFields_.rPr = data_.targets.fieldByName(QStringLiteral("r_pr"));
    calcFields_.targetElement = data_.targets.fieldByName(QStringLiteral("id_el"));
    calcFields_.water = data_.targets.fieldByName(QStringLiteral("voda"));
    calcFields_.kol = data_.composition.fieldByName(QStringLiteral("kol"));
    calcFields_.kolPr = data_.composition.fieldByName(QStringLiteral("kol_pr"));
    calcFields_.lineKol = data_.savedLines.fieldByName(QStringLiteral("kol"));
    calcFields_.lineKolTemp = data_.savedLines.fieldByName(QStringLiteral("kol_temp"));
    calcFields_.headerLitres = data_.savedSolutions.fieldByName(QStringLiteral("kol_l"));
    calcFields_.cropKey = data_.crops.fieldByName(QStringLiteral("id_kult"));
    data_.targets.onCalcFields = [this](DataSet&) { targetCalcFields(); };
    data_.composition.onCalcFields = [this](DataSet&) { compositionCalcFields(); };
    recalculationTimer_->setSingleShot(true);
    recalculationTimer_->setInterval(kRecalculationDelayMs);
}

// ---------------------------------------------------------------- calculation

void CalculatorWindow::calculate() {
    const Bookmark crop = data_.crops.isActive() ? data_.crops.bookmark() : kNoBookmark;
    data_.composition.checkBrowseMode();
    // A target being typed is settled first (its post may delete it), then the
    // zero-target rows go, so that no post in the loops below deletes a row.
    data_.targets.checkBrowseMode();
    // The lists end on the rows they were on, found again by key.
    const RowPlace lineAt = RowPlace::of(data_.composition, kLineKey);
    const RowPlace targetAt = RowPlace::of(data_.targets, kTargetKey);
    removeZeroTargets();
    {
        const DisabledSource targetGrid(data_.targetsSource);
        const DisabledSource lines(data_.compositionSource);
        compositionShown_ = true;
        postConcentrations(data_.composition);
        returnToCrop(crop);
    }
    updateTotals();
    lineAt.returnTo(data_.composition, kLineKey);
    targetAt.returnTo(data_.targets, kTargetKey);
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
    return {RowPlace::of(data_.crops, QStringLiteral("id_kult")),
            RowPlace::of(data_.savedSolutions, QStringLiteral("id_head_rar")),
            RowPlace::of(data_.composition, kLineKey)};
}

void CalculatorWindow::returnTo(const Place& place) {
    // The crop first: its saved solutions follow it.
    place.crop.returnTo(data_.crops, QStringLiteral("id_kult"));
    place.solution.returnTo(data_.savedSolutions, QStringLiteral("id_head_rar"));
    place.line.returnTo(data_.composition, kLineKey);
}

// What the lines (the composition or a saved solution's lines) give each
// target row of the crop, the counted water included, rounded to 4 places:
// one post per row.
void CalculatorWindow::postConcentrations(DataSet& lines) {
    const Field* amount = lines.fieldByName(QStringLiteral("kol"));
    const Field* fertilizer = lines.fieldByName(QStringLiteral("id_udobra"));
    std::unordered_set<long long> keys;
    const int count = lines.recordCount();
    for (int i = 0; i < count; ++i)
        keys.insert(lines.valueAt(i, fertilizer).toLongLong());
    const auto content = CalculationContent(data_, keys);
    std::vector<ConcentrationLine> solution(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ConcentrationLine& line = solution[static_cast<size_t>(i)];
        line.grams = lines.valueAt(i, amount).toDouble();
        if (const auto found = content.find(lines.valueAt(i, fertilizer).toLongLong()); found != content.end())
            line.content = found->second;
    }

    DataSet& targets = data_.targets;
    const Field* element = targets.fieldByName(QStringLiteral("id_el"));
    std::vector<long long> elements;
    for (int j = 0; j < targets.recordCount(); ++j)
        elements.push_back(targets.valueAt(j, element).toLongLong());
    const std::vector<double> results = ConcentrationsOf(elements, solution, waterAmounts_);

    Field* const result = targets.fieldByName(QStringLiteral("rachet"));
    size_t j = 0;
    for (targets.first(); !targets.eof(); targets.next(), ++j) {
        // A result that is stored already is not written again.
        if (!result->isNull() && result->asFloat() == results[j])
            continue;
        targets.edit();
        result->setAsFloat(results[j]);
        targets.post();
    }
}

// Back to the remembered crop, without settling a crop row being typed.
void CalculatorWindow::returnToCrop(Bookmark crop) {
    if (data_.crops.isActive() && data_.crops.state() == DataSetState::Browse && data_.crops.bookmarkValid(crop) &&
        data_.crops.bookmark() != crop)
        data_.crops.gotoBookmark(crop);
}

void CalculatorWindow::updateTotals() {
    DataSet& options = data_.options;
    const auto option = [&options](const char* name) {
        return options.isActive() && !options.isEmpty() && options.fieldByName(QString::fromLatin1(name))->asBoolean();
    };

    data_.targets.checkBrowseMode();
    data_.composition.checkBrowseMode();
    // Both sets end on the rows they were on; their grids show that once.
    const RowPlace lineAt = RowPlace::of(data_.composition, kLineKey);
    const RowPlace targetAt = RowPlace::of(data_.targets, kTargetKey);
    const DisabledSource targetGrid(data_.targetsSource);
    const DisabledSource lines(data_.compositionSource);

    double results = 0, resultsAtStrength = 0, targets = 0, flowering = 0;
    data_.targets.first();
    if (option("ppm1")) {
        Field* const result = data_.targets.fieldByName(QStringLiteral("rachet"));
        Field* const target = data_.targets.fieldByName(QStringLiteral("vaga_calc"));
        Field* const floweringTarget = data_.targets.fieldByName(QStringLiteral("cvet_calc"));
        Field* const resultAtStrength = data_.targets.fieldByName(QStringLiteral("r_pr"));
        for (; !data_.targets.eof(); data_.targets.next()) {
            results += result->asFloat();
            targets += target->asFloat();
            flowering += floweringTarget->asFloat();
            resultsAtStrength += resultAtStrength->asFloat();
        }
    }

    double ppm = 0, ppmAtStrength = 0;
    data_.composition.first();
    if (option("ppm2")) {
        Field* const figure = data_.composition.fieldByName(QStringLiteral("ppm"));
        Field* const amount = data_.composition.fieldByName(QStringLiteral("kol"));
        Field* const amountAtStrength = data_.composition.fieldByName(QStringLiteral("kol_pr"));
        for (; !data_.composition.eof(); data_.composition.next()) {
            ppm += figure->asFloat() * amount->asFloat();
            ppmAtStrength += figure->asFloat() * amountAtStrength->asFloat();
        }
    }
    lineAt.returnTo(data_.composition, kLineKey);
    targetAt.returnTo(data_.targets, kTargetKey);

    resultsTotal_->setText(TotalText(results));
    targetsTotal_->setText(TotalText(targets));
    floweringTotal_->setText(TotalText(flowering));
    resultsTotalAtStrength_->setText(TotalText(resultsAtStrength));
    ppmTotal_->setText(TotalText(ppm));
    ppmTotalAtStrength_->setText(TotalText(ppmAtStrength));
}

// ---------------------------------------------------------------- calculated fields

void CalculatorWindow::targetCalcFields() {
    const CalculationFields& f = calcFields_;
    if (!f.vega)
        return;
    const double p = strength();
    f.vagaCalc->setAsFloat(RoundToDecimals((f.vega->asFloat() / 100.0) * p, 2));
    f.cvetCalc->setAsFloat(RoundToDecimals((f.cvet->asFloat() / 100.0) * p, 2));
    f.rPr->setAsFloat((f.rachet->asFloat() / 100.0) * p);
    // What the counted source water brings of the row's element; empty without water.
    const auto water = waterAmounts_.find(f.targetElement->asLargeInt());
    f.water->setValue(water == waterAmounts_.end() ? QVariant() : QVariant(water->second));
}

void CalculatorWindow::compositionCalcFields() {
    const CalculationFields& f = calcFields_;
    if (!f.kol)
        return;
    f.kolPr->setAsFloat((f.kol->asFloat() / 100.0) * strength());
}

// ---------------------------------------------------------------- strength

QString CalculatorWindow::strengthText() const {
    return strengthBox_->text();
}

int CalculatorWindow::strength() const {
    return strengthSlider_ ? strengthSlider_->value() : kFullStrength;
}

namespace {
QString StrengthCaption(int percent) {
    return QStringLiteral("Концентрация %1 %").arg(percent);
}
} // namespace

// The calculated fields of both sets depend on the strength: they are
// recomputed and the grids shown anew (refreshing settles a pending edit, as
// the moves of the totals do anyway).
void CalculatorWindow::strengthSliderMoved() {
    const int p = strength();
    {
        // The box shows the value; its own change handler has nothing to add.
        const QSignalBlocker blocker(strengthBox_);
        strengthBox_->setText(QString::number(p));
    }
    strengthGroup_->setTitle(StrengthCaption(p));
    data_.composition.refresh();
    data_.targets.refresh();
    updateTotals();
}

void CalculatorWindow::strengthTextChanged() {
    const QString text = strengthBox_->text();
    if (!text.isEmpty()) {
        const int typed = ParseInteger(text);
        const int before = strengthSlider_->value();
        {
            const QSignalBlocker blocker(strengthSlider_);
            strengthSlider_->setValue(typed); // the slider clamps it to its range
        }
        if (strengthSlider_->value() != before)
            strengthSliderMoved();
    }
    strengthGroup_->setTitle(StrengthCaption(strength()));
    data_.composition.refresh();
    data_.targets.refresh();
    updateTotals();
}

void CalculatorWindow::setStrengthMaximum(int maximum) {
    if (maximum <= strengthSlider_->minimum())
        return;
    const int before = strengthSlider_->value();
    {
        const QSignalBlocker blocker(strengthSlider_);
        strengthSlider_->setRange(0, maximum);
    }
    if (before > maximum)
        strengthSliderMoved();
}

// ---------------------------------------------------------------- recalculation timer

void CalculatorWindow::setRecalculationDelay(int milliseconds) {
    recalculationTimer_->setInterval(milliseconds);
}

void CalculatorWindow::armRecalculation() {
    // A burst of edits fires once, 1500 ms after the first of them.
    if (!recalculationTimer_->isActive())
        recalculationTimer_->start();
}

bool CalculatorWindow::cellBeingEdited() const {
    return targetGrid_->isEditing() || compositionGrid_->isEditing();
}

void CalculatorWindow::recalculationDue() {
    // A target or an amount still being typed is not cut short: the
    // recalculation waits for its edit to end (cellEditorClosed).
    if (cellBeingEdited()) {
        recalculationTimer_->stop();
        recalculationWaiting_ = true;
        return;
    }
    recalculate();
}

void CalculatorWindow::recalculate() {
    recalculationWaiting_ = false;
    // The post may delete the row (zero-target rule), which runs the recipe too.
    data_.targets.checkBrowseMode();
    buildRecipe();
    recalculationTimer_->stop();
}

bool CalculatorWindow::recalculationPending() const {
    return recalculationTimer_->isActive() || recalculationWaiting_;
}

void CalculatorWindow::cellEditorClosed() {
    if (!recalculationWaiting_ || cellBeingEdited())
        return;
    // After the closing editor's value is in its field.
    QTimer::singleShot(0, this, [this] {
        if (recalculationWaiting_ && !cellBeingEdited())
            runGuarded([this] { recalculate(); });
    });
}

} // namespace solvane
