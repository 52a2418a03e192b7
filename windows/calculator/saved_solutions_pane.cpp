// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/saved_solutions_pane.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "model/working_solution.h"
#include "store/cascade.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/mixing_sources.h"
#include "windows/solutions/grid_export.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <functional>

namespace solvane {

namespace {

const QString kLinesFile = QStringLiteral("Состав р-ра.xls");
const QString kConcentrationsFile = QStringLiteral("Концентрация р-ра.xls");

// The order in which the components must be dissolved, shown over the litres box.
QString MixingOrderHint() {
    const QStringList lines{
        QStringLiteral("Для того, чтобы ничего не выпадало в осадок, всегда "),
        QStringLiteral("смешивайте компоненты строго в следующей "),
        QStringLiteral("последовательности: "),
        QStringLiteral("--------------------------"),
        QStringLiteral("1. Кальциевая селитра "),
        QStringLiteral("2. Монофосфат калия "),
        QStringLiteral("3. Комплексное удобрение "),
        QStringLiteral("4. Сульфат калия "),
        QStringLiteral("5. Сульфат магния "),
        QStringLiteral("--------------------------"),
        QStringLiteral("1. Аммиачная селитра "),
        QStringLiteral("2. Калиевая селитра "),
        QStringLiteral("3. Монофосфат калия "),
        QStringLiteral("4. Кальциевая селитра "),
        QStringLiteral("5. Микро "),
        QStringLiteral("6. Сульфат магния"),
    };
    return lines.join(QChar(13));
}

// Runs the handler when the item is chosen, as one user action of the window.
void OnItem(HandlerGuard& guard, QWidget* owner, QAction* item, std::function<void()> handler) {
    QObject::connect(item, &QAction::triggered, owner,
                     [&guard, owner, handler = std::move(handler)] { guard.run(owner->window(), handler); });
}

QString OptionalNumber(const Field* field) {
    return field->isNull() ? QString() : FormatNumber(field->asFloat());
}

} // namespace

SavedSolutionsPane::SavedSolutionsPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QObject* hints,
                                       QWidget* parent)
    : QGroupBox(QStringLiteral("Готовые растворы:"), parent), guard_(guard), data_(data), solution_(solution) {
    setObjectName(QStringLiteral("GroupSaved"));
    auto* layout = MakeColumn(this, 2, 0);
    splitter_ = MakeSplitter(guard, QStringLiteral("RzSplitter3"), Qt::Horizontal, this);
    splitter_->setHandleWidth(6);
    layout->addWidget(splitter_);
    buildNames(hints);
    buildLines();
    // The grids and the box run these as user actions themselves.
    namesGrid_->onClick = [this] { request(&SavedSolutionsPane::calculationRequested); };
    namesGrid_->onKeyUp = [this](int) { request(&SavedSolutionsPane::calculationRequested); };
    litresBox_->onChange = [this] { litresChanged(); };
}

// The names with their menu, and the litres box beside them.
void SavedSolutionsPane::buildNames(QObject* hints) {
    auto* namesSide = MakePanel(QStringLiteral("PanelSavedNames"), splitter_);
    auto* namesSideLayout = MakeRow(namesSide, 0, 2);
    splitter_->addWidget(namesSide);
    auto* groupNames = MakeGroup(QStringLiteral("GroupSavedNames"), QStringLiteral("Название:"), namesSide);
    namesSideLayout->addWidget(groupNames, 1);
    auto* namesLayout = MakeColumn(groupNames);
    namesGrid_ = MakeGrid(guard_, QStringLiteral("dxDBGrid5"), &data_.savedSolutionsSource, groupNames);
    namesGrid_->addColumn(col::solutions::name, QStringLiteral("Имя раствора"))->setReadOnly(true);
    namesGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QMenu* namesMenu = MakeMenu(QStringLiteral("PopupMenu3"), this);
    OnItem(guard_, this, MakeMenuItem(namesMenu, QStringLiteral("N1"), QStringLiteral("изменить название")),
           [this] { renameSavedSolution(); });
    OnItem(guard_, this, MakeMenuItem(namesMenu, QStringLiteral("N5"), QStringLiteral("удалить р-р")),
           [this] { deleteSavedSolution(); });
    namesGrid_->setContextMenu(namesMenu);
    namesLayout->addWidget(namesGrid_);

    QWidget* litresPanel = MakeGroup(QStringLiteral("LitresPanel"), QString(), namesSide);
    litresPanel->setToolTip(MixingOrderHint());
    litresPanel->installEventFilter(hints);
    auto* litresLayout = MakeColumn(litresPanel, 4, 2);
    litresLayout->addWidget(MakeLabel(QStringLiteral("Label2"), QStringLiteral("Расчет на:"), litresPanel));
    litresBox_ = new DBSpinBox(guard_, litresPanel);
    litresBox_->setObjectName(QStringLiteral("dxDBSpinEdit1"));
    litresBox_->setDataSource(&data_.savedSolutionsSource, col::solutions::litres);
    litresBox_->setSingleStep(0.1);
    litresBox_->setLimits(FieldLimits::Litres());
    litresBox_->setToolTip(QStringLiteral("Укажите кол-во литров"));
    litresBox_->setAccessibleName(QStringLiteral("Расчет на:"));
    litresBox_->setMaximumWidth(72);
    litresLayout->addWidget(litresBox_);
    litresLayout->addWidget(MakeLabel(QStringLiteral("Label3"), QStringLiteral("литров"), litresPanel));
    litresLayout->addStretch(1);
    namesSideLayout->addWidget(litresPanel);
}

