// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/stock_solutions_window.h"
#include "store/columns.h"

#include "store/database.h"
#include "model/working_solution.h"
#include "windows/calculator/mixing_sources.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/number_spin_box.h"
#include "controls/widget_building.h"
#include "windows/solutions/grid_export.h"
#include "store/connection.h"
#include "core/deletion_messages.h"
#include "core/error.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "core/rounding.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace solvane {

namespace {

const QString kFile = QStringLiteral("Маточные растворы.xls");
// The export keeps the first four; "мл в бак" is the liquids' volume.
const QStringList kCaptions{QStringLiteral("Удобрение"), QStringLiteral("г/л"), QStringLiteral("Бак"),
                            QStringLiteral("Граммов в бак"), QStringLiteral("мл в бак")};
const QStringList kExportCaptions = kCaptions.mid(0, 4);
// A tank's grams keep four significant digits: 0,0126 g of a micro element
// weighs what it says.
constexpr int kTankDigits = 4;
constexpr int kTankColumn = 2;
constexpr int kFirstConcentration = 100;
constexpr double kFirstVolume = 10;

// A negative amount (a fertilizer the solution does not need) stands out as
// it does in the calculator.
TextCell NumberCell(double value, int significantDigits = 15) {
    TextCell cell{FormatNumber(value, significantDigits), true, {}, {}};
    if (value < 0)
        cell.foreground = Qt::red;
    return cell;
}

// "Бак А: растворить и довести водой до 10 л (655 г, стоимость 12,3)": the
// tank is made up to its volume, not topped with it; the cost of what is
// priced, when anything is.
QString TankTotal(Tank tank, double grams, double volume, const SolutionCost& cost, bool priced) {
    QString text = QStringLiteral("Бак ") + TankText(tank) + QStringLiteral(": растворить и довести водой до ") +
                   FormatNumber(volume) + QStringLiteral(" л (") + FormatNumber(grams, kTankDigits) +
                   QStringLiteral(" г");
    if (priced)
        text += QStringLiteral(", стоимость ") + FormatNumber(RoundToDecimalsSymmetric(cost.perThousandLitres, 2));
    return text + QLatin1Char(')');
}

// The cost of both tanks, with the lines left out for want of a price; empty
// when nothing in them has a price.
QString BothTanksCost(const SolutionCost& a, const SolutionCost& b) {
    QStringList unpriced = a.withoutPrice;
    for (const QString& name : b.withoutPrice)
        if (!unpriced.contains(name))
            unpriced.append(name);
    QString text = QStringLiteral("Стоимость обоих баков: ") +
                   FormatNumber(RoundToDecimalsSymmetric(a.perThousandLitres + b.perThousandLitres, 2));
    if (!unpriced.isEmpty())
        text += QStringLiteral(" (без цены: ") + unpriced.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text;
}

} // namespace

bool StockSolutionsWindow::View::operator==(const View& other) const {
    return caption == other.caption && rows == other.rows && tankA == other.tankA && tankB == other.tankB &&
           dose == other.dose && cost == other.cost && warnings == other.warnings;
}

StockSolutionsWindow::StockSolutionsWindow(Database& data, HandlerGuard& guard, const WorkingSolution& solution)
    : FollowingForm(guard, data.connection(), QStringLiteral("F_StockSolutions")), data_(data), solution_(solution) {
    setWindowTitle(QStringLiteral("Маточные растворы"));
    buildLayout();
}

StockSolutionsWindow::~StockSolutionsWindow() = default;

