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
    compositionPane_ = new CompositionPane(g, data_, solution_, workSplitter_);
    workSplitter_->addWidget(compositionPane_);
    savedPane_ = new SavedSolutionsPane(g, data_, solution_, hints, leftSplitter_);
    leftSplitter_->addWidget(savedPane_);
    savedAmountColumn_ = savedPane_->amountColumn();
    litresAmountColumn_ = savedPane_->litresAmountColumn();
    concentrations_ = new ConcentrationsPane(g, data_, solution_, mainSplitter_);
    mainSplitter_->addWidget(concentrations_);
    // The crops under the strength.
    cropPane_ = new CropPane(g, data_, solution_, concentrations_->splitter());
    concentrations_->splitter()->addWidget(cropPane_);
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
    // What a pass of the working solution leaves is shown by the panes.
    connect(&solution_, &WorkingSolution::passFinished, this,
            [this](const ShownPass& pass) { guard().carry([this, &pass] { showPass(pass); }); });
    // A pane's request runs its answer inside the action that emitted it,
    // and within a relay of its own, so that a failure in showing what a
    // pass left stops the action as well.
    const auto answer = [this](auto* pane, auto request, auto handler) {
        connect(pane, request, this, [this, handler] { guard().carry([this, handler] { relay(handler); }); });
    };
    // What the fertilizer pane asks for: the composition pane's actions, and
    // the directories, asked for as the calculator's own requests.
    answer(fertilizerPane_, &FertilizerPane::addRequested, [this] { compositionPane_->addFertilizer(); });
    answer(fertilizerPane_, &FertilizerPane::removeRequested, [this] { compositionPane_->removeLine(); });
    answer(fertilizerPane_, &FertilizerPane::clearRequested, [this] { compositionPane_->clearLines(); });
    connect(fertilizerPane_, &FertilizerPane::elementsRequested, this, &CalculatorWindow::elementsRequested);
    connect(fertilizerPane_, &FertilizerPane::fertilizersRequested, this, &CalculatorWindow::fertilizersRequested);
    connect(compositionPane_, &CompositionPane::saveRequested, this, &CalculatorWindow::newSolutionNameRequested);
    // The mixing tools read the results: they are worked out from what is stored first.
    answer(compositionPane_, &CompositionPane::stockSolutionsRequested, [this] {
        solution_.refresh();
        emit stockSolutionsRequested(false);
    });
    answer(savedPane_, &SavedSolutionsPane::stockSolutionsRequested, [this] {
        solution_.refresh();
        emit stockSolutionsRequested(true);
    });
    answer(concentrations_, &ConcentrationsPane::analysisRequested, [this] {
        solution_.refresh();
        emit analysisRequested();
    });
    answer(savedPane_, &SavedSolutionsPane::calculationRequested, [this] { solution_.savedSolutionPass(); });
    answer(savedPane_, &SavedSolutionsPane::exportRequested,
           [this] { savedPane_->exportToSpreadsheets(*concentrations_->grid()); });
    connect(savedPane_, &SavedSolutionsPane::renameRequested, this, &CalculatorWindow::renameRequested);

    // Typing an amount, a limit, a target, a weight or a tolerance arms the
    // recalculation, which runs the recipe.
    connect(compositionPane_, &CompositionPane::amountsEdited, recalculation_, &RecalculationTimer::arm);
    connect(concentrations_, &ConcentrationsPane::edited, recalculation_, &RecalculationTimer::arm);
    recalculation_->watch(*concentrations_->grid());
    recalculation_->watch(*compositionPane_->grid());
    answer(recalculation_, &RecalculationTimer::due, [this] { solution_.recipe(); });
    // The calculated fields of both sets depend on the strength: they are
    // recomputed and the grids shown anew (refreshing settles a pending edit,
    // as the moves of the totals do anyway).
    connect(cropPane_, &CropPane::strengthChanged, this, [this](int percent) {
        guard().carry([this, percent] {
            solution_.setStrength(percent);
            data_.composition.refresh();
            data_.targets.refresh();
            relay([this] { solution_.figures(); });
        });
    });

    // The fit and the acid the panel stored, and the water chosen, give a new recipe.
    answer(fitChoice_, &FitChoicePanel::fitModeChosen, [this] {
        applyFitState();
        solution_.recipe();
    });
    connect(fitChoice_, &FitChoicePanel::waterChosen, this, [this](const QVariant& profile) {
        guard().carry([this, profile] {
            solution_.chooseWater(profile);
            showWater();
            relay([this] { solution_.recipe(); });
        });
    });
    answer(fitChoice_, &FitChoicePanel::acidChosen, [this] { solution_.recipe(); });
    connect(fitChoice_, &FitChoicePanel::waterProfilesRequested, this, &CalculatorWindow::waterProfilesRequested);
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
