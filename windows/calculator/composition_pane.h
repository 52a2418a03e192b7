// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QAction;
class QPushButton;
class QVBoxLayout;

namespace solvane {

class AddedLineRow;
class Database;
class DBGrid;
class DBGridColumn;
class HandlerGuard;
class WorkingSolution;
struct SolutionInputs;

// The calculator's "Состав раствора:": the working composition's grid with
// its menu, the acid's line the program adds under it, and "Сохранить" with
// the two buttons built hidden. The limits' check, the columns that go with
// the fit and the composition's lines (added, removed, cleared, each followed
// by the working solution's recipe) are the pane's own; what opens another
// window it asks for by its signals, each emitted as a user action through
// the handler guard's relay.
class CompositionPane : public QGroupBox {
    Q_OBJECT
public:
    CompositionPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent);

    // ">" (also a double click in the list and the menu's "Добавить"): a line
    // for the list's current fertilizer, unless the composition has one.
    void addFertilizer();
    // "<" (also the menu's "Удалить"): the current line goes, with what was
    // being typed into it.
    void removeLine();
    // "X": every line goes.
    void clearLines();

    DBGrid* grid() const { return grid_; }
    // The classic fit knows no limits; the fitted unrounded amounts show
    // four significant digits.
    void applyFit(int fit);
    // The acid's line under the grid, and the ml column, shown while a line
    // is of a liquid.
    void showAcidLine(const SolutionInputs& in);

signals:
    void stockSolutionsRequested(); // the menu's "Маточные растворы..."
    void saveRequested();           // "Сохранить"
    void amountsEdited();           // an amount or a limit typed

private:
    void buildGrid(QVBoxLayout* layout);
    void buildMenu();
    void buildButtons(QVBoxLayout* layout);
    // The refusal of a minimum above the maximum, or the reverse; empty when none.
    QString limitRefusal(const QVariant& value, bool minimum) const;
    // What follows a change of the lines (and "?"): the working solution's recipe.
    void runRecipe();
    // Emits one of the pane's requests through the guard's relay.
    void request(void (CompositionPane::*signal)());

    HandlerGuard& guard_;
    Database& data_;
    WorkingSolution& solution_;
    DBGrid* grid_ = nullptr;
    DBGridColumn* amountColumn_ = nullptr;
    DBGridColumn* minimumColumn_ = nullptr;
    DBGridColumn* maximumColumn_ = nullptr;
    DBGridColumn* millilitresColumn_ = nullptr;
    AddedLineRow* acidLineRow_ = nullptr;
};

} // namespace solvane
