// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator window's panes, controls and their wiring.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/hint_text.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/added_line_row.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/calculator/totals_strips.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace solvane {

namespace {

const QString kSplitterHint = QStringLiteral("Изменить размер");


} // namespace

void CalculatorWindow::buildLayout() {
    HandlerGuard& g = guard();
    auto* hints = new LineHintFilter(this);
    auto* outer = MakeColumn(this, 2, 0);

    // Left part | concentrations and crops.
    mainSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter1"), Qt::Horizontal, this);
    outer->addWidget(mainSplitter_);

    // Working area / saved solutions.
    leftSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter2"), Qt::Vertical, mainSplitter_);
    mainSplitter_->addWidget(leftSplitter_);

    // The working area: "Подбор:" and "Вода:" above the fertilizer list with
    // the button column | composition; the whole width shows their items whole.
    auto* workArea = MakePanel(QStringLiteral("PanelWork"), leftSplitter_);
    auto* workAreaLayout = MakeColumn(workArea, 0, 0);
    leftSplitter_->addWidget(workArea);
    buildFitChoice(workArea, workAreaLayout);
    workSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter4"), Qt::Horizontal, workArea);
    workAreaLayout->addWidget(workSplitter_, 1);

    // The panes are built in the order of the tab stops.
    fertilizerPane_ = new FertilizerPane(g, data_, workSplitter_);
    workSplitter_->addWidget(fertilizerPane_);
    buildCompositionPane();
    savedPane_ = new SavedSolutionsPane(g, data_, solution_, hints, leftSplitter_);
    leftSplitter_->addWidget(savedPane_);
    savedAmountColumn_ = savedPane_->amountColumn();
    litresAmountColumn_ = savedPane_->litresAmountColumn();
    buildConcentrationsPane();
    buildCropPane();

    // Every pane keeps the minimum its contents need (the grids their header
    // and three rows), so the window cannot be made smaller than that and no
    // bar can crush a pane.
    for (Splitter* s : {mainSplitter_, leftSplitter_, savedPane_->splitter(), workSplitter_, concentrationSplitter_})
        s->setHint(kSplitterHint);

    // Set up by installCalculation().
    recalculationTimer_ = new QTimer(this);
    recalculationTimer_->setObjectName(QStringLiteral("Timer1"));

    wireControls();
    resize(936, 738);
    applyInitialProportions();
}

