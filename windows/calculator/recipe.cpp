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
//
// It also holds the choice of the fit and of the source water.

#include "windows/calculator/calculator_window.h"

#include "core/classic_recipe.h"
#include "core/concentration_sums.h"
#include "core/contribution.h"
#include "core/grower_fit.h"
#include "windows/calculator/mixing_sources.h"
#include "core/rounding.h"
#include "controls/db_grid.h"
#include "controls/widget_building.h"
#include "store/database.h"
#include "store/disabled_source.h"
#include "store/element_rows.h"
#include "store/water_profiles.h"
#include "windows/settings/options.h"
#include "store/row_place.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <limits>
#include <unordered_set>

namespace solvane {

namespace {

constexpr int kClassicFit = 0;
constexpr int kGrowerFit = 1;
// The grower's amounts show with four significant digits; the classic ones
// with up to fifteen, as every number.
constexpr int kGrowerDigits = 4;
constexpr int kAllDigits = 15;

DataSet* OptionsRow(Database& data) {
    DataSet& options = data.options;
    return options.isActive() && !options.isEmpty() ? &options : nullptr;
}

} // namespace

void CalculatorWindow::buildRecipe() {
    // The grids stay on the rows the user was on: the walks below move the
    // cursors, and the rows are found again by key at the end.
    data_.composition.checkBrowseMode();
    data_.targets.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(data_.composition, kLineKey);
    const RowPlace targetAt = RowPlace::of(data_.targets, kTargetKey);

    // Rows with no target are never fitted: they go first (each removal runs
    // this recipe again, which finds none left), so the amounts do not depend
    // on how many such rows came and went.
    removeZeroTargets();

    if (fitMode() == kGrowerFit)
        fitGrowerAmounts();
    else
        fitClassicAmounts();

    calculate();
    lineAt.returnTo(data_.composition, kLineKey);
    targetAt.returnTo(data_.targets, kTargetKey);
}

void CalculatorWindow::fitClassicAmounts() {
    DataSet& fertilizers = data_.fertilizers;
    DataSet& composition = data_.composition;
    DataSet& targets = data_.targets;
    const int n = composition.recordCount();
    const int m = targets.recordCount();
    if (n > 0) {
        // What the list's filter below settles.
        fertilizers.checkBrowseMode();
        data_.fertilizerContent.checkBrowseMode();
    }
    // Pending edits are settled now; the grids of the sets changed below
    // show the outcome once, at the end.
    const DisabledSource lines(data_.compositionSource);
    const DisabledSource targetGrid(data_.targetsSource);
    const DisabledSource list(data_.fertilizersSource);
    const DisabledSource contentGrid(data_.fertilizerContentSource);

    // The targets, less what the counted water brings: it is not asked of the fertilizers.
    const Field* targetElement = targets.fieldByName(QStringLiteral("id_el"));
    const Field* target = targets.fieldByName(QStringLiteral("vega"));
    std::vector<long long> elements;
    std::vector<double> wanted;
    for (int j = 0; j < m; ++j) {
        elements.push_back(targets.valueAt(j, targetElement).toLongLong());
        const double vega = targets.valueAt(j, target).toDouble();
        const auto water = waterAmounts_.find(elements.back());
        wanted.push_back(water == waterAmounts_.end() ? vega : vega - water->second);
    }

    // Each line's content in element terms; a line without a fertilizer reads
    // as key 0: no fertilizer, no content. A line whose fertilizer was
    // deleted is no unknown of the fit.
    const Field* lineFertilizer = composition.fieldByName(QStringLiteral("id_udobra"));
    std::vector<long long> keys;
    std::vector<bool> fitted;
    for (int i = 0; i < n; ++i) {
        const QVariant key = composition.valueAt(i, lineFertilizer);
        keys.push_back(key.toLongLong());
        fitted.push_back(!LineFertilizerGone(data_, key));
    }
    const auto content = ElementTermsContent(data_, {keys.begin(), keys.end()});
    std::vector<std::vector<ElementShare>> shares;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!fitted[i])
            continue;
        const auto found = content.find(keys[i]);
        shares.push_back(found == content.end() ? std::vector<ElementShare>() : found->second);
    }

    // The fertilizer list ends as the program always left it: filtering off,
    // the filter text on the last line's key, the list on its first record.
    if (n > 0) {
        fertilizers.setFilter(QStringLiteral("id_udobra=") + QString::number(keys.back()));
        if (!fertilizers.isFiltered())
            fertilizers.first();
    }
    fertilizers.setFiltered(false);

    const ClassicRecipe recipe = FitClassicRecipe(elements, wanted, shares);
    singularValueLeftOut_ = recipe.singularValueLeftOut;
    postAmounts(recipe.amounts, fitted);
}

