#include "windows/calculator/analysis_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
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

bool TF_Analysis::View::operator==(const View& other) const {
    return categories == other.categories && targets == other.targets && results == other.results &&
           rows == other.rows && cations == other.cations && anions == other.anions &&
           conductivity == other.conductivity && warnings == other.warnings;
}

TF_Analysis::TF_Analysis(Program& program)
    : FollowingForm(program.guard(), program.Form1->ADOConnection1, QStringLiteral("F_Analysis")), program_(program) {
    setWindowTitle(QStringLiteral("Анализ раствора"));
    buildLayout();
}

TF_Analysis::~TF_Analysis() = default;

void TF_Analysis::buildLayout() {
    auto* outer = MakeColumn(this, 6, 6);

    Chart = new QChart;
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->setAnimationOptions(QChart::NoAnimation);
    Chart->legend()->setAlignment(Qt::AlignTop);
    Chart->setMargins(QMargins(4, 4, 4, 4));
    Series1 = new QBarSeries(Chart);
    Series1->setObjectName(QStringLiteral("Series1"));
    BarSet1 = new QBarSet(QStringLiteral("Необходимость"), Series1);
    BarSet1->setObjectName(QStringLiteral("BarSet1"));
    BarSet1->setColor(kTargetBars);
    BarSet2 = new QBarSet(QStringLiteral("Расчёт"), Series1);
    BarSet2->setObjectName(QStringLiteral("BarSet2"));
    BarSet2->setColor(kResultBars);
    Series1->append(BarSet1);
    Series1->append(BarSet2);
    Chart->addSeries(Series1);
    AxisX = new QBarCategoryAxis(Chart);
    AxisX->setObjectName(QStringLiteral("AxisX"));
    AxisY = new QValueAxis(Chart);
    AxisY->setObjectName(QStringLiteral("AxisY"));
    AxisY->setTitleText(QStringLiteral("мг/л"));
    AxisY->setLabelFormat(QStringLiteral("%g"));
    AxisY->setRange(0, 1);
    Chart->addAxis(AxisX, Qt::AlignBottom);
    Chart->addAxis(AxisY, Qt::AlignLeft);
    Series1->attachAxis(AxisX);
    Series1->attachAxis(AxisY);
    Chart1 = new QChartView(Chart, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setAccessibleName(QStringLiteral("Необходимость и расчёт, мг/л"));
    Chart1->setMinimumHeight(220);

    auto* lower = MakePanel(QStringLiteral("PanelFigures"), this);
    auto* lowerLayout = MakeRow(lower, 0, 8);

    StringGrid1 = new TextGrid(guard(), lower);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Анализ раствора"));
    StringGrid1->setCaptions(kCaptions);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Widths by the captions, not by the rows: measuring the rows after every
    // change would cost more than all the rest of a refresh.
    FitColumnsToCaptions(*StringGrid1);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    lowerLayout->addWidget(StringGrid1, 3);

    auto* figures = MakePanel(QStringLiteral("PanelSums"), lower);
    auto* figuresLayout = MakeColumn(figures, 0, 4);
    Label1 = MakeLabel(QStringLiteral("Label1"), QString(), figures, true);
    Label2 = MakeLabel(QStringLiteral("Label2"), QString(), figures, true);
    Label3 = MakeLabel(QStringLiteral("Label3"), QString(), figures, true);
    for (QLabel* l : {Label1, Label2, Label3}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figuresLayout->addWidget(l);
    }
    Label4 = MakeLabel(
        QStringLiteral("Label4"),
        QStringLiteral("Азот считается нитратным, фосфор — H2PO4, сера — SO4; ЭП ≈ (катионы + анионы) / 20."), figures);
    Label4->setWordWrap(true);
    figuresLayout->addWidget(Label4);
    figuresLayout->addSpacing(6);
    Label5 = MakeLabel(QStringLiteral("Label5"), QStringLiteral("Предупреждения:"), figures);
    figuresLayout->addWidget(Label5);
    ListBox1 = MakeLineList(QStringLiteral("ListBox1"), Label5, figures);
    figuresLayout->addWidget(ListBox1, 1);
    lowerLayout->addWidget(figures, 2);

    auto* splitter = MakeSplitter(guard(), QStringLiteral("RzSplitter1"), Qt::Vertical, this);
    splitter->setHint(QStringLiteral("Изменить размер"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(Chart1);
    splitter->addWidget(lower);
    outer->addWidget(splitter);

    resize(900, 760);
    // The chart a little more than half the height; the table shows a
    // crop's dozen rows below it.
    splitter->setPosition(400);
}

void TF_Analysis::Open() {
    if (isVisible())
        Refresh();
    showWindow();
}

bool TF_Analysis::compute() {
    TForm4& calc = *program_.Form4;
    const std::vector<TargetRow> targets = CurrentTargets(program_);
    const bool composition = calc.CompositionConcentrations;
    // Only the composition's amounts are judged; the content of the lines
    // shown tells an element no fertilizer has from one whose fertilizer
    // came out at 0 g/l.
    const SourceLines lines = composition ? CompositionLines(program_) : SavedSolutionLines(program_);
    result_ = AnalyseSolution(targets, lines.lines, composition, calc.SingularValueLeftOut, calc.fitMode() == 1);

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

void TF_Analysis::apply() {
    const View& view = shown_;
    if (AxisX->categories() != view.categories) {
        AxisX->clear();
        AxisX->append(view.categories);
    }
    ShowValues(BarSet1, view.targets);
    ShowValues(BarSet2, view.results);
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
    const double low = AxisY->min(), high = AxisY->max();
    const bool keep = low <= bottom && top <= high && high <= 2 * range.high && low >= 2 * range.low;
    if (!keep) {
        AxisY->setRange(range.low, range.high);
        AxisY->setTickCount(range.ticks);
    }
    StringGrid1->setRows(view.rows);
    Label1->setText(view.cations);
    Label2->setText(view.anions);
    Label3->setText(view.conductivity);
    ShowLines(ListBox1, view.warnings);
}

} // namespace solvane
