#include "windows/calculator/stock_solutions_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "windows/calculator/mixing_sources.h"
#include "controls/message_service.h"
#include "controls/number_spin_box.h"
#include "controls/widget_building.h"
#include "windows/solutions/grid_export.h"
#include "store/connection.h"
#include "store/error.h"
#include "core/field_limits.h"
#include "core/number_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

namespace {

const QString kFile = QStringLiteral("Маточные растворы.xls");
const QStringList kCaptions{QStringLiteral("Удобрение"), QStringLiteral("г/л"), QStringLiteral("Бак"),
                            QStringLiteral("Граммов в бак")};
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

QString TankTotal(Tank tank, double grams, double volume) {
    return QStringLiteral("Бак ") + TankText(tank) + QStringLiteral(": ") + FormatNumber(grams) +
           QStringLiteral(" г на ") + FormatNumber(volume) + QStringLiteral(" л");
}

} // namespace

bool TF_StockSolutions::View::operator==(const View& other) const {
    return caption == other.caption && rows == other.rows && tankA == other.tankA && tankB == other.tankB &&
           dose == other.dose && warnings == other.warnings;
}

TF_StockSolutions::TF_StockSolutions(Program& program)
    : FollowingForm(program.guard(), program.Form1->ADOConnection1, QStringLiteral("F_StockSolutions")),
      program_(program) {
    setWindowTitle(QStringLiteral("Маточные растворы"));
    buildLayout();
}

TF_StockSolutions::~TF_StockSolutions() = default;

void TF_StockSolutions::buildLayout() {
    auto* outer = MakeColumn(this, 8, 6);

    Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Раствор: рабочий состав"), this, true);
    outer->addWidget(Label1);

    auto* settings = new QHBoxLayout;
    settings->setSpacing(6);
    Label2 = MakeLabel(QStringLiteral("Label2"), QStringLiteral("Концентрация, раз:"), this);
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
    SpinEdit1 = numberBox(QStringLiteral("SpinEdit1"), QStringLiteral("Концентрация, раз:"),
                          FieldLimits::Concentration(), 1, kFirstConcentration);
    Label2->setBuddy(SpinEdit1);
    Label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("Объём каждого бака, л:"), this);
    Edit1 = numberBox(QStringLiteral("Edit1"), QStringLiteral("Объём каждого бака, л:"), FieldLimits::TankVolume(), 1,
                      kFirstVolume);
    Label3->setBuddy(Edit1);
    settings->addWidget(Label2);
    settings->addWidget(SpinEdit1);
    settings->addSpacing(16);
    settings->addWidget(Label3);
    settings->addWidget(Edit1);
    settings->addStretch(1);
    outer->addLayout(settings);

    StringGrid1 = new TextGrid(guard(), this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Маточные растворы"));
    StringGrid1->setCaptions(kCaptions);
    StringGrid1->setChoices(kTankColumn, {TankText(Tank::A), TankText(Tank::B)});
    StringGrid1->setToolTip(QStringLiteral("Дважды щёлкните по баку, чтобы перенести удобрение в другой бак"));
    // Widths by the captions, not by the rows (measuring the rows after every
    // change would cost more than all the rest of a refresh); the name takes
    // what the figures leave.
    FitColumnsToCaptions(*StringGrid1);
    StringGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    outer->addWidget(StringGrid1, 1);

    Label4 = MakeLabel(QStringLiteral("Label4"), QString(), this, true);
    Label5 = MakeLabel(QStringLiteral("Label5"), QString(), this, true);
    Label6 = MakeLabel(QStringLiteral("Label6"), QString(), this);
    for (QLabel* l : {Label4, Label5, Label6}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        outer->addWidget(l);
    }

    Label7 = MakeLabel(QStringLiteral("Label7"), QStringLiteral("Предупреждения:"), this);
    outer->addWidget(Label7);
    ListBox1 = MakeLineList(QStringLiteral("ListBox1"), Label7, this);
    ListBox1->setFixedHeight(ListBox1->fontMetrics().height() * 5 + 8);
    outer->addWidget(ListBox1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("Выгрузить в EXCEL"), this);
    buttons->addWidget(Button1);
    outer->addLayout(buttons);

    connect(SpinEdit1, &NumberSpinBox::numberChanged, this, [this] { runGuarded([this] { SpinEdit1Change(); }); });
    connect(Edit1, &NumberSpinBox::numberChanged, this, [this] { runGuarded([this] { Edit1Change(); }); });
    StringGrid1->onChoice = [this](int row, int choice) {
        StringGrid1TankChange(row, choice == 0 ? Tank::A : Tank::B);
    };
    connectClick(Button1, [this] { Button1Click(); });

    resize(640, 560);
}

