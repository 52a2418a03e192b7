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
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/fit_choice_panel.h"
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
    fitChoice_ = new FitChoicePanel(g, data_, solution_, workArea);
    workAreaLayout->addWidget(fitChoice_);
    workSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter4"), Qt::Horizontal, workArea);
    workAreaLayout->addWidget(workSplitter_, 1);

    // The panes are built in the order of the tab stops.
    fertilizerPane_ = new FertilizerPane(g, data_, workSplitter_);
    workSplitter_->addWidget(fertilizerPane_);
    compositionPane_ = new CompositionPane(g, data_, workSplitter_);
    workSplitter_->addWidget(compositionPane_);
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
    // What the composition pane asks for, inside the action it runs.
    const auto onComposition = [this](void (CompositionPane::*request)(), void (CalculatorWindow::*handler)()) {
        connect(compositionPane_, request, this,
                [this, handler] { guard().carry([this, handler] { (this->*handler)(); }); });
    };
    onComposition(&CompositionPane::addRequested, &CalculatorWindow::addToComposition);
    onComposition(&CompositionPane::removeRequested, &CalculatorWindow::removeFromComposition);
    onComposition(&CompositionPane::calculationRequested, &CalculatorWindow::calculate);
    onComposition(&CompositionPane::recipeRequested, &CalculatorWindow::buildRecipe);
    connect(compositionPane_, &CompositionPane::saveRequested, this, &CalculatorWindow::newSolutionNameRequested);
    // The mixing tools read the results: they are worked out from what is stored first.
    connect(compositionPane_, &CompositionPane::stockSolutionsRequested, this, [this] {
        guard().carry([this] {
            refreshResults();
            relay([this] { emit stockSolutionsRequested(false); });
        });
    });
    const auto onMenu = [this](QAction* action, void (CalculatorWindow::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    onMenu(addTargetItem_, &CalculatorWindow::addTargetRow);
    onMenu(deleteTargetItem_, &CalculatorWindow::deleteTargetRow);
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
    onComposition(&CompositionPane::amountsEdited, &CalculatorWindow::armRecalculation);
    targetColumn_->onChange = [this] { armRecalculation(); };
    // An edit of a weight, a tolerance or a limit refits, as an amount's does.
    for (DBGridColumn* column : {weightColumn_, toleranceColumn_})
        column->onChange = [this] { armRecalculation(); };
    // The fit and the acid the panel stored, and the water chosen, give a new recipe.
    connect(fitChoice_, &FitChoicePanel::fitModeChosen, this, [this] {
        guard().carry([this] {
            applyFitState();
            buildRecipe();
        });
    });
    connect(fitChoice_, &FitChoicePanel::waterChosen, this, [this](const QVariant& profile) {
        guard().carry([this, profile] {
            storeChoice(col::options::water, profile);
            refreshWater();
            buildRecipe();
        });
    });
    connect(fitChoice_, &FitChoicePanel::acidChosen, this, [this] { guard().carry([this] { buildRecipe(); }); });
    connect(fitChoice_, &FitChoicePanel::waterProfilesRequested, this, &CalculatorWindow::waterProfilesRequested);
    compositionPane_->grid()->onEditorClosed = [this] { cellEditorClosed(); };
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
