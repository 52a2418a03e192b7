// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/stock_solutions.h"
#include "controls/following_form.h"
#include "controls/text_grid.h"

#include <QStringList>
#include <map>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace solvane {

class NumberSpinBox;
class WorkingSolution;
class Database;

// The stock concentrates "Маточные растворы": the lines of the working
// composition or of the current saved solution split into two concentrated
// solutions, tank A with the calcium and tank B with the phosphates and
// sulfates, with the grams of each fertilizer per tank, the dose of each
// concentrate per litre of water and the warnings. While it is open it
// follows its source: after every action that changed what it shows, once.
class StockSolutionsWindow : public FollowingForm {
    Q_OBJECT
public:
    enum class Source { Composition, SavedSolution };

    StockSolutionsWindow(Database& data, HandlerGuard& guard, const WorkingSolution& solution);
    ~StockSolutionsWindow() override;

    // What the menu items run: shows the window for the source, every line
    // in the tank of its first assignment.
    void open(Source source);
    Source source() const { return source_; }

    // The concentration box changed.
    void concentrationChanged();
    // The volume box took a new number (one outside its limits is refused
    // when its edit ends, and the last results stay).
    void volumeChanged();
    // The user put a line into the other tank; the switch holds for the
    // line's fertilizer until the window is opened again.
    void tankChosen(int row, Tank tank);
    // "Выгрузить в EXCEL"
    void exportToSpreadsheet();

    // What the grid and the export show, as worked out last.
    const std::vector<SolutionLine>& lines() const { return lines_; }
    const std::vector<Tank>& tanks() const { return tanks_; }
    const StockSolutions& result() const { return result_; }

private:
    struct View {
        QString caption;
        std::vector<TextRow> rows;
        QString tankA, tankB, dose, cost;
        QStringList warnings;
        bool operator==(const View& other) const;
    };
    void buildLayout();
    bool compute() override;
    void apply() override;

    Database& data_;
    const WorkingSolution& solution_;
    QLabel* caption_ = nullptr;                 // "Раствор: ..."
    NumberSpinBox* concentrationBox_ = nullptr; // the concentration, 2 to 1000
    NumberSpinBox* volumeBox_ = nullptr;        // the volume of each tank
    TextGrid* grid_ = nullptr;                  // "Удобрение", "г/л", "Бак", "Граммов в бак"
    QLabel* tankA_ = nullptr;                   // "Бак А: ..."
    QLabel* tankB_ = nullptr;                   // "Бак Б: ..."
    QLabel* dose_ = nullptr;                    // "На 1 л готового раствора: ..."
    QLabel* cost_ = nullptr;                    // "Стоимость обоих баков: ..."
    QListWidget* warnings_ = nullptr;
    Source source_ = Source::Composition;
    int concentration_ = 100;
    double volume_ = 10;
    // The user's switches by the line's fertilizer.
    std::map<long long, Tank> switches_;
    std::vector<long long> keys_;
    std::vector<SolutionLine> lines_;
    std::vector<Tank> tanks_;
    StockSolutions result_;
    View shown_;
};

} // namespace solvane