// The working composition with its menu, the acid's line and "Сохранить".
void CalculatorWindow::buildCompositionPane() {
    HandlerGuard& g = guard();
    auto* groupComposition =
        MakeGroup(QStringLiteral("GroupComposition"), QStringLiteral("Состав раствора:"), workSplitter_);
    workSplitter_->addWidget(groupComposition);
    auto* compositionLayout = MakeColumn(groupComposition);
    compositionGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid2"), &data_.compositionSource, groupComposition);
    compositionGrid_->setRowSelect(true);
    compositionGrid_->setScrollBars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    compositionGrid_->addColumn(col::lines::name, QStringLiteral("Наименование"))->setReadOnly(true);
    amountColumn_ = compositionGrid_->addColumn(col::lines::amount, QStringLiteral("Кол-во г./л."));
    amountColumn_->setSpin(0.01, FieldLimits::Amount());
    // The recipe gives a negative amount to a fertilizer the solution does
    // not need: it stands out.
    amountColumn_->setNegativeColour(Qt::red);
    // The limits of each amount for the grower's fit, in g/l; empty: none.
    minimumColumn_ = compositionGrid_->addColumn(col::lines::minimum, QStringLiteral("Мин"));
    maximumColumn_ = compositionGrid_->addColumn(col::lines::maximum, QStringLiteral("Макс"));
    for (DBGridColumn* limit : {minimumColumn_, maximumColumn_}) {
        limit->setSpin(0.01, FieldLimits::Amount());
        limit->setWidth(40);
    }
    // A liquid's amount in ml; empty for a solid.
    millilitresColumn_ = compositionGrid_->addColumn(col::lines::millilitres, QStringLiteral("мл/л"));
    millilitresColumn_->setReadOnly(true);
    millilitresColumn_->setWidth(54);
    millilitresColumn_->setSignificantDigits(4);
    millilitresColumn_->setVisible(false);
    minimumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, true); };
    maximumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, false); };
    // Without scroll bars every column must stay in sight: the name takes
    // what the figures leave.
    amountColumn_->setWidth(74);
    compositionGrid_->horizontalHeader()->setStretchLastSection(false);
    compositionGrid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    compositionMenu_ = MakeMenu(QStringLiteral("PopupMenu2"), this);
    removeItem_ = MakeMenuItem(compositionMenu_, QStringLiteral("N7"), QStringLiteral("Удалить"));
    addItem_ = MakeMenuItem(compositionMenu_, QStringLiteral("N8"), QStringLiteral("Добавить"));
    compositionStockItem_ =
        MakeMenuItem(compositionMenu_, QStringLiteral("N11"), QStringLiteral("Маточные растворы..."));
    compositionGrid_->setContextMenu(compositionMenu_);
    compositionLayout->addWidget(compositionGrid_, 1);
    // The acid's line, which the program adds and sets, under the stored ones.
    acidLineRow_ = new AddedLineRow(*compositionGrid_, QStringLiteral("AcidLineRow"), groupComposition);
    acidLineRow_->setAccessibleName(QStringLiteral("Кислота в составе"));
    compositionLayout->addWidget(acidLineRow_);

    auto* compositionButtons = MakePanel(QStringLiteral("PanelSave"), groupComposition);
    auto* compositionButtonLayout = MakeRow(compositionButtons, 0, 4);
    saveButton_ = MakeButton(QStringLiteral("Button5"), QStringLiteral("Сохранить"), compositionButtons);
    calculateButton_ = MakeButton(QStringLiteral("Button4"), QStringLiteral("Рассчитать >>"), compositionButtons);
    recipeButton_ = MakeButton(QStringLiteral("Button10"), QStringLiteral("?"), compositionButtons);
    calculateButton_->hide();
    recipeButton_->hide();
    compositionButtonLayout->addWidget(saveButton_);
    compositionButtonLayout->addWidget(calculateButton_);
    compositionButtonLayout->addWidget(recipeButton_);
    compositionButtonLayout->addStretch(1);
    compositionLayout->addWidget(compositionButtons);
}

// The current crop's targets with what the composition gives, its menu and
// navigator, over the totals strips and the EC and cost row.
void CalculatorWindow::buildConcentrationsPane() {
    HandlerGuard& g = guard();
    auto* groupConcentrations = MakeGroup(QStringLiteral("GroupConcentrations"),
                                          QStringLiteral("Концентрация элементов: мг/л."), mainSplitter_);
    mainSplitter_->addWidget(groupConcentrations);
    auto* concentrationsLayout = MakeColumn(groupConcentrations, 2, 0);
    concentrationSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter5"), Qt::Vertical, groupConcentrations);
    concentrationsLayout->addWidget(concentrationSplitter_);

    auto* upper = MakePanel(QStringLiteral("PanelConcentrations"), concentrationSplitter_);
    auto* upperLayout = MakeColumn(upper, 2, 2);
    concentrationSplitter_->addWidget(upper);
    targetGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid3"), &data_.targetsSource, upper);
    // The weight and the water's share may not fit beside the three
    // columns in a narrow pane: then the grid scrolls sideways.
    targetGrid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    elementColumn_ = targetGrid_->addColumn(col::targets::elementName, QStringLiteral("Элемент"));
    elementColumn_->setLookup(&data_.elementsSource, col::elements::key, col::elements::shortName,
                              col::targets::element, 8);
    targetColumn_ = targetGrid_->addColumn(col::targets::vega, QStringLiteral("Необходимость (Введите)"));
    targetColumn_->setSpin(1, FieldLimits::Target());
    resultColumn_ = targetGrid_->addColumn(col::targets::result, QStringLiteral("Расчёт"));
    resultColumn_->setReadOnly(true);
    // The grower's fit weighs each row; the source water's share is shown
    // while a water is counted. Neither goes into the spreadsheet.
    weightColumn_ = targetGrid_->addColumn(col::targets::weight, QStringLiteral("Вес"));
    weightColumn_->setSpin(0.1, FieldLimits::Weight());
    weightColumn_->setWidth(34);
    weightColumn_->setExported(false);
    // How far the cheapest fit may let each row stray, in % of its target.
    toleranceColumn_ = targetGrid_->addColumn(col::targets::tolerance, QStringLiteral("Допуск, %"));
    toleranceColumn_->setSpin(1, FieldLimits::Tolerance());
    toleranceColumn_->setWidth(60);
    toleranceColumn_->setExported(false);
    toleranceColumn_->setVisible(false);
    waterColumn_ = targetGrid_->addColumn(col::targets::water, QStringLiteral("Вода"));
    waterColumn_->setReadOnly(true);
    waterColumn_->setWidth(48);
    waterColumn_->setExported(false);
    waterColumn_->setVisible(false);
    elementColumn_->setWidth(54);
    // The short names stay readable ("N-NH4"): with the weight, the tolerance
    // and the water beside them the grid scrolls sideways instead.
    elementColumn_->setNarrowest(54);
    targetColumn_->setWidth(166);
    resultColumn_->setWidth(68);
    targetMenu_ = MakeMenu(QStringLiteral("PopupMenu1"), this);
    addTargetItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N9"), QStringLiteral("Добавить"));
    deleteTargetItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N10"), QStringLiteral("Удалить"));
    analysisItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N13"), QStringLiteral("Анализ раствора..."));
    targetGrid_->setContextMenu(targetMenu_);
    upperLayout->addWidget(targetGrid_, 1);

    targetNavigator_ = MakeNavigator(g, QStringLiteral("DBNavigator1"), &data_.targetsSource,
                                     {NavButton::Insert, NavButton::Delete, NavButton::Post}, upper);
    upperLayout->addWidget(targetNavigator_);
    totals_ = new TotalsStrips(g, upper);
    upperLayout->addWidget(totals_);
}

