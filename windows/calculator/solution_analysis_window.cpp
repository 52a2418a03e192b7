// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/solution_analysis_window.h"

#include "store/database.h"
#include "model/working_solution.h"
#include "windows/calculator/mixing_sources.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "store/connection.h"
#include "core/ion_report.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "store/element_rows.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <QSet>

namespace solvane {

namespace {

const QStringList kCaptions{QStringLiteral("Элемент"), QStringLiteral("Необходимость"), QStringLiteral("Расчёт"),
                            QStringLiteral("Отклонение, %")};
// A row further from its target than ±10 % (than its own tolerance under the
// cheapest fit).
const QColor kOutOfRange(255, 205, 205);
const QColor kTargetLine(120, 160, 210);
const QColor kResultBars(235, 150, 60);

// The units the rows can be read in: an element's mg/l, or its ion's mmol/l
// or meq/l (an element without an ion shows none of these).
enum Units { MilligramsPerLitre, MillimolesPerLitre, MilliequivalentsPerLitre };

QString Meq(double value) {
    return FormatNumber(RoundToDecimalsSymmetric(value, 2));
}

// A row's figure in the units chosen; empty for none, or for an element
// without an ion in mmol/l or meq/l.
QString InUnits(const std::optional<double>& mgPerLitre, const Ion* ion, int units) {
    if (!mgPerLitre)
        return QString();
    if (units == MilligramsPerLitre)
        return FormatNumber(*mgPerLitre);
    if (!ion)
        return QString();
    const double millimoles = *mgPerLitre / InfoOf(*ion).mass;
    return FormatNumber(
        RoundToDecimalsSymmetric(units == MillimolesPerLitre ? millimoles : Milliequivalents(*ion, millimoles), 4));
}

// The axis takes each category once: a second row of the same element (or
// two rows without one) gets an invisible mark that keeps its label apart.
QStringList Categories(const std::vector<const TargetRow*>& targets) {
    QStringList categories;
    QSet<QString> seen;
    for (const TargetRow* target : targets) {
        const TargetRow& row = *target;
        QString label = row.shortName;
        while (seen.contains(label))
            label += QChar(0x200B);
        seen.insert(label);
        categories << label;
    }
    return categories;
}

// Puts the values into the set when any differs. Taking them all out and
// putting them in again lays the bars out once; replacing them one by one
// would lay out every bar after each.
void ShowValues(QBarSet* set, const std::vector<double>& values) {
    bool same = set->count() == static_cast<int>(values.size());
    for (int i = 0; same && i < set->count(); ++i)
        same = set->at(i) == values[static_cast<size_t>(i)];
    if (same)
        return;
    set->remove(0, set->count());
    set->append(QList<qreal>(values.begin(), values.end()));
}

struct AxisRange {
    double low = 0, high = 1;
    int ticks = 5;
};

// A range with round ticks around low..high: its step is 1, 2, 2.5 or 5
// times a power of ten, about a quarter of the span, with a little room
// above the highest value.
AxisRange RoundRange(double low, double high) {
    const double span = (high - low) * 1.05;
    if (!(span > 0))
        return {};
    const double raw = span / 4;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 2.5, 5.0})
        if (factor * magnitude >= raw) {
            step = factor * magnitude;
            break;
        }
    AxisRange range;
    range.low = std::floor(low / step) * step;
    range.high = std::ceil((low + span) / step) * step;
    range.ticks = static_cast<int>(std::lround((range.high - range.low) / step)) + 1;
    return range;
}

} // namespace

bool SolutionAnalysisWindow::View::operator==(const View& other) const {
    return categories == other.categories && percents == other.percents && rows == other.rows &&
           cations == other.cations && anions == other.anions && balance == other.balance &&
           conductivity == other.conductivity && ammonium == other.ammonium && ratios == other.ratios &&
           warnings == other.warnings;
}

