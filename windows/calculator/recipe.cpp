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

#include "windows/calculator/calculator_form.h"

#include "app/program.h"
#include "core/contribution.h"
#include "core/grower_fit.h"
#include "windows/calculator/mixing_sources.h"
#include "core/rounding.h"
#include "controls/db_grid.h"
#include "controls/widget_building.h"
#include "windows/directories/fertilizer_form.h"
#include "windows/directories/water_form.h"
#include "windows/settings/options_form.h"
#include "solver/least_squares.h"
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

DataSet* OptionsRow(Program& program) {
    DataSet& options = program.Form18->ADOTable1;
    return options.isActive() && !options.isEmpty() ? &options : nullptr;
}

} // namespace

void TForm4::Button10Click() {
    // The grids stay on the rows the user was on: the walks below move the
    // cursors, and the rows are found again by key at the end.
    T_rachet.checkBrowseMode();
    ADOTable2.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(T_rachet, kLineKey);
    const RowPlace targetAt = RowPlace::of(ADOTable2, kTargetKey);

    // Rows with no target are never fitted: they go first (each removal runs
    // this recipe again, which finds none left), so the amounts do not depend
    // on how many such rows came and went.
    RemoveZeroTargets();

    if (fitMode() == kGrowerFit)
        fitGrowerAmounts();
    else
        fitClassicAmounts();

    Button4Click();
    lineAt.returnTo(T_rachet, kLineKey);
    targetAt.returnTo(ADOTable2, kTargetKey);
}

void TForm4::fitClassicAmounts() {
    DataSet& fertilizers = program_.Form2->T_Udobra;
    DataSet& content = program_.Form2->T_Sostav_Udobra;

    T_rachet.first();
    if (!T_rachet.isEmpty()) {
        // What the first filter below would settle anyway.
        fertilizers.checkBrowseMode();
        content.checkBrowseMode();
    }
    // Pending edits are settled now; the grids of the sets walked below need
    // not follow every move and show the outcome once, at the end.
    const DisabledSource lines(DS_rachet);
    const DisabledSource targetGrid(DataSource2);
    const DisabledSource list(program_.Form2->DS_UDobRA);
    const DisabledSource contentGrid(program_.Form2->DS_SOSTAV);
    const int n = T_rachet.recordCount();
    const int m = ADOTable2.recordCount();

    RecipeMatrix.assign(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
    RecipeSolution.assign(static_cast<size_t>(n) + 1, 0.0);

    Field* const lineFertilizer = T_rachet.fieldByName(QStringLiteral("id_udobra"));
    Field* const amount = T_rachet.fieldByName(QStringLiteral("kol"));
    Field* const targetElement = ADOTable2.fieldByName(QStringLiteral("id_el"));
    Field* const target = ADOTable2.fieldByName(QStringLiteral("vega"));
    Field* const share = content.fieldByName(QStringLiteral("free"));
    Field* const shareElement = content.fieldByName(QStringLiteral("freeid"));

    // The targets do not change while the matrix is built: read them once.
    // What the counted water brings is not asked of the fertilizers.
    std::vector<long long> elements;
    std::vector<double> targets;
    elements.reserve(static_cast<size_t>(m));
    targets.reserve(static_cast<size_t>(m));
    for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
        elements.push_back(targetElement->asLargeInt());
        const auto water = waterAmounts_.find(elements.back());
        targets.push_back(water == waterAmounts_.end() ? target->asFloat() : target->asFloat() - water->second);
    }

    struct Share {
        long long element;
        double percent;
    };
    std::vector<Share> shares;
    int column = 0;
    for (; !T_rachet.eof(); T_rachet.next()) {
        ++column;
        // A line without a fertilizer reads as key 0: no fertilizer, no content.
        fertilizers.setFilter(QStringLiteral("id_udobra=") + QString::number(lineFertilizer->asLargeInt()));
        fertilizers.setFiltered(true);
        shares.clear();
        for (content.first(); !content.eof(); content.next())
            shares.push_back({shareElement->asLargeInt(), share->asFloat()});
        for (int j = 1; j <= m; ++j) {
            Vector& row = RecipeMatrix[static_cast<size_t>(j)];
            double entry = 0.0;
            for (const Share& s : shares)
                if (s.element == elements[static_cast<size_t>(j) - 1])
                    entry = s.percent; // the last matching row wins
            row[static_cast<size_t>(column)] = entry;
            row[static_cast<size_t>(n) + 1] = targets[static_cast<size_t>(j) - 1];
        }
    }
    // The filter text stays on the last line's key.
    fertilizers.setFiltered(false);

    SingularValueLeftOut = !SolveLeastSquares(RecipeMatrix, m, n, RecipeSolution);

    int i = 0;
    for (T_rachet.first(); !T_rachet.eof(); T_rachet.next()) {
        ++i;
        T_rachet.edit();
        amount->setAsFloat(RoundToDecimals(RecipeSolution[static_cast<size_t>(i)], 2) / 10.0);
        T_rachet.post();
    }
}

