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
struct SolutionInputs;

// The calculator's "Состав раствора:": the working composition's grid with
// its menu, the acid's line the program adds under it, and "Сохранить" with
// the two buttons built hidden. The limits' check and the columns that go
// with the fit are the pane's own; what acts on the composition or opens
// another window it asks for by its signals, each emitted as a user action
// through the handler guard's relay.
class CompositionPane : public QGroupBox {
    Q_OBJECT
public:
    CompositionPane(HandlerGuard& guard, Database& data, QWidget* parent);

    DBGrid* grid() const { return grid_; }
    // The classic fit knows no limits; the fitted unrounded amounts show
    // four significant digits.
    void applyFit(int fit);
    // The acid's line under the grid, and the ml column, shown while a line
    // is of a liquid.
    void showAcidLine(const SolutionInputs& in);

signals:
    void addRequested();            // the menu's "Добавить"
    void removeRequested();         // the menu's "Удалить"
    void stockSolutionsRequested(); // the menu's "Маточные растворы..."
    void saveRequested();           // "Сохранить"
    void calculationRequested();    // "Рассчитать >>"
    void recipeRequested();         // "?"
    void amountsEdited();           // an amount or a limit typed

private:
    void buildGrid(QVBoxLayout* layout);
    void buildMenu();
    void buildButtons(QVBoxLayout* layout);
    // The refusal of a minimum above the maximum, or the reverse; empty when none.
    QString limitRefusal(const QVariant& value, bool minimum) const;
    // Emits one of the pane's requests through the guard's relay.
    void request(void (CompositionPane::*signal)());
    // A click or a menu item runs the request as one user action of the window.
    void requestOnAction(QAction* action, void (CompositionPane::*signal)());
    void requestOnClick(QPushButton* button, void (CompositionPane::*signal)());

    HandlerGuard& guard_;
    Database& data_;
    DBGrid* grid_ = nullptr;
    DBGridColumn* amountColumn_ = nullptr;
    DBGridColumn* minimumColumn_ = nullptr;
    DBGridColumn* maximumColumn_ = nullptr;
    DBGridColumn* millilitresColumn_ = nullptr;
    AddedLineRow* acidLineRow_ = nullptr;
};

} // namespace solvane