void CalculatorWindow::fitGrowerAmounts() {
    singularValueLeftOut_ = false;
    const DisabledSource lines(data_.compositionSource);

    // The fitted rows: a target above 0 and a weight above 0 (empty counts 1).
    const Field* targetElement = data_.targets.fieldByName(QStringLiteral("id_el"));
    const Field* target = data_.targets.fieldByName(QStringLiteral("vega"));
    const Field* weight = data_.targets.fieldByName(QStringLiteral("weight"));
    std::vector<GrowerFitRow> rows;
    std::vector<long long> rowElements;
    for (int j = 0; j < data_.targets.recordCount(); ++j) {
        const double t = data_.targets.valueAt(j, target).toDouble();
        const QVariant w = data_.targets.valueAt(j, weight);
        const double wj = w.isNull() ? 1.0 : w.toDouble();
        if (!(t > 0.0) || !(wj > 0.0))
            continue;
        const long long element = data_.targets.valueAt(j, targetElement).toLongLong();
        const auto water = waterAmounts_.find(element);
        rows.push_back({t, wj, water == waterAmounts_.end() ? 0.0 : water->second});
        rowElements.push_back(element);
    }

    // Each line's contribution to each fitted row, counted as the
    // calculation counts it, and its limits.
    const Field* lineFertilizer = data_.composition.fieldByName(QStringLiteral("id_udobra"));
    const Field* minimum = data_.composition.fieldByName(QStringLiteral("kol_min"));
    const Field* maximum = data_.composition.fieldByName(QStringLiteral("kol_max"));
    const int n = data_.composition.recordCount();
    std::unordered_set<long long> keys;
    std::vector<bool> fitted;
    for (int i = 0; i < n; ++i) {
        const QVariant key = data_.composition.valueAt(i, lineFertilizer);
        keys.insert(key.toLongLong());
        // A line whose fertilizer was deleted is no unknown of the fit.
        fitted.push_back(!LineFertilizerGone(data_, key));
    }
    const auto content = CalculationContent(data_, keys);
    std::vector<GrowerFitLine> fitLines;
    for (int i = 0; i < n; ++i) {
        if (!fitted[static_cast<size_t>(i)])
            continue;
        GrowerFitLine& line = fitLines.emplace_back();
        const auto found = content.find(data_.composition.valueAt(i, lineFertilizer).toLongLong());
        line.contribution.reserve(rowElements.size());
        for (const long long element : rowElements)
            line.contribution.push_back(found == content.end() ? 0.0 : ContributionPerGram(found->second, element));
        const QVariant low = data_.composition.valueAt(i, minimum);
        const QVariant high = data_.composition.valueAt(i, maximum);
        line.lower = low.isNull() ? 0.0 : std::max(0.0, low.toDouble());
        line.upper = high.isNull() ? std::numeric_limits<double>::infinity() : high.toDouble();
    }

    postAmounts(FitGrowerAmounts(rows, fitLines), fitted);
}

void CalculatorWindow::postAmounts(const std::vector<double>& amounts, const std::vector<bool>& fitted) {
    DataSet& composition = data_.composition;
    Field* const amount = composition.fieldByName(QStringLiteral("kol"));
    size_t i = 0;
    size_t line = 0;
    for (composition.first(); !composition.eof() && i < amounts.size(); composition.next(), ++line) {
        // A line left out of the fit keeps the amount it has.
        if (line < fitted.size() && !fitted[line])
            continue;
        composition.edit();
        amount->setAsFloat(amounts[i++]);
        composition.post();
    }
}

// ---------------------------------------------------------------- the fit and the water chosen

int CalculatorWindow::fitMode() const {
    if (DataSet* options = OptionsRow(data_))
        return options->fieldByName(QStringLiteral("fit_mode"))->asInteger() == kGrowerFit ? kGrowerFit : kClassicFit;
    return sessionFitMode_;
}

QVariant CalculatorWindow::selectedWater() const {
    QVariant profile = sessionWater_;
    if (DataSet* options = OptionsRow(data_))
        profile = options->fieldByName(QStringLiteral("id_water"))->value();
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
    } else if (column == QLatin1String("fit_mode")) {
        sessionFitMode_ = value.toInt();
    } else if (column == QLatin1String("id_kult_last")) {
        sessionCrop_ = value;
    } else {
        sessionWater_ = value;
    }
}

void CalculatorWindow::rememberCrop() {
    DataSet& crops = data_.crops;
    if (!crops.isActive() || crops.isEmpty() || crops.state() == DataSetState::Insert)
        return;
    const QVariant crop = calcFields_.cropKey->value();
    const QString column = QStringLiteral("id_kult_last");
    QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    // Nothing remembered stands for the first crop; the record is written
    // only when the crop changed.
    if (remembered.isNull())
        remembered = crops.valueAt(0, calcFields_.cropKey);
    if (remembered.isNull() || remembered.toLongLong() != crop.toLongLong())
        storeChoice(column, crop);
}

