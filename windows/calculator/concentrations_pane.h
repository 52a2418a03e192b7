// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QColor;

namespace solvane {

class Database;
class DBGrid;
class DBGridColumn;
class DBNavigator;
class HandlerGuard;
class Splitter;
class TotalsStrips;
class WorkingSolution;

// The calculator's "Концентрация элементов: мг/л." pane: the current crop's
// targets with what the composition gives, their menu and navigator, over
// the totals strips; below them, in the pane's splitter, the crops. Adding
// and deleting a row by the menu is the pane's own, and so is what follows
// from a row stored or deleted and from "Под EC" (the working solution's
// passes); a value typed and the analysis it tells the calculator by its
// signals, each emitted as a user action through the handler guard's relay.
class ConcentrationsPane : public QGroupBox {
    Q_OBJECT
public:
    ConcentrationsPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent);

    // RzSplitter5: the targets and the totals / the crops.
    Splitter* splitter() const { return splitter_; }
    DBGrid* grid() const { return grid_; }
    // The PPM and mg/l strips, the EC, "Под EC" and the cost.
    TotalsStrips* totals() const { return totals_; }

    // The options' backgrounds of the element, target and result columns.
    void setColumnColours(const QColor& element, const QColor& target, const QColor& result);
    // The options' choice of the element, target and result columns.
    void showColumns(bool element, bool target, bool result);
    // The weight is for the fits that know it (not the classic one); the
    // tolerance is shown under the cheapest fit alone.
    void showFitColumns(bool weights, bool tolerances);
    // The source water's share, shown while a water is counted.
    void showWaterColumn(bool shown);

signals:
    // A target, a weight or a tolerance was typed.
    void edited();
    // "Анализ раствора..."
    void analysisRequested();

private:
    void buildGrid(HandlerGuard& guard, QWidget* upper);
    void buildMenu();
    void wire();
    // The navigator's delete, the grower having agreed: the row goes and the
    // recipe runs again; a new row not yet stored is only dropped.
    void deleteTarget();
    // "Под EC": the crop's targets times the one factor that brings the
    // fitted recipe's EC to the crop's, after the grower agrees; then the recipe.
    void fitTargetsToCropEc();
    // Emits one of the pane's signals through the guard's relay.
    void request(void (ConcentrationsPane::*signal)());
    // Runs the handler when the item is chosen, as one user action.
    void onItem(QAction* item, void (ConcentrationsPane::*handler)());
    // The menu's "Добавить" and "Удалить": the navigator's buttons.
    void addRow();
    void deleteRow();
    // The navigator's delete: the row goes after the standard question.
    void confirmDelete();
    void announceAnalysis();

    HandlerGuard& guard_;
    Database& data_;
    WorkingSolution& solution_;
    Splitter* splitter_ = nullptr;
    DBGrid* grid_ = nullptr;
    DBGridColumn* elementColumn_ = nullptr;
    DBGridColumn* targetColumn_ = nullptr;
    DBGridColumn* resultColumn_ = nullptr;
    DBGridColumn* weightColumn_ = nullptr;
    DBGridColumn* toleranceColumn_ = nullptr; // "Допуск, %", under the cheapest fit
    DBGridColumn* waterColumn_ = nullptr;
    DBNavigator* navigator_ = nullptr;
    TotalsStrips* totals_ = nullptr;
};

} // namespace solvane