// The crops under the strength. The calculator keeps the widgets its
// handlers read; the crops' delete is its own.
void CalculatorWindow::buildCropPane() {
    cropPane_ = new CropPane(guard(), data_.cropsSource, concentrationSplitter_);
    concentrationSplitter_->addWidget(cropPane_);
    cropPane_->deleteNavigator()->deleteAction = [this] { deleteCrop(); };
    cropGrid_ = cropPane_->grid();
}

void CalculatorWindow::wireControls() {
    // What the fertilizer pane asks for: the composition's actions, which
    // run inside the pane's action, and the directories, asked for as the
    // calculator's own requests.
    const auto onPane = [this](void (FertilizerPane::*request)(), void (CalculatorWindow::*handler)()) {
        connect(fertilizerPane_, request, this,
                [this, handler] { guard().carry([this, handler] { (this->*handler)(); }); });
    };
    onPane(&FertilizerPane::addRequested, &CalculatorWindow::addToComposition);
    onPane(&FertilizerPane::removeRequested, &CalculatorWindow::removeFromComposition);
    onPane(&FertilizerPane::clearRequested, &CalculatorWindow::clearComposition);
    connect(fertilizerPane_, &FertilizerPane::elementsRequested, this, &CalculatorWindow::elementsRequested);
    connect(fertilizerPane_, &FertilizerPane::fertilizersRequested, this, &CalculatorWindow::fertilizersRequested);
    connectClick(calculateButton_, [this] { calculate(); });
    connectClick(saveButton_, [this] { saveComposition(); });
    connectClick(recipeButton_, [this] { buildRecipe(); });
    const auto onMenu = [this](QAction* action, void (CalculatorWindow::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    onMenu(removeItem_, &CalculatorWindow::removeFromComposition);
    onMenu(addItem_, &CalculatorWindow::addToComposition);
    onMenu(addTargetItem_, &CalculatorWindow::addTargetRow);
    onMenu(deleteTargetItem_, &CalculatorWindow::deleteTargetRow);
    onMenu(compositionStockItem_, &CalculatorWindow::openStockSolutionsOfComposition);
    onMenu(analysisItem_, &CalculatorWindow::openAnalysis);
    connect(recalculationTimer_, &QTimer::timeout, this, [this] { runGuarded([this] { recalculationDue(); }); });
    // The calculated fields of both sets depend on the strength: they are
    // recomputed and the grids shown anew (refreshing settles a pending edit,
    // as the moves of the totals do anyway).
    connect(cropPane_, &CropPane::strengthChanged, this, [this](int percent) {
        guard().carry([this, percent] {
            solution_.setStrength(percent);
            data_.composition.refresh();
            data_.targets.refresh();
            updateTotals();
        });
    });
    connect(totals_, &TotalsStrips::ecFitRequested, this, [this] { guard().carry([this] { fitTargetsToCropEc(); }); });

    // The controls run these as user actions themselves.
    // Typing a target or an amount arms the recalculation.
    amountColumn_->onChange = [this] { armRecalculation(); };
    targetColumn_->onChange = [this] { armRecalculation(); };
    // An edit of a weight, a tolerance or a limit refits, as an amount's does.
    for (DBGridColumn* column : {weightColumn_, toleranceColumn_, minimumColumn_, maximumColumn_})
        column->onChange = [this] { armRecalculation(); };
    connect(fitModeBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseFitMode(fitModeBox_->currentData().toInt()); }); });
    connect(waterBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseWater(waterBox_->currentData()); }); });
    connect(acidBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseAcid(acidBox_->currentData()); }); });
    connectClick(waterButton_, [this] { relay([this] { emit waterProfilesRequested(); }); });
    compositionGrid_->onEditorClosed = [this] { cellEditorClosed(); };
    targetGrid_->onEditorClosed = [this] { cellEditorClosed(); };
    // What the saved solutions' pane asks for, inside the action it runs.
    const auto answer = [this](void (SavedSolutionsPane::*request)(), std::function<void()> handler) {
        connect(savedPane_, request, this, [this, handler = std::move(handler)] { guard().carry(handler); });
    };
    answer(&SavedSolutionsPane::calculationRequested, [this] { calculateSavedSolution(); });
    answer(&SavedSolutionsPane::exportRequested, [this] { savedPane_->exportToSpreadsheets(*targetGrid_); });
    answer(&SavedSolutionsPane::stockSolutionsRequested, [this] {
        refreshResults();
        relay([this] { emit stockSolutionsRequested(true); });
    });
    connect(savedPane_, &SavedSolutionsPane::renameRequested, this, &CalculatorWindow::renameRequested);
    cropGrid_->onClick = [this] { cropClicked(); };
    // A crop or a target row the grower stores, in its grid or by its
    // navigator, has what follows from it (the target list completed, the
    // zero-target rule and the recipe); so does a target row deleted.
    cropGrid_->onPosted = [this] { cropPosted(); };
    cropPane_->postNavigator()->onClick = [this](NavButton) { cropPosted(); };
    targetGrid_->onPosted = [this] { targetPosted(); };
    targetNavigator_->onClick = [this](NavButton button) {
        if (button == NavButton::Post)
            targetPosted();
    };
    targetNavigator_->deleteAction = [this] { deleteTarget(); };
    workSplitter_->onChange = [this] { fertilizerPane_->applySearchBoxWidth(); };
}