void StockSolutionsWindow::buildLayout() {
    auto* outer = MakeColumn(this, 8, 6);

    caption_ = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Раствор: рабочий состав"), this, true);
    outer->addWidget(caption_);

    auto* settings = new QHBoxLayout;
    settings->setSpacing(6);
    QLabel* concentrationLabel = MakeLabel(QStringLiteral("Label2"), QStringLiteral("Концентрация, раз:"), this);
    // Both boxes take a typed number once it is within their limits; a
    // number outside them is refused when the edit ends.
    const auto numberBox = [this](const QString& name, const QString& accessibleName, const NumberLimits& limits,
                                  double step, double first) {
        auto* box = new NumberSpinBox(this);
        box->setObjectName(name);
        box->setAccessibleName(accessibleName);
        box->setEmptyAllowed(false);
        box->setLimits(limits);
        box->setSingleStep(step);
        box->setNumber(first);
        box->onRefused = [this, box](const QString& refusal) { guard().reportLater(box, refusal); };
        box->setMaximumWidth(90);
        return box;
    };
    concentrationBox_ = numberBox(QStringLiteral("SpinEdit1"), QStringLiteral("Концентрация, раз:"),
                                  FieldLimits::Concentration(), 1, kFirstConcentration);
    concentrationLabel->setBuddy(concentrationBox_);
    QLabel* volumeLabel = MakeLabel(QStringLiteral("Label3"), QStringLiteral("Объём каждого бака, л:"), this);
    volumeBox_ = numberBox(QStringLiteral("Edit1"), QStringLiteral("Объём каждого бака, л:"), FieldLimits::TankVolume(),
                           1, kFirstVolume);
    volumeLabel->setBuddy(volumeBox_);
    settings->addWidget(concentrationLabel);
    settings->addWidget(concentrationBox_);
    settings->addSpacing(16);
    settings->addWidget(volumeLabel);
    settings->addWidget(volumeBox_);
    settings->addStretch(1);
    outer->addLayout(settings);

    grid_ = new TextGrid(guard(), this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setAccessibleName(QStringLiteral("Маточные растворы"));
    grid_->setCaptions(kCaptions);
    grid_->setChoices(kTankColumn, {TankText(Tank::A), TankText(Tank::B)});
    grid_->setToolTip(QStringLiteral("Дважды щёлкните по баку, чтобы перенести удобрение в другой бак"));
    // Widths by the captions, not by the rows (measuring the rows after every
    // change would cost more than all the rest of a refresh); the name takes
    // what the figures leave.
    FitColumnsToCaptions(*grid_);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    outer->addWidget(grid_, 1);

    tankA_ = MakeLabel(QStringLiteral("Label4"), QString(), this, true);
    tankB_ = MakeLabel(QStringLiteral("Label5"), QString(), this, true);
    dose_ = MakeLabel(QStringLiteral("Label6"), QString(), this);
    cost_ = MakeLabel(QStringLiteral("CostLabel"), QString(), this);
    for (QLabel* l : {tankA_, tankB_, dose_, cost_}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        outer->addWidget(l);
    }

    QLabel* warningsCaption = MakeLabel(QStringLiteral("Label7"), QStringLiteral("Предупреждения:"), this);
    outer->addWidget(warningsCaption);
    warnings_ = MakeLineList(QStringLiteral("ListBox1"), warningsCaption, this);
    warnings_->setFixedHeight(warnings_->fontMetrics().height() * 5 + 8);
    outer->addWidget(warnings_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* exportButton = MakeButton(QStringLiteral("Button1"), QStringLiteral("Выгрузить в EXCEL"), this);
    buttons->addWidget(exportButton);
    outer->addLayout(buttons);

    connect(concentrationBox_, &NumberSpinBox::numberChanged, this,
            [this] { runGuarded([this] { concentrationChanged(); }); });
    connect(volumeBox_, &NumberSpinBox::numberChanged, this, [this] { runGuarded([this] { volumeChanged(); }); });
    grid_->onChoice = [this](int row, int choice) { tankChosen(row, choice == 0 ? Tank::A : Tank::B); };
    connectClick(exportButton, [this] { exportToSpreadsheet(); });

    resize(640, 560);
}

void StockSolutionsWindow::open(Source source) {
    source_ = source;
    switches_.clear();
    // A window already open shows the new source at once; one that is not
    // is worked out as it is shown.
    if (isVisible())
        Refresh();
    showWindow();
}

void StockSolutionsWindow::concentrationChanged() {
    if (concentrationBox_->isEmpty())
        return;
    concentration_ = static_cast<int>(concentrationBox_->number().toDouble());
    Refresh();
}

void StockSolutionsWindow::volumeChanged() {
    // The box holds a number within its limits, or is on its way to one.
    if (volumeBox_->isEmpty())
        return;
    volume_ = volumeBox_->number().toDouble();
    Refresh();
}

void StockSolutionsWindow::tankChosen(int row, Tank tank) {
    if (row < 0 || static_cast<size_t>(row) >= keys_.size())
        return;
    switches_[keys_[static_cast<size_t>(row)]] = tank;
    Refresh();
}

void StockSolutionsWindow::exportToSpreadsheet() {
    std::vector<std::vector<QVariant>> rows;
    rows.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i)
        rows.push_back({lines_[i].fertilizer, lines_[i].amount, TankText(tanks_[i]), result_.grams[i]});
    SaveTableToXls(kExportCaptions, rows, kFile);
    guard().messages().show(this, MessageKind::Information, QStringLiteral("Инфо"), QStringLiteral("Выгружено."),
                            MessageButtons::Ok);
}

bool StockSolutionsWindow::compute() {
    View view;
    SourceLines source;
    if (source_ == Source::Composition) {
        view.caption = QStringLiteral("Раствор: рабочий состав");
        source = solution_.mixingLines(true);
    } else {
        DataSet& heads = data_.savedSolutions;
        const QString name =
            heads.isActive() && !heads.isEmpty() ? heads.fieldByName(col::solutions::name)->asString() : QString();
        view.caption = QStringLiteral("Раствор: ") + name;
        source = solution_.mixingLines(false);
    }
    // A line whose fertilizer was deleted goes into no tank; the warnings say so.
    QStringList leftOut;
    keys_.clear();
    lines_.clear();
    for (size_t i = 0; i < source.lines.size(); ++i) {
        if (source.lines[i].deleted) {
            leftOut << LeftOutLineWarning(source.lines[i].fertilizer);
            continue;
        }
        keys_.push_back(source.keys[i]);
        lines_.push_back(std::move(source.lines[i]));
    }
    tanks_ = FirstTankAssignment(lines_, IronElements(data_));
    for (size_t i = 0; i < lines_.size(); ++i)
        if (const auto it = switches_.find(keys_[i]); it != switches_.end())
            tanks_[i] = it->second;
    result_ = ComputeStockSolutions(lines_, tanks_, concentration_, volume_);

    view.rows.reserve(lines_.size());
    // The fitted unrounded amounts show as the composition shows them.
    const int amountDigits = AmountDigits(solution_.fitMode());
    for (size_t i = 0; i < lines_.size(); ++i)
        view.rows.push_back({TextCell{lines_[i].fertilizer, false, {}, {}}, NumberCell(lines_[i].amount, amountDigits),
                             TextCell{TankText(tanks_[i]), false, {}, {}}, NumberCell(result_.grams[i], kTankDigits),
                             result_.millilitres[i] ? NumberCell(*result_.millilitres[i], kTankDigits)
                                                    : TextCell{QString(), true, {}, {}}});
    // Costs show once any line has a price.
    const bool priced = std::any_of(lines_.begin(), lines_.end(), [](const SolutionLine& l) { return l.price; });
    view.tankA = TankTotal(Tank::A, result_.totalA, volume_, result_.costA, priced);
    view.tankB = TankTotal(Tank::B, result_.totalB, volume_, result_.costB, priced);
    // A litre of the ready solution holds the doses: the water makes it up.
    view.dose = QStringLiteral("На 1 л готового раствора: по ") + FormatNumber(result_.millilitresPerLitre) +
                QStringLiteral(" мл раствора А и раствора Б, остальное вода");
    if (priced)
        view.cost = BothTanksCost(result_.costA, result_.costB);
    view.warnings = leftOut + result_.warnings;
    return keepShown(shown_, std::move(view));
}

void StockSolutionsWindow::apply() {
    const View& view = shown_;
    caption_->setText(view.caption);
    grid_->setRows(view.rows);
    tankA_->setText(view.tankA);
    tankB_->setText(view.tankB);
    dose_->setText(view.dose);
    cost_->setText(view.cost);
    cost_->setVisible(!view.cost.isEmpty());
    ShowLines(warnings_, view.warnings);
}

} // namespace solvane
