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
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/fit_choice_panel.h"
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
    concentrations_ = new ConcentrationsPane(g, data_, mainSplitter_);
    mainSplitter_->addWidget(concentrations_);
    // The crops under the strength; the crops' delete is the calculator's.
    cropPane_ = new CropPane(g, data_.cropsSource, concentrations_->splitter());
    concentrations_->splitter()->addWidget(cropPane_);
    cropPane_->deleteNavigator()->deleteAction = [this] { deleteCrop(); };
    cropGrid_ = cropPane_->grid();

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

void CalculatorWindow::wireControls() {
    // What the fertilizer pane asks for: the composition's actions, which
    // run inside the pane's action, and the directories, asked for as the
    // calculator's own requests.
    // A pane's request runs its answer inside the action that emitted it.
    const auto onPane = [this](auto* pane, auto request, void (CalculatorWindow::*handler)()) {
        connect(pane, request, this, [this, handler] { guard().carry([this, handler] { (this->*handler)(); }); });
    };
    onPane(fertilizerPane_, &FertilizerPane::addRequested, &CalculatorWindow::addToComposition);
    onPane(fertilizerPane_, &FertilizerPane::removeRequested, &CalculatorWindow::removeFromComposition);
    onPane(fertilizerPane_, &FertilizerPane::clearRequested, &CalculatorWindow::clearComposition);
    connect(fertilizerPane_, &FertilizerPane::elementsRequested, this, &CalculatorWindow::elementsRequested);
    connect(fertilizerPane_, &FertilizerPane::fertilizersRequested, this, &CalculatorWindow::fertilizersRequested);
    // What the composition pane asks for, inside the action it runs.
    onPane(compositionPane_, &CompositionPane::addRequested, &CalculatorWindow::addToComposition);
    onPane(compositionPane_, &CompositionPane::removeRequested, &CalculatorWindow::removeFromComposition);
    onPane(compositionPane_, &CompositionPane::calculationRequested, &CalculatorWindow::calculate);
    onPane(compositionPane_, &CompositionPane::recipeRequested, &CalculatorWindow::buildRecipe);
    connect(compositionPane_, &CompositionPane::saveRequested, this, &CalculatorWindow::newSolutionNameRequested);
    // The mixing tools read the results: they are worked out from what is stored first.
    connect(compositionPane_, &CompositionPane::stockSolutionsRequested, this, [this] {
        guard().carry([this] {
            refreshResults();
            relay([this] { emit stockSolutionsRequested(false); });
        });
    });
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

    // Typing an amount or a limit arms the recalculation.
    connect(compositionPane_, &CompositionPane::amountsEdited, recalculation_, &RecalculationTimer::arm);
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
    recalculation_->watch(*concentrations_->grid());
    recalculation_->watch(*compositionPane_->grid());
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
    onPane(concentrations_, &ConcentrationsPane::rowPosted, &CalculatorWindow::targetPosted);
    onPane(concentrations_, &ConcentrationsPane::deleteRequested, &CalculatorWindow::deleteTarget);
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
