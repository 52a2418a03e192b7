// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"
#include "model/working_solution.h"

#include <array>

namespace solvane {

class CompositionPane;
class ConcentrationsPane;
class CropPane;
class Database;
class DBGrid;
class DBGridColumn;
class FertilizerPane;
class FitChoicePanel;
class RecalculationTimer;
class SavedSolutionsPane;
class Splitter;
struct Options;

// The calculator "Tarvik v1.2": the working composition, the current crop's
// targets with the concentrations the composition gives, the crops, and the
// saved solutions. Every change of the composition or of a target runs the
// automatic recipe, which fits the amounts to the crop's targets and ends
// with the concentration calculation. The window composes the panes that
// show them; the working solution (model/working_solution.h) runs the passes,
// and the window hands what each pass leaves to the panes.
class CalculatorWindow : public Form {
    Q_OBJECT
public:
    CalculatorWindow(Database& data, WorkingSolution& solution, HandlerGuard& guard);
    ~CalculatorWindow() override;

    // The working solution the window shows.
    WorkingSolution& solution() const { return solution_; }
    // The options record carried over: colours, shown columns and strips,
    // the crop pane, the maximum strength, the fit and the water.
    void applyOptions(const Options& options);
    // RzSplitter1 .. RzSplitter5, whose positions size.ini keeps.
    std::array<Splitter*, 5> splitters() const;
    // "Культура:", with the strength.
    CropPane* cropPane() const { return cropPane_; }
    // The fertilizer list with its search, its count and the button column.
    FertilizerPane* fertilizerPane() const { return fertilizerPane_; }
    // "Состав раствора:", whose actions add, remove and clear lines.
    CompositionPane* compositionPane() const { return compositionPane_; }
    // The recalculation after an edit of a target or an amount.
    RecalculationTimer* recalculation() const { return recalculation_; }

    // The water window closed: the list is read again, and the recipe and
    // the calculation run again when the counted water changed.
    void waterProfilesChanged();

signals:
    // What the calculator asks of the rest of the program, emitted through
    // the handler guard's relay.
    void elementsRequested();                         // "E": as the launcher's "Элементы"
    void fertilizersRequested();                      // "U": as the launcher's "Удобрения"
    void stockSolutionsRequested(bool savedSolution); // of the saved solution (true) or the composition
    void analysisRequested();
    void waterProfilesRequested();
    void newSolutionNameRequested();           // "Сохранить"
    void renameRequested(const QString& name); // "изменить название"
    void closing();                            // sizes saved, every data set read again
    void endRequested();                       // closing with automatic start set in the options

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void buildLayout();
    void wireControls();
    void applyInitialProportions();

    // What a pass of the working solution leaves, handed to the panes: the
    // fit's message, the saved lines read again, the totals, the EC and the
    // cost of the lines shown (the composition's for 1000 l, or a saved
    // solution's for its litres), the acid's dose and line, and the ml
    // columns, shown while a line is of a liquid.
    void showPass(const ShownPass& pass);
    // Shows the options' fit and water in the drop-downs, counts the water
    // and sets the columns that go with them; true when the water's mg/l changed.
    bool showFitChoice();
    // The water chosen counted, and its column shown; true when its mg/l changed.
    bool showWater();
    // The columns and the amounts' display that go with the fit.
    void applyFitState();

    Database& data_;
    WorkingSolution& solution_;
    int actionEndHandler_ = 0;

    Splitter* mainSplitter_ = nullptr;         // RzSplitter1: left part | concentrations and crops
    Splitter* leftSplitter_ = nullptr;         // RzSplitter2: fertilizers and composition / saved solutions
    Splitter* workSplitter_ = nullptr;         // RzSplitter4: fertilizer list and buttons | composition
    FertilizerPane* fertilizerPane_ = nullptr; // "PanelFertilizers"
    // "PanelFit" ("Подбор:", "Вода:", "Кислота:"), and "Состав раствора:".
    FitChoicePanel* fitChoice_ = nullptr;
    CompositionPane* compositionPane_ = nullptr;
    SavedSolutionsPane* savedPane_ = nullptr; // "Готовые растворы:"; the two columns below are its
    DBGridColumn* savedAmountColumn_ = nullptr;
    DBGridColumn* litresAmountColumn_ = nullptr;
    ConcentrationsPane* concentrations_ = nullptr; // the targets, their navigator and the totals strips
    CropPane* cropPane_ = nullptr;                 // "Культура:"; the one below is its
    DBGrid* cropGrid_ = nullptr;
    RecalculationTimer* recalculation_ = nullptr; // "Timer1"
};

} // namespace solvane
