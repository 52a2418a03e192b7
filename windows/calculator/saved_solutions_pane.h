// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

namespace solvane {

class Database;
class DBGrid;
class DBGridColumn;
class DBSpinBox;
class HandlerGuard;
class Splitter;
class WorkingSolution;
struct SolutionInputs;

// The calculator's "Готовые растворы:" pane: the saved solutions' names with
// their menu and the litres box | the current saved solution's lines with
// the amounts for those litres and their menu. It sets the working
// solution's litres from the box, which the lines' per-litres amounts take;
// what it asks of the calculator goes out as signals, emitted through the
// handler guard's relay.
class SavedSolutionsPane : public QGroupBox {
    Q_OBJECT
public:
    // The litres panel shows its hint through the hints filter.
    SavedSolutionsPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QObject* hints, QWidget* parent);

    // RzSplitter3: the names and the litres | the lines.
    Splitter* splitter() const { return splitter_; }
    DBSpinBox* litresBox() const { return litresBox_; }
    // The lines' amount per litre and their amount for the box's litres.
    DBGridColumn* amountColumn() const { return amountColumn_; }
    DBGridColumn* litresAmountColumn() const { return litresAmountColumn_; }

    // The litres box's value; an empty or unreadable box counts as 0.
    double litres() const;
    // Sets the per-litres column's caption, and the ml column's for the
    // box's litres, each only when it changes.
    void setLitresCaption(const QString& caption);
    // The lines read anew with the box's litres; while they have rows, the
    // caption names the header's litres.
    void reopenLines();
    // The lines' ml column, shown when a line is of a liquid.
    void showSavedMillilitres(const SolutionInputs& in);

    // "изменить название": the rename is asked for with the current name.
    void renameSavedSolution();
    // "удалить р-р"
    void deleteSavedSolution();
    // "Выгрузить в EXCEL": the lines and the concentrations grid, each to its file.
    void exportToSpreadsheets(const DBGrid& concentrations);

signals:
    // A click in the names, a key released in them, or the menu's "Рассчитать".
    void calculationRequested();
    void renameRequested(const QString& name);
    void exportRequested();
    // "Маточные растворы..." of the lines' menu.
    void stockSolutionsRequested();

private:
    void buildNames(QObject* hints);
    void buildLines();
    // The box's value changed, by the user or with the header.
    void litresChanged();
    // Emits a request through the guard's relay.
    void request(void (SavedSolutionsPane::*signal)());

    HandlerGuard& guard_;
    Database& data_;
    WorkingSolution& solution_;
    Splitter* splitter_ = nullptr;
    DBGrid* namesGrid_ = nullptr;
    DBSpinBox* litresBox_ = nullptr;
    DBGrid* linesGrid_ = nullptr;
    DBGridColumn* amountColumn_ = nullptr;
    DBGridColumn* litresAmountColumn_ = nullptr;
    DBGridColumn* litresMillilitresColumn_ = nullptr;
};

} // namespace solvane
