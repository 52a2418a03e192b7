// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/solution_analysis_window.h"

#include "store/database.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/mixing_sources.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "store/connection.h"
#include "core/number_text.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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
// A row further than ±10 % from its target.
const QColor kOutOfRange(255, 205, 205);
const QColor kTargetBars(120, 160, 210);
const QColor kResultBars(235, 150, 60);

QString OptionalNumber(const std::optional<double>& value) {
    return value ? FormatNumber(*value) : QString();
}

// The axis takes each category once: a second row of the same element (or
// two rows without one) gets an invisible mark that keeps its label apart.
QStringList Categories(const std::vector<TargetRow>& targets) {
    QStringList categories;
    QSet<QString> seen;
    for (const TargetRow& row : targets) {
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
    return categories == other.categories && targets == other.targets && results == other.results &&
           rows == other.rows && cations == other.cations && anions == other.anions &&
           conductivity == other.conductivity && warnings == other.warnings;
}

SolutionAnalysisWindow::SolutionAnalysisWindow(Database& data, HandlerGuard& guard, const CalculatorWindow& calculator)
    : FollowingForm(guard, data.connection(), QStringLiteral("F_Analysis")), data_(data), calculator_(calculator) {
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
    targetBars_ = new QBarSet(QStringLiteral("Необходимость"), series_);
    targetBars_->setObjectName(QStringLiteral("BarSet1"));
    targetBars_->setColor(kTargetBars);
    resultBars_ = new QBarSet(QStringLiteral("Расчёт"), series_);
    resultBars_->setObjectName(QStringLiteral("BarSet2"));
    resultBars_->setColor(kResultBars);
    series_->append(targetBars_);
    series_->append(resultBars_);
    chart_->addSeries(series_);
    axisX_ = new QBarCategoryAxis(chart_);
    axisX_->setObjectName(QStringLiteral("AxisX"));
    axisY_ = new QValueAxis(chart_);
    axisY_->setObjectName(QStringLiteral("AxisY"));
    axisY_->setTitleText(QStringLiteral("мг/л"));
    axisY_->setLabelFormat(QStringLiteral("%g"));
    axisY_->setRange(0, 1);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    chartView_ = new QChartView(chart_, this);
    chartView_->setObjectName(QStringLiteral("Chart1"));
    chartView_->setAccessibleName(QStringLiteral("Необходимость и расчёт, мг/л"));
    chartView_->setMinimumHeight(220);

    auto* lower = MakePanel(QStringLiteral("PanelFigures"), this);
    auto* lowerLayout = MakeRow(lower, 0, 8);

    grid_ = new TextGrid(guard(), lower);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setAccessibleName(QStringLiteral("Анализ раствора"));
    grid_->setCaptions(kCaptions);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Widths by the captions, not by the rows: measuring the rows after every
    // change would cost more than all the rest of a refresh.
    FitColumnsToCaptions(*grid_);
    grid_->horizontalHeader()->setStretchLastSection(true);
    lowerLayout->addWidget(grid_, 3);

    auto* figures = MakePanel(QStringLiteral("PanelSums"), lower);
    auto* figuresLayout = MakeColumn(figures, 0, 4);
    cations_ = MakeLabel(QStringLiteral("Label1"), QString(), figures, true);
    anions_ = MakeLabel(QStringLiteral("Label2"), QString(), figures, true);
    conductivity_ = MakeLabel(QStringLiteral("Label3"), QString(), figures, true);
    for (QLabel* l : {cations_, anions_, conductivity_}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figuresLayout->addWidget(l);
    }
    QLabel* counting = MakeLabel(
        QStringLiteral("Label4"),
        QStringLiteral("Азот считается нитратным, фосфор — H2PO4, сера — SO4; ЭП ≈ (катионы + анионы) / 20."), figures);
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
    const bool composition = calculator_.showsComposition();
    // Only the composition's amounts are judged; the content of the lines
    // shown tells an element no fertilizer has from one whose fertilizer
    // came out at 0 g/l.
    const SourceLines lines = composition ? CompositionLines(data_) : SavedSolutionLines(data_);
    result_ = AnalyseSolution(targets, lines.lines, composition, calculator_.singularValueLeftOut(),
                              calculator_.fitMode() == 1);

    View view;
    view.categories = Categories(targets);
    view.targets.reserve(targets.size());
    view.results.reserve(targets.size());
    view.rows.reserve(targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        const TargetRow& target = targets[i];
        const AnalysisRow& row = result_.rows[i];
        view.targets.push_back(target.vega.value_or(0.0));
        view.results.push_back(target.rachet.value_or(0.0));
        const QColor background = row.outOfRange ? kOutOfRange : QColor();
        view.rows.push_back({TextCell{target.shortName, false, {}, background},
                             TextCell{OptionalNumber(target.vega), true, {}, background},
                             TextCell{OptionalNumber(target.rachet), true, {}, background},
                             TextCell{OptionalNumber(row.deviation), true, {}, background}});
    }
    view.cations = QStringLiteral("Катионы: ") + FormatNumber(result_.cationsShown) + QStringLiteral(" мг-экв/л");
    view.anions = QStringLiteral("Анионы: ") + FormatNumber(result_.anionsShown) + QStringLiteral(" мг-экв/л");
    view.conductivity =
        QStringLiteral("Расчётная ЭП: ") + FormatNumber(result_.conductivity) + QStringLiteral(" мСм/см");
    view.warnings = result_.warnings;
    return keepShown(shown_, std::move(view));
}

void SolutionAnalysisWindow::apply() {
    const View& view = shown_;
    if (axisX_->categories() != view.categories) {
        axisX_->clear();
        axisX_->append(view.categories);
    }
    ShowValues(targetBars_, view.targets);
    ShowValues(resultBars_, view.results);
    // From 0 (or the lowest bar, below 0 for a negative amount) to a round
    // figure above the highest; the chart lays its axes out anew (measuring
    // every label) only when the range changes.
    double bottom = 0, top = 0;
    for (const std::vector<double>* values : {&view.targets, &view.results})
        for (double v : *values) {
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
    conductivity_->setText(view.conductivity);
    ShowLines(warnings_, view.warnings);
}

} // namespace solvane