void CalculatorWindow::wireDataSets() {
    lineFertilizer_ = data_.composition.fieldByName(col::lines::fertilizer);
    DataSet& fertilizers = data_.fertilizers;
    listKey_ = fertilizers.fieldByName(col::fertilizers::key);
    DataSet& elements = data_.elements;
    elementKey_ = elements.fieldByName(col::elements::key);
    elementOxide_ = elements.fieldByName(col::elements::oxide);

}

// The default proportions of the panes, before any stored geometry is
// applied. The window is not shown yet, so each level is laid out here to
// learn the size of the splitter it holds; the splitters keep the position
// and apply it again when they are first shown.
void CalculatorWindow::applyInitialProportions() {
    const auto layOut = [](QWidget* container) {
        if (container->layout())
            container->layout()->activate();
    };
    const auto place = [](Splitter* splitter, int first) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        splitter->setSizes({first, std::max(0, extent - first - splitter->handleWidth())});
        splitter->setPosition(first);
    };
    const auto share = [](Splitter* splitter, double fraction) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        return static_cast<int>(extent * fraction + 0.5);
    };
    layOut(this);
    place(mainSplitter_, share(mainSplitter_, 0.51));
    place(leftSplitter_, share(leftSplitter_, 0.62));
    layOut(workSplitter_->parentWidget());
    place(workSplitter_, share(workSplitter_, 0.60));
    layOut(concentrationSplitter_->parentWidget());
    place(concentrationSplitter_, share(concentrationSplitter_, 0.82));
    layOut(savedPane_);
    place(savedPane_->splitter(), 240);
}

} // namespace solvane