void TForm4::fitGrowerAmounts() {
    SingularValueLeftOut = false;
    const DisabledSource lines(DS_rachet);

    // The fitted rows: a target above 0 and a weight above 0 (empty counts 1).
    const Field* targetElement = ADOTable2.fieldByName(QStringLiteral("id_el"));
    const Field* target = ADOTable2.fieldByName(QStringLiteral("vega"));
    const Field* weight = ADOTable2.fieldByName(QStringLiteral("weight"));
    std::vector<GrowerFitRow> rows;
    std::vector<long long> rowElements;
    for (int j = 0; j < ADOTable2.recordCount(); ++j) {
        const double t = ADOTable2.valueAt(j, target).toDouble();
        const QVariant w = ADOTable2.valueAt(j, weight);
        const double wj = w.isNull() ? 1.0 : w.toDouble();
        if (!(t > 0.0) || !(wj > 0.0))
            continue;
        const long long element = ADOTable2.valueAt(j, targetElement).toLongLong();
        const auto water = waterAmounts_.find(element);
        rows.push_back({t, wj, water == waterAmounts_.end() ? 0.0 : water->second});
        rowElements.push_back(element);
    }

    // Each line's contribution to each fitted row, counted as the
    // calculation counts it, and its limits.
    const Field* lineFertilizer = T_rachet.fieldByName(QStringLiteral("id_udobra"));
    const Field* minimum = T_rachet.fieldByName(QStringLiteral("kol_min"));
    const Field* maximum = T_rachet.fieldByName(QStringLiteral("kol_max"));
    const int n = T_rachet.recordCount();
    std::unordered_set<long long> keys;
    for (int i = 0; i < n; ++i)
        keys.insert(T_rachet.valueAt(i, lineFertilizer).toLongLong());
    const auto content = CalculationContent(program_, keys);
    std::vector<GrowerFitLine> fitLines(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        GrowerFitLine& line = fitLines[static_cast<size_t>(i)];
        const auto found = content.find(T_rachet.valueAt(i, lineFertilizer).toLongLong());
        line.contribution.reserve(rowElements.size());
        for (const long long element : rowElements)
            line.contribution.push_back(found == content.end() ? 0.0 : ContributionPerGram(found->second, element));
        const QVariant low = T_rachet.valueAt(i, minimum);
        const QVariant high = T_rachet.valueAt(i, maximum);
        line.lower = low.isNull() ? 0.0 : std::max(0.0, low.toDouble());
        line.upper = high.isNull() ? std::numeric_limits<double>::infinity() : high.toDouble();
    }

    const std::vector<double> amounts = FitGrowerAmounts(rows, fitLines);
    Field* const amount = T_rachet.fieldByName(QStringLiteral("kol"));
    int i = 0;
    for (T_rachet.first(); !T_rachet.eof(); T_rachet.next(), ++i) {
        T_rachet.edit();
        amount->setAsFloat(amounts[static_cast<size_t>(i)]);
        T_rachet.post();
    }
}

// ---------------------------------------------------------------- the fit and the water chosen

int TForm4::fitMode() const {
    if (DataSet* options = OptionsRow(program_))
        return options->fieldByName(QStringLiteral("fit_mode"))->asInteger() == kGrowerFit ? kGrowerFit : kClassicFit;
    return sessionFitMode_;
}

QVariant TForm4::selectedWater() const {
    QVariant profile = sessionWater_;
    if (DataSet* options = OptionsRow(program_))
        profile = options->fieldByName(QStringLiteral("id_water"))->value();
    if (profile.isNull())
        return {};
    // A profile that is no longer there counts as none.
    for (const auto& [key, name] : program_.WaterProfiles->profileNames())
        if (key.toLongLong() == profile.toLongLong())
            return key;
    return {};
}