void CalculatorWindow::openOnRememberedCrop() {
    const QString column = QStringLiteral("id_kult_last");
    const QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    RowPlace{remembered, 1}.returnTo(data_.crops, QStringLiteral("id_kult"));
}

void CalculatorWindow::chooseFitMode(int mode) {
    storeChoice(QStringLiteral("fit_mode"), mode);
    applyFitState();
    fitModeBox_->setToolTip(fitModeBox_->currentText());
    buildRecipe();
}

void CalculatorWindow::chooseWater(const QVariant& profile) {
    storeChoice(QStringLiteral("id_water"), profile);
    refreshWater();
    buildRecipe();
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
    {
        const QSignalBlocker blockFit(fitModeBox_);
        fitModeBox_->setCurrentIndex(fitModeBox_->findData(fitMode()));
    }
    fitModeBox_->setToolTip(fitModeBox_->currentText());
    const QVariant selected = selectedWater();
    {
        const QSignalBlocker blockWater(waterBox_);
        waterBox_->clear();
        waterBox_->addItem(QStringLiteral("без учёта воды"), QVariant());
        for (const auto& [key, name] : WaterProfileNames(data_.waterProfiles))
            waterBox_->addItem(name, key);
        waterBox_->setCurrentIndex(selected.isNull() ? 0 : std::max(0, waterBox_->findData(selected)));
    }
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
    waterColumn_->setVisible(!water.isNull());
    if (data_.targets.isActive())
        data_.targets.refresh();
}

void CalculatorWindow::applyFitState() {
    const bool grower = fitMode() == kGrowerFit;
    // The classic fit knows no weights and no limits.
    for (DBGridColumn* column : {weightColumn_, minimumColumn_, maximumColumn_})
        column->setEnabled(grower);
    // The grower's unrounded amounts, and the saved lines made of them, show
    // four significant digits.
    for (DBGridColumn* column : {amountColumn_, savedAmountColumn_, litresAmountColumn_})
        column->setSignificantDigits(grower ? kGrowerDigits : kAllDigits);
}

QString CalculatorWindow::amountLimitRefusal(const QVariant& value, bool minimum) const {
    if (value.isNull() || !data_.composition.isActive() || data_.composition.isEmpty())
        return {};
    const QVariant other =
        data_.composition.fieldByName(minimum ? QStringLiteral("kol_max") : QStringLiteral("kol_min"))->value();
    if (other.isNull())
        return {};
    const bool above = minimum ? value.toDouble() > other.toDouble() : other.toDouble() > value.toDouble();
    return above ? QStringLiteral("Минимум больше максимума") : QString();
}

void CalculatorWindow::buildFitChoice(QWidget* parent, QVBoxLayout* layout) {
    auto* panel = MakePanel(QStringLiteral("PanelFit"), parent);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 2);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    auto* fitLabel = MakeLabel(QStringLiteral("LabelFit"), QStringLiteral("Подбор:"), panel);
    fitModeBox_ = new QComboBox(panel);
    fitModeBox_->setObjectName(QStringLiteral("FitModeBox"));
    fitModeBox_->setAccessibleName(QStringLiteral("Подбор:"));
    fitModeBox_->addItem(QStringLiteral("Без отрицательных, по относительной ошибке"), kGrowerFit);
    fitModeBox_->addItem(QStringLiteral("Классический (МНК)"), kClassicFit);
    // Each drop-down is as wide as its longest item, which it shows whole.
    fitModeBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fitLabel->setBuddy(fitModeBox_);
    auto* waterLabel = MakeLabel(QStringLiteral("LabelWater"), QStringLiteral("Вода:"), panel);
    waterBox_ = new QComboBox(panel);
    waterBox_->setObjectName(QStringLiteral("WaterBox"));
    waterBox_->setAccessibleName(QStringLiteral("Вода:"));
    waterBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    waterLabel->setBuddy(waterBox_);
    waterButton_ =
        MakeHintedButton(QStringLiteral("WaterButton"), QStringLiteral("..."), QStringLiteral("Исходная вода"), panel);
    waterButton_->setFixedWidth(24);
    grid->addWidget(fitLabel, 0, 0);
    grid->addWidget(fitModeBox_, 0, 1, 1, 2);
    grid->addWidget(waterLabel, 1, 0);
    grid->addWidget(waterBox_, 1, 1);
    grid->addWidget(waterButton_, 1, 2);
    grid->setColumnStretch(3, 1);
    layout->addWidget(panel);
}

} // namespace solvane
