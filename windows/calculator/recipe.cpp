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
// It also holds the choice of the fit and of the source water.

#include "windows/calculator/calculator_window.h"

#include "core/concentration_sums.h"
#include "controls/db_grid.h"
#include "controls/widget_building.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/element_rows.h"
#include "store/water_profiles.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/fertilizer_pane.h"
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
    showFitMessage();
}

void CalculatorWindow::showFitMessage() {
    const QString& message = solution_.fitMessage();
    fitMessage_->setText(message);
    fitMessage_->setAccessibleDescription(message);
    fitMessage_->setVisible(!message.isEmpty());
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
    const QVariant crop = calcFields_.cropKey->value();
    const QString column = col::options::lastCrop;
    QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    // Nothing remembered stands for the first crop; the record is written
    // only when the crop changed.
    if (remembered.isNull())
        remembered = crops.valueAt(0, calcFields_.cropKey);
    if (remembered.isNull() || remembered.toLongLong() != crop.toLongLong())
        storeChoice(column, crop);
}

void CalculatorWindow::openOnRememberedCrop() {
    const QString column = col::options::lastCrop;
    const QVariant remembered = OptionsRow(data_) ? OptionsRow(data_)->fieldByName(column)->value() : sessionCrop_;
    RowPlace{remembered, 1}.returnTo(data_.crops, col::crops::key);
}

void CalculatorWindow::chooseFitMode(int mode) {
    data_.optionsStore().setFitMode(mode);
    applyFitState();
    fitModeBox_->setToolTip(fitModeBox_->currentText());
    buildRecipe();
}

void CalculatorWindow::chooseWater(const QVariant& profile) {
    storeChoice(col::options::water, profile);
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
    showAcidChoice();
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
    for (DBGridColumn* column : {minimumColumn_, maximumColumn_})
        column->setEnabled(fit != kClassicFit);
    concentrations_->showFitColumns(fit != kClassicFit, fit == kCheapestFit);
    // Nor the acid, whose line is an amount fixed at its dose.
    acidBox_->setEnabled(fit != kClassicFit);
    // The fitted unrounded amounts, and the saved lines made of them, show
    // four significant digits.
    for (DBGridColumn* column : {amountColumn_, savedAmountColumn_, litresAmountColumn_})
        column->setSignificantDigits(AmountDigits(fit));
}

QString CalculatorWindow::amountLimitRefusal(const QVariant& value, bool minimum) const {
    if (value.isNull() || !data_.composition.isActive() || data_.composition.isEmpty())
        return {};
    const QVariant other = data_.composition.fieldByName(minimum ? col::lines::maximum : col::lines::minimum)->value();
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
    fitModeBox_->addItem(QStringLiteral("Дешевле всего в пределах допуска"), kCheapestFit);
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
    // Why the cheapest fit gave way, under the fit, while it has a reason.
    fitMessage_ = MakeLabel(QStringLiteral("LabelFitMessage"), QString(), panel);
    fitMessage_->setAccessibleName(QStringLiteral("Сообщение подбора"));
    fitMessage_->setWordWrap(true);
    fitMessage_->setVisible(false);
    grid->addWidget(fitLabel, 0, 0);
    grid->addWidget(fitModeBox_, 0, 1, 1, 2);
    grid->addWidget(fitMessage_, 1, 1, 1, 3);
    grid->addWidget(waterLabel, 2, 0);
    grid->addWidget(waterBox_, 2, 1);
    grid->addWidget(waterButton_, 2, 2);
    // The acid for the water's HCO3 under the water, its dose beside it.
    auto* acidLabel = MakeLabel(QStringLiteral("LabelAcid"), QStringLiteral("Кислота:"), panel);
    acidBox_ = new QComboBox(panel);
    acidBox_->setObjectName(QStringLiteral("AcidBox"));
    acidBox_->setAccessibleName(QStringLiteral("Кислота:"));
    acidBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    acidLabel->setBuddy(acidBox_);
    acidDose_ = MakeLabel(QStringLiteral("AcidDoseLabel"), QString(), panel);
    acidDose_->setAccessibleName(QStringLiteral("Доза кислоты"));
    // The dose takes the width the drop-downs leave and wraps there: it
    // never widens the working area.
    acidDose_->setWordWrap(true);
    acidDose_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(acidLabel, 3, 0);
    grid->addWidget(acidBox_, 3, 1);
    grid->addWidget(acidDose_, 3, 2, 1, 2);
    grid->setColumnStretch(3, 1);
    layout->addWidget(panel);
}

} // namespace solvane
