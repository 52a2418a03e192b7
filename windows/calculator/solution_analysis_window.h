// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/solution_analysis.h"
#include "controls/following_form.h"
#include "controls/text_grid.h"

#include <QStringList>
#include <vector>

class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QListWidget;
class QValueAxis;

namespace solvane {

class WorkingSolution;
class Database;

// The solution analysis "Анализ раствора": the current crop's target rows as
// the concentration grid shows them (what the composition gives, or a saved
// solution's, whichever was calculated last) against their targets, as a bar
// chart and a table with each deviation, the sums of the cations and anions,
// the conductivity a meter should read, and why an element or a fertilizer
// came out as it did. While it is open it follows every change, once per
// action.
class SolutionAnalysisWindow : public FollowingForm {
    Q_OBJECT
public:
    SolutionAnalysisWindow(Database& data, HandlerGuard& guard, const WorkingSolution& solution);
    ~SolutionAnalysisWindow() override;

    // What the menu item runs.
    void open();
    const SolutionAnalysis& result() const { return result_; }
    // The chart, for reading back what it draws.
    const QChart* chart() const { return chart_; }

private:
    struct View {
        QStringList categories;
        std::vector<double> percents; // each row with a target: the result in % of it
        std::vector<TextRow> rows;
        QString cations, anions, balance, conductivity, ammonium, ratios, bicarbonate;
        QStringList warnings;
        bool operator==(const View& other) const;
    };
    void buildLayout();
    bool compute() override;
    void apply() override;

    Database& data_;
    const WorkingSolution& solution_;
    QChartView* chartView_ = nullptr;
    QChart* chart_ = nullptr;
    QBarSeries* series_ = nullptr;
    QBarSet* resultBars_ = nullptr;     // "Расчёт, % от необходимости"
    QLineSeries* targetLine_ = nullptr; // the targets, 100 %
    QBarCategoryAxis* axisX_ = nullptr; // the short names of the rows with a target
    QValueAxis* axisY_ = nullptr;       // "% от необходимости"
    TextGrid* grid_ = nullptr; // "Элемент", "Необходимость", "Расчёт", "Отклонение, %"
    QLabel* cations_ = nullptr;      // "Катионы: ..."
    QLabel* anions_ = nullptr;       // "Анионы: ..."
    QLabel* balance_ = nullptr;      // "Разница: ... % от большей суммы"
    QLabel* conductivity_ = nullptr; // "Ожидаемая EC: ..."
    QLabel* ammonium_ = nullptr;     // "Аммонийный азот: ... % от N"
    QLabel* ratios_ = nullptr;       // "K : Ca : Mg = ...; NO3 : NH4 = ..."
    QLabel* bicarbonate_ = nullptr;  // "HCO3 после кислоты: 30,5 мг/л", with a water that has it
    QComboBox* units_ = nullptr;     // "Единицы:" of the rows
    QListWidget* warnings_ = nullptr;
    SolutionAnalysis result_;
    View shown_;
};

} // namespace solvane