void TF_StockSolutions::Open(Source source) {
    source_ = source;
    switches_.clear();
    // A window already open shows the new source at once; one that is not
    // is worked out as it is shown.
    if (isVisible())
        Refresh();
    showWindow();
}

void TF_StockSolutions::SpinEdit1Change() {
    if (SpinEdit1->isEmpty())
        return;
    concentration_ = static_cast<int>(SpinEdit1->number().toDouble());
    Refresh();
}

void TF_StockSolutions::Edit1Change() {
    // The box holds a number within its limits, or is on its way to one.
    if (Edit1->isEmpty())
        return;
    volume_ = Edit1->number().toDouble();
    Refresh();
}

void TF_StockSolutions::StringGrid1TankChange(int row, Tank tank) {
    if (row < 0 || static_cast<size_t>(row) >= keys_.size())
        return;
    switches_[keys_[static_cast<size_t>(row)]] = tank;
    Refresh();
}

void TF_StockSolutions::Button1Click() {
    std::vector<std::vector<QVariant>> rows;
    rows.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i)
        rows.push_back({lines_[i].fertilizer, lines_[i].amount, TankText(tanks_[i]), result_.grams[i]});
    SaveTableToXls(kCaptions, rows, kFile);
    program_.messages().show(this, MessageKind::Information, QStringLiteral("Инфо"), QStringLiteral("Выгружено."),
                             MessageButtons::Ok);
}

bool TF_StockSolutions::compute() {
    View view;
    SourceLines source;
    if (source_ == Source::Composition) {
        view.caption = QStringLiteral("Раствор: рабочий состав");
        source = CompositionLines(program_);
    } else {
        DataSet& heads = program_.Form4->T_HEAD_RAR;
        const QString name = heads.isActive() && !heads.isEmpty()
                                 ? heads.fieldByName(QStringLiteral("name_rar"))->asString()
                                 : QString();
        view.caption = QStringLiteral("Раствор: ") + name;
        source = SavedSolutionLines(program_);
    }
    keys_ = std::move(source.keys);
    lines_ = std::move(source.lines);
    tanks_ = FirstTankAssignment(lines_, IronElements(program_));
    for (size_t i = 0; i < lines_.size(); ++i)
        if (const auto it = switches_.find(keys_[i]); it != switches_.end())
            tanks_[i] = it->second;
    result_ = ComputeStockSolutions(lines_, tanks_, concentration_, volume_);

    view.rows.reserve(lines_.size());
    // The grower's unrounded amounts show as the composition shows them.
    const int amountDigits = program_.Form4->fitMode() == 1 ? 4 : 15;
    for (size_t i = 0; i < lines_.size(); ++i)
        view.rows.push_back({TextCell{lines_[i].fertilizer, false, {}, {}}, NumberCell(lines_[i].amount, amountDigits),
                             TextCell{TankText(tanks_[i]), false, {}, {}}, NumberCell(result_.grams[i])});
    view.tankA = TankTotal(Tank::A, result_.totalA, volume_);
    view.tankB = TankTotal(Tank::B, result_.totalB, volume_);
    view.dose = QStringLiteral("На 1 л воды: по ") + FormatNumber(result_.millilitresPerLitre) +
                QStringLiteral(" мл раствора А и раствора Б");
    view.warnings = result_.warnings;
    return keepShown(shown_, std::move(view));
}

void TF_StockSolutions::apply() {
    const View& view = shown_;
    Label1->setText(view.caption);
    StringGrid1->setRows(view.rows);
    Label4->setText(view.tankA);
    Label5->setText(view.tankB);
    Label6->setText(view.dose);
    ShowLines(ListBox1, view.warnings);
}

} // namespace solvane