void TForm4::chooseFitMode(int mode) {
    if (DataSet* options = OptionsRow(program_)) {
        options->edit();
        options->fieldByName(QStringLiteral("fit_mode"))->setAsInteger(mode);
        options->post();
    } else {
        sessionFitMode_ = mode;
    }
    applyFitState();
    fitModeBox_->setToolTip(fitModeBox_->currentText());
    Button10Click();
}

void TForm4::chooseWater(const QVariant& profile) {
    if (DataSet* options = OptionsRow(program_)) {
        options->edit();
        options->fieldByName(QStringLiteral("id_water"))->setValue(profile);
        options->post();
    } else {
        sessionWater_ = profile;
    }
    refreshWater();
    Button10Click();
}

void TForm4::forgetWater(const QVariant& profile) {
    if (selectedWater() != profile || profile.isNull())
        return;
    if (DataSet* options = OptionsRow(program_)) {
        options->edit();
        options->fieldByName(QStringLiteral("id_water"))->setValue(QVariant());
        options->post();
    } else {
        sessionWater_ = QVariant();
    }
}

void TForm4::waterProfilesChanged(bool selectedChanged) {
    showFitChoice();
    if (selectedChanged && ADOTable2.isActive())
        Button10Click();
}

void TForm4::showFitChoice() {
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
        for (const auto& [key, name] : program_.WaterProfiles->profileNames())
            waterBox_->addItem(name, key);
        waterBox_->setCurrentIndex(selected.isNull() ? 0 : std::max(0, waterBox_->findData(selected)));
    }
    refreshWater();
    applyFitState();
}

void TForm4::refreshWater() {
    waterAmounts_.clear();
    for (const auto& [element, amount] : program_.WaterProfiles->elementsOf(selectedWater()))
        waterAmounts_[element] = amount;
    waterColumn_->setVisible(!selectedWater().isNull());
    if (ADOTable2.isActive())
        ADOTable2.refresh();
}

void TForm4::applyFitState() {
    const bool grower = fitMode() == kGrowerFit;
    // The classic fit knows no weights and no limits.
    for (DBGridColumn* column : {weightColumn_, minimumColumn_, maximumColumn_})
        column->setEnabled(grower);
    dxDBGrid2Column2->setSignificantDigits(grower ? kGrowerDigits : kAllDigits);
}

QString TForm4::amountLimitRefusal(const QVariant& value, bool minimum) const {
    if (value.isNull() || !T_rachet.isActive() || T_rachet.isEmpty())
        return {};
    const QVariant other =
        T_rachet.fieldByName(minimum ? QStringLiteral("kol_max") : QStringLiteral("kol_min"))->value();
    if (other.isNull())
        return {};
    const bool above = minimum ? value.toDouble() > other.toDouble() : other.toDouble() > value.toDouble();
    return above ? QStringLiteral("Минимум больше максимума") : QString();
}

void TForm4::buildFitChoice(QWidget* parent, QVBoxLayout* layout) {
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
    fitModeBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fitModeBox_->setMinimumContentsLength(2);
    fitLabel->setBuddy(fitModeBox_);
    auto* waterLabel = MakeLabel(QStringLiteral("LabelWater"), QStringLiteral("Вода:"), panel);
    waterBox_ = new QComboBox(panel);
    waterBox_->setObjectName(QStringLiteral("WaterBox"));
    waterBox_->setAccessibleName(QStringLiteral("Вода:"));
    waterBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    waterBox_->setMinimumContentsLength(2);
    waterLabel->setBuddy(waterBox_);
    waterButton_ =
        MakeHintedButton(QStringLiteral("WaterButton"), QStringLiteral("..."), QStringLiteral("Исходная вода"), panel);
    waterButton_->setFixedWidth(24);
    grid->addWidget(fitLabel, 0, 0);
    grid->addWidget(fitModeBox_, 0, 1, 1, 2);
    grid->addWidget(waterLabel, 1, 0);
    grid->addWidget(waterBox_, 1, 1);
    grid->addWidget(waterButton_, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(panel);
}

} // namespace solvane
