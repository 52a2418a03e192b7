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
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/recalculation_timer.h"
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
    concentrations_ = new ConcentrationsPane(g, data_, mainSplitter_);
    mainSplitter_->addWidget(concentrations_);
    buildCropPane();

    // Every pane keeps the minimum its contents need (the grids their header
    // and three rows), so the window cannot be made smaller than that and no
    // bar can crush a pane.
    for (Splitter* s :
         {mainSplitter_, leftSplitter_, savedPane_->splitter(), workSplitter_, concentrations_->splitter()})
        s->setHint(kSplitterHint);

    recalculation_ = new RecalculationTimer(g, this);

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

// The crops under the strength. The calculator keeps the widgets its
// handlers read; the crops' delete is its own.
void CalculatorWindow::buildCropPane() {
    cropPane_ = new CropPane(guard(), data_.cropsSource, concentrations_->splitter());
    concentrations_->splitter()->addWidget(cropPane_);
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
    onMenu(compositionStockItem_, &CalculatorWindow::openStockSolutionsOfComposition);
    connect(recalculation_, &RecalculationTimer::due, this, [this] {
        guard().carry([this] {
            // The post may delete the row (zero-target rule), which runs the recipe too.
            data_.targets.checkBrowseMode();
            buildRecipe();
        });
    });
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
    connect(concentrations_->totals(), &TotalsStrips::ecFitRequested, this,
            [this] { guard().carry([this] { fitTargetsToCropEc(); }); });

    // The controls run these as user actions themselves.
    // Typing a target or an amount arms the recalculation.
    amountColumn_->onChange = [this] { recalculation_->arm(); };
    // An edit of a limit refits, as an amount's does.
    for (DBGridColumn* column : {minimumColumn_, maximumColumn_})
        column->onChange = [this] { recalculation_->arm(); };
    connect(fitModeBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseFitMode(fitModeBox_->currentData().toInt()); }); });
    connect(waterBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseWater(waterBox_->currentData()); }); });
    connect(acidBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseAcid(acidBox_->currentData()); }); });
    connectClick(waterButton_, [this] { relay([this] { emit waterProfilesRequested(); }); });
    recalculation_->watch(*concentrations_->grid());
    recalculation_->watch(*compositionGrid_);
    // What the saved solutions' pane asks for, inside the action it runs.
    const auto answer = [this](void (SavedSolutionsPane::*request)(), std::function<void()> handler) {
        connect(savedPane_, request, this, [this, handler = std::move(handler)] { guard().carry(handler); });
    };
    answer(&SavedSolutionsPane::calculationRequested, [this] { calculateSavedSolution(); });
    answer(&SavedSolutionsPane::exportRequested,
           [this] { savedPane_->exportToSpreadsheets(*concentrations_->grid()); });
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
    // What the targets' pane tells: a row stored or deleted, a value typed
    // (which arms the recalculation, as an amount's does), the analysis.
    const auto onTargets = [this](void (ConcentrationsPane::*signal)(), void (CalculatorWindow::*handler)()) {
        connect(concentrations_, signal, this,
                [this, handler] { guard().carry([this, handler] { (this->*handler)(); }); });
    };
    onTargets(&ConcentrationsPane::rowPosted, &CalculatorWindow::targetPosted);
    onTargets(&ConcentrationsPane::deleteRequested, &CalculatorWindow::deleteTarget);
    connect(concentrations_, &ConcentrationsPane::edited, recalculation_, &RecalculationTimer::arm);
    connect(concentrations_, &ConcentrationsPane::analysisRequested, this, [this] {
        guard().carry([this] {
            // The analysis reads the results: they are worked out from what is stored first.
            refreshResults();
            relay([this] { emit analysisRequested(); });
        });
    });
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
    layOut(concentrations_);
    place(concentrations_->splitter(), share(concentrations_->splitter(), 0.82));
    layOut(savedPane_);
    place(savedPane_->splitter(), 240);
}

} // namespace solvane