// The current saved solution's lines with their menu.
void SavedSolutionsPane::buildLines() {
    auto* groupLines = MakeGroup(QStringLiteral("GroupSavedLines"), QStringLiteral("Состав:"), splitter_);
    splitter_->addWidget(groupLines);
    auto* linesLayout = MakeColumn(groupLines);
    linesGrid_ = MakeGrid(guard_, QStringLiteral("dxDBGrid4"), &data_.savedLinesSource, groupLines);
    linesGrid_->setRowSelect(true);
    linesGrid_->addColumn(col::savedLines::name, QStringLiteral("Название"))->setReadOnly(true);
    amountColumn_ = linesGrid_->addColumn(col::savedLines::amount, QStringLiteral("Кол-во г/л."));
    amountColumn_->setSpin(0.01, FieldLimits::SavedAmount());
    litresAmountColumn_ = linesGrid_->addColumn(col::savedLines::amountForLitres, QStringLiteral("Кол-во г/1л."));
    litresAmountColumn_->setReadOnly(true);
    litresMillilitresColumn_ = linesGrid_->addColumn(col::savedLines::millilitresForLitres, QStringLiteral("мл/1 л."));
    litresMillilitresColumn_->setReadOnly(true);
    litresMillilitresColumn_->setSignificantDigits(4);
    // The spreadsheet keeps its three columns.
    litresMillilitresColumn_->setExported(false);
    litresMillilitresColumn_->setVisible(false);
    QMenu* linesMenu = MakeMenu(QStringLiteral("PopupMenu4"), this);
    const auto requesting = [this](void (SavedSolutionsPane::*signal)()) {
        return [this, signal] { request(signal); };
    };
    OnItem(guard_, this, MakeMenuItem(linesMenu, QStringLiteral("N4"), QStringLiteral("Рассчитать")),
           requesting(&SavedSolutionsPane::calculationRequested));
    OnItem(guard_, this, MakeMenuItem(linesMenu, QStringLiteral("EXCEL1"), QStringLiteral("Выгрузить в EXCEL")),
           requesting(&SavedSolutionsPane::exportRequested));
    OnItem(guard_, this, MakeMenuItem(linesMenu, QStringLiteral("N12"), QStringLiteral("Маточные растворы...")),
           requesting(&SavedSolutionsPane::stockSolutionsRequested));
    linesGrid_->setContextMenu(linesMenu);
    linesLayout->addWidget(linesGrid_);
}

void SavedSolutionsPane::request(void (SavedSolutionsPane::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
}

// ---------------------------------------------------------------- per-litres amounts

double SavedSolutionsPane::litres() const {
    double value = 0;
    if (!TryParseFloat(litresBox_->valueText(), value))
        return 0;
    return value;
}

void SavedSolutionsPane::setLitresCaption(const QString& caption) {
    if (litresAmountColumn_->caption() != caption)
        litresAmountColumn_->setCaption(caption);
    // A liquid's ml for the same litres.
    const QString millilitres = QStringLiteral("мл/") + FormatNumber(litres()) + QStringLiteral(" л.");
    if (litresMillilitresColumn_->caption() != millilitres)
        litresMillilitresColumn_->setCaption(millilitres);
}

// The working solution takes the box's litres before any line is read again.
void SavedSolutionsPane::litresChanged() {
    setLitresCaption(QStringLiteral("Кол-во г./") + litresBox_->valueText() + QStringLiteral("л."));
    if (!data_.savedLines.isActive())
        return;
    // An amount being typed in the lines grid is kept, not dropped by the reopening.
    data_.savedLines.checkBrowseMode();
    reopenLines();
}

void SavedSolutionsPane::reopenLines() {
    data_.savedLines.close();
    data_.savedLines.open();
    showSavedMillilitres(solution_.inputs());
    if (!data_.savedLines.isEmpty() && data_.savedSolutions.isActive())
        setLitresCaption(QStringLiteral("Кол-во г./") +
                         OptionalNumber(data_.savedSolutions.fieldByName(col::solutions::litres)) +
                         QStringLiteral("л."));
}

void SavedSolutionsPane::showSavedMillilitres(const SolutionInputs& in) {
    litresMillilitresColumn_->setVisible(AnyLiquid(LiquidFertilizers(in), solution_.savedLines()));
}

// ---------------------------------------------------------------- rename, delete, export

void SavedSolutionsPane::renameSavedSolution() {
    const QString name = data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty()
                             ? data_.savedSolutions.fieldByName(col::solutions::name)->asString()
                             : QString();
    guard_.relay([this, &name] { emit renameRequested(name); });
}

// The header goes with its lines, in one transaction, without a question.
void SavedSolutionsPane::deleteSavedSolution() {
    DataSet& headers = data_.savedSolutions;
    DataSet& lines = data_.savedLines;
    // An empty list gets the data layer's refusal; a new header is dropped.
    if (!headers.isActive() || headers.isEmpty() || headers.state() == DataSetState::Insert) {
        headers.deleteRecord();
        return;
    }
    lines.checkBrowseMode();
    Connection& connection = data_.connection();
    const long long key = headers.fieldByName(col::solutions::key)->asLargeInt();
    AllOrNothing(connection, {&headers, &lines}, [&] {
        DeleteSolutionLines(connection, key);
        headers.deleteRecord();
    });
    ReloadDataSets({&lines}, {});
}

void SavedSolutionsPane::exportToSpreadsheets(const DBGrid& concentrations) {
    SaveGridToXls(*linesGrid_, kLinesFile);
    SaveGridToXls(concentrations, kConcentrationsFile);
    guard_.messages().show(window(), MessageKind::Information, QStringLiteral("Инфо"), QStringLiteral("Выгруженно."),
                           MessageButtons::Ok);
}

} // namespace solvane
