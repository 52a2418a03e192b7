// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"
#include "store/columns.h"
#include "model/working_solution.h"
#include "store/dataset.h"
#include "store/row_place.h"

#include <QVariant>
#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QWidget;

namespace solvane {

class CompositionPane;
class ConcentrationsPane;
class CropPane;
class Database;
class DBGrid;
class DBGridColumn;
class DBSpinBox;
class FertilizerPane;
class FitChoicePanel;
class RecalculationTimer;
class SavedSolutionsPane;
class Splitter;
struct Options;
struct SourceLines;

// The calculator "Tarvik v1.2": the working composition, the current crop's
// targets with the concentrations the composition gives, the crops, and the
// saved solutions. Every change of the composition or of a target runs the
// automatic recipe, which fits the amounts to the crop's targets and ends
// with the concentration calculation.
class CalculatorWindow : public Form {
    Q_OBJECT
public:
    CalculatorWindow(Database& data, WorkingSolution& solution, HandlerGuard& guard);
    ~CalculatorWindow() override;

    // ---- what the rest of the program reads or sets ----
    // The options record carried over: colours, shown columns and strips,
    // the crop pane, the maximum strength, the fit and the water.
    void applyOptions(const Options& options);
    // RzSplitter1 .. RzSplitter5, whose positions size.ini keeps.
    std::array<Splitter*, 5> splitters() const;
    // "Культура:", with the strength.
    CropPane* cropPane() const { return cropPane_; }
    // The target rows hold what the composition gives (its calculation ran
    // last) rather than a saved solution's (the saved-solution pass ran last).
    bool showsComposition() const { return compositionShown_; }
    // The last classic recipe left out a singular value: the fertilizers
    // cannot reach every target independently of the others.
    bool singularValueLeftOut() const { return singularValueLeftOut_; }
    // Why the last fit, the cheapest, gave way to the grower's; empty when it did not.
    const QString& fitMessage() const { return solution_.fitMessage(); }
    // The ions, their report and the EC of the lines the target rows show
    // (the composition's or the saved solution's), the source water included.
    SolutionIons shownIons() const;
    // The lines the mixing windows read, with their fertilizers' content:
    // the composition's with the acid's line the program adds, or the
    // current saved solution's (none without one).
    SourceLines mixingLines(bool composition) const;
    // The lines the program adds to the composition (the acid's), which
    // "Сохранить" saves with it.
    std::vector<LineRecord> addedLines() const;
    // The fit the recipe uses: 1 the grower's (amounts ≥ 0, relative error,
    // weights, limits), 2 the cheapest within the tolerances, 0 the classic
    // least squares. From the options record; without one, the choice made
    // in this run.
    int fitMode() const;
    // The source water counted, or null for none.
    QVariant selectedWater() const;
    // The fertilizer list with its search, its count and the button column.
    FertilizerPane* fertilizerPane() const { return fertilizerPane_; }
    // The recalculation after an edit of a target or an amount.
    RecalculationTimer* recalculation() const { return recalculation_; }

    // ---- the composition ----
    // ">" (also a double click in the list and the menu's "Добавить").
    void addToComposition();
    // "<" (also the menu's "Удалить").
    void removeFromComposition();
    // "X"
    void clearComposition();

    // ---- where the calculator stands ----
    // The crop, the saved solution and the composition's line, by key.
    struct Place {
        RowPlace crop;
        RowPlace solution;
        RowPlace line;
    };
    Place place();
    // Back to a place after every data set was read again.
    void returnTo(const Place& place);
    // The crop in use is kept in the options record (id_kult_last) for the
    // next start; without a record, for this run.
    void rememberCrop();
    // The remembered crop becomes current, or the first one when it is gone.
    void openOnRememberedCrop();

    // ---- the calculation, the totals, the strength ----
    // The concentrations the composition gives the current crop's targets.
    void calculate();
    // The results shown worked out again from what is stored (the
    // calculation, not the fit): the composition's, or the saved solution's
    // when that was calculated last.
    void refreshResults();
    void updateTotals();

    // ---- crops and targets ----
    void cropClicked();
    // A crop the grower typed was stored: its target list is completed, and
    // it is remembered as the crop in use.
    void cropPosted();
    // Gives the current crop a target row for every plain element it lacks.
    void completeTargetList();
    // The crops' delete: the crop with its target rows and saved solutions.
    void deleteCrop();

    // ---- the automatic recipe ----
    void buildRecipe();
    // The water window closed: the list is read again, and the recipe and
    // the calculation run again when the counted water changed.
    void waterProfilesChanged();

    // ---- saved solutions ----
    // A click in the names, a key released in them, or the menu's "Рассчитать".
    void calculateSavedSolution();

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
    // ---- building ----
    void buildLayout();
    void wireControls();
    void applyInitialProportions();

    // ---- handlers of the data sets and the controls ----
    void targetPosted();
    void deleteTarget();
    // The columns and the amounts' display that go with the fit and the water.
    void applyFitState();
    // Shows the options' fit and water in the drop-downs.
    void showFitChoice();
    // The counted water's mg/l by element, read again.
    void refreshWater();
    // The fit the options name, writing the composition's amounts.
    void fitAmounts(SolutionInputs& in);
    // The composition's results posted, and the totals shown.
    void showComposition(SolutionInputs& in);
    // The totals, and the EC and the cost of the lines shown (the
    // composition's for 1000 l, or a saved solution's for its litres); the
    // acid's dose, its line under the composition, and the ml columns of
    // both grids, shown while a line is of a liquid.
    void showFigures(const SolutionInputs& in, const std::vector<LineRecord>& lines, double litres);
    // The current crop's EC, when it has one above 0.
    std::optional<double> cropEc() const;
    // "Под EC": the crop's targets times the one factor that brings the
    // fitted recipe's EC to the crop's, after the grower agrees; then the recipe.
    void fitTargetsToCropEc();
    // Stores a choice of the water or the crop in the options record, or for
    // this run only when there is none.
    void storeChoice(const QString& column, const QVariant& value);

    Database& data_;
    WorkingSolution& solution_;
    int actionEndHandler_ = 0;

    // ---- state ----
    bool compositionShown_ = true;
    bool singularValueLeftOut_ = false;
    // The choices of a run whose base has no options record (the fit's is
    // the options store's).
    QVariant sessionWater_;
    QVariant sessionCrop_;
    // The counted water's mg/l by element; empty without water.
    std::unordered_map<long long, double> waterAmounts_;

    // ---- widgets ----
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

    // Fields the calculator reads, resolved once.
    Field* cropKey_ = nullptr;        // crops.id_kult
    Field* lineFertilizer_ = nullptr; // composition.id_udobra
    Field* listKey_ = nullptr;        // fertilizers.id_udobra
    // The keys by which the lists find their rows again.
    const QString kLineKey = col::lines::key;
    const QString kTargetKey = col::targets::key;
};

} // namespace solvane