SolutionAnalysisWindow::SolutionAnalysisWindow(Database& data, HandlerGuard& guard, const WorkingSolution& solution)
    : FollowingForm(guard, data.connection(), QStringLiteral("F_Analysis")), data_(data), solution_(solution) {
    setWindowTitle(QStringLiteral("Анализ раствора"));
    buildLayout();
}

SolutionAnalysisWindow::~SolutionAnalysisWindow() = default;

void SolutionAnalysisWindow::buildLayout() {
    auto* outer = MakeColumn(this, 6, 6);

    chart_ = new QChart;
    chart_->setObjectName(QStringLiteral("Chart"));
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    series_ = new QBarSeries(chart_);
    series_->setObjectName(QStringLiteral("Series1"));
    resultBars_ = new QBarSet(QStringLiteral("Расчёт, % от необходимости"), series_);
    resultBars_->setObjectName(QStringLiteral("BarSet2"));
    resultBars_->setColor(kResultBars);
    series_->append(resultBars_);
    chart_->addSeries(series_);
    // The target of every row is 100 %: one line across the chart.
    targetLine_ = new QLineSeries(chart_);
    targetLine_->setObjectName(QStringLiteral("Series2"));
    targetLine_->setName(QStringLiteral("Необходимость, 100 %"));
    targetLine_->setColor(kTargetLine);
    chart_->addSeries(targetLine_);
    axisX_ = new QBarCategoryAxis(chart_);
    axisX_->setObjectName(QStringLiteral("AxisX"));
    axisY_ = new QValueAxis(chart_);
    axisY_->setObjectName(QStringLiteral("AxisY"));
    axisY_->setTitleText(QStringLiteral("% от необходимости"));
    axisY_->setLabelFormat(QStringLiteral("%g"));
    axisY_->setRange(0, 1);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    targetLine_->attachAxis(axisX_);
    targetLine_->attachAxis(axisY_);
    chartView_ = new QChartView(chart_, this);
    chartView_->setObjectName(QStringLiteral("Chart1"));
    chartView_->setAccessibleName(QStringLiteral("Расчёт в процентах от необходимости"));
    chartView_->setMinimumHeight(220);

    auto* lower = MakePanel(QStringLiteral("PanelFigures"), this);
    auto* lowerLayout = MakeRow(lower, 0, 8);

    auto* rowsColumn = MakeColumn(nullptr, 0, 4);
    auto* unitsRow = new QHBoxLayout;
    units_ = new QComboBox(lower);
    units_->setObjectName(QStringLiteral("UnitsBox"));
    units_->addItems({QStringLiteral("мг/л"), QStringLiteral("ммоль/л"), QStringLiteral("мг-экв/л")});
    QLabel* unitsLabel = MakeLabel(QStringLiteral("UnitsLabel"), QStringLiteral("Единицы:"), lower);
    unitsLabel->setBuddy(units_);
    units_->setAccessibleName(QStringLiteral("Единицы"));
    unitsRow->addWidget(unitsLabel);
    unitsRow->addWidget(units_);
    unitsRow->addStretch(1);
    rowsColumn->addLayout(unitsRow);
    connect(units_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { Refresh(); });

    grid_ = new TextGrid(guard(), lower);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setAccessibleName(QStringLiteral("Анализ раствора"));
    grid_->setCaptions(kCaptions);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Widths by the captions, not by the rows: measuring the rows after every
    // change would cost more than all the rest of a refresh.
    FitColumnsToCaptions(*grid_);
    grid_->horizontalHeader()->setStretchLastSection(true);
    rowsColumn->addWidget(grid_, 1);
    lowerLayout->addLayout(rowsColumn, 3);

    auto* figures = MakePanel(QStringLiteral("PanelSums"), lower);
    auto* figuresLayout = MakeColumn(figures, 0, 4);
    cations_ = MakeLabel(QStringLiteral("Label1"), QString(), figures, true);
    anions_ = MakeLabel(QStringLiteral("Label2"), QString(), figures, true);
    balance_ = MakeLabel(QStringLiteral("BalanceLabel"), QString(), figures, true);
    conductivity_ = MakeLabel(QStringLiteral("Label3"), QString(), figures, true);
    ammonium_ = MakeLabel(QStringLiteral("AmmoniumLabel"), QString(), figures, true);
    ratios_ = MakeLabel(QStringLiteral("RatiosLabel"), QString(), figures, true);
    ratios_->setWordWrap(true);
    bicarbonate_ = MakeLabel(QStringLiteral("BicarbonateLabel"), QString(), figures, true);
    for (QLabel* l : {cations_, anions_, balance_, conductivity_, ammonium_, ratios_, bicarbonate_}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figuresLayout->addWidget(l);
    }
    QLabel* counting = MakeLabel(
        QStringLiteral("Label4"),
        QStringLiteral("Ионы — по элементам справочника, вода включена; EC — по ионам, их парам и силе раствора "
                       "при pH 5,5 и 25 °C."),
        figures);
    counting->setWordWrap(true);
    figuresLayout->addWidget(counting);
    figuresLayout->addSpacing(6);
    QLabel* warningsCaption = MakeLabel(QStringLiteral("Label5"), QStringLiteral("Предупреждения:"), figures);
    figuresLayout->addWidget(warningsCaption);
    warnings_ = MakeLineList(QStringLiteral("ListBox1"), warningsCaption, figures);
    figuresLayout->addWidget(warnings_, 1);
    lowerLayout->addWidget(figures, 2);

    auto* splitter = MakeSplitter(guard(), QStringLiteral("RzSplitter1"), Qt::Vertical, this);
    splitter->setHint(QStringLiteral("Изменить размер"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(chartView_);
    splitter->addWidget(lower);
    outer->addWidget(splitter);

    resize(900, 760);
    // The chart a little more than half the height; the table shows a
    // crop's dozen rows below it.
    splitter->setPosition(400);
}

void SolutionAnalysisWindow::open() {
    if (isVisible())
        Refresh();
    showWindow();
}

bool SolutionAnalysisWindow::compute() {
    const std::vector<TargetRow> targets = CurrentTargets(data_);
    const bool composition = solution_.showsComposition();
    // Only the composition's amounts are judged; the content of the lines
    // shown tells an element no fertilizer has from one whose fertilizer
    // came out at 0 g/l.
    const SourceLines lines = solution_.mixingLines(composition);
    // The fit's message concerns the composition's amounts.
    result_ = AnalyseSolution(targets, lines.lines, composition, solution_.singularValueLeftOut(),
                              FitJudgementOf(solution_.fitMode(), composition ? solution_.fitMessage() : QString()));

    // The ions, their report and the EC as the model gives them; the
    // elements' ions for the rows' units.
    const SolutionIons shown = solution_.shownIons();
    const IonReportInputs& inputs = shown.inputs;
    const IonReport& report = shown.report;
    const double ec = shown.ec;
    const std::unordered_map<long long, Ion> ions = IonsOfElements(data_.elements);

    View view;
    const int units = units_->currentIndex();
    std::vector<const TargetRow*> charted;
    view.rows.reserve(targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        const TargetRow& target = targets[i];
        const AnalysisRow& row = result_.rows[i];
        // Rows without a target have no percentage to draw.
        if (target.vega.value_or(0.0) > 0.0) {
            charted.push_back(&target);
            view.percents.push_back(target.rachet.value_or(0.0) / *target.vega * 100.0);
        }
        const auto ion = ions.find(target.element);
        const Ion* rowIon = ion == ions.end() ? nullptr : &ion->second;
        const QColor background = row.outOfRange ? kOutOfRange : QColor();
        view.rows.push_back({TextCell{target.shortName, false, {}, background},
                             TextCell{InUnits(target.vega, rowIon, units), true, {}, background},
                             TextCell{InUnits(target.rachet, rowIon, units), true, {}, background},
                             TextCell{row.deviation ? FormatNumber(*row.deviation) : QString(), true, {}, background}});
    }
    view.categories = Categories(charted);
    view.cations = QStringLiteral("Катионы: ") + Meq(inputs.sums.cations) + QStringLiteral(" мг-экв/л");
    view.anions = QStringLiteral("Анионы: ") + Meq(inputs.sums.anions) + QStringLiteral(" мг-экв/л");
    view.balance = QStringLiteral("Разница: ") + FormatNumber(RoundToDecimalsSymmetric(report.balancePercent, 1)) +
                   QStringLiteral(" % от большей суммы");
    view.conductivity = QStringLiteral("Ожидаемая EC: ") + FormatDecimals(ec, 2) + QStringLiteral(" мСм/см (25 °C)");
    if (report.ammoniumShare)
        view.ammonium = QStringLiteral("Аммонийный азот: ") +
                        FormatNumber(RoundToDecimalsSymmetric(*report.ammoniumShare, 1)) + QStringLiteral(" % от N");
    view.ratios = QStringLiteral("K : Ca : Mg = ") + Meq(report.potassium) + QStringLiteral(" : ") +
                  Meq(report.calcium) + QStringLiteral(" : ") + Meq(report.magnesium) +
                  QStringLiteral(" мг-экв/л; NO3 : NH4 = ") + Meq(report.nitrate) + QStringLiteral(" : ") +
                  Meq(report.ammonium) + QStringLiteral(" мг-экв/л");
    // The water's HCO3 as it counts: what the acid leaves, or all of it.
    if (inputs.unneutralisedBicarbonate)
        view.bicarbonate =
            (solution_.addedLines().empty() ? QStringLiteral("HCO3 воды: ") : QStringLiteral("HCO3 после кислоты: ")) +
            FormatNumber(RoundToDecimalsSymmetric(*inputs.unneutralisedBicarbonate, 1)) + QStringLiteral(" мг/л");
    view.warnings = result_.warnings + report.warnings;
    return keepShown(shown_, std::move(view));
}

void SolutionAnalysisWindow::apply() {
    const View& view = shown_;
    if (axisX_->categories() != view.categories) {
        axisX_->clear();
        axisX_->append(view.categories);
    }
    ShowValues(resultBars_, view.percents);
    const qreal lineEnd = std::max<qreal>(0.5, static_cast<qreal>(view.percents.size()) - 0.5);
    if (targetLine_->count() != 2 || targetLine_->at(1).x() != lineEnd)
        targetLine_->replace(QList<QPointF>{{-0.5, 100.0}, {lineEnd, 100.0}});
    // From 0 (or the lowest bar, below 0 for a negative amount) to a round
    // figure above the highest and the 100 % line; the chart lays its axes
    // out anew (measuring every label) only when the range changes.
    double bottom = 0, top = 100;
    for (double v : view.percents) {
        bottom = std::min(bottom, v);
        top = std::max(top, v);
    }
    // A range that still holds every bar and is at most twice the round one
    // stays, so that the scale does not jump with every change.
    const AxisRange range = RoundRange(bottom, top);
    const double low = axisY_->min(), high = axisY_->max();
    const bool keep = low <= bottom && top <= high && high <= 2 * range.high && low >= 2 * range.low;
    if (!keep) {
        axisY_->setRange(range.low, range.high);
        axisY_->setTickCount(range.ticks);
    }
    grid_->setRows(view.rows);
    cations_->setText(view.cations);
    anions_->setText(view.anions);
    balance_->setText(view.balance);
    conductivity_->setText(view.conductivity);
    ammonium_->setText(view.ammonium);
    ratios_->setText(view.ratios);
    bicarbonate_->setText(view.bicarbonate);
    bicarbonate_->setVisible(!view.bicarbonate.isEmpty());
    ShowLines(warnings_, view.warnings);
}

} // namespace solvane
