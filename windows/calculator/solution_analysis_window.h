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
class QLabel;
class QListWidget;
class QValueAxis;

namespace solvane {

class CalculatorWindow;
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
    SolutionAnalysisWindow(Database& data, HandlerGuard& guard, const CalculatorWindow& calculator);
    ~SolutionAnalysisWindow() override;

    // What the menu item runs.
    void open();
    const SolutionAnalysis& result() const { return result_; }
    // The chart, for reading back what it draws.
    const QChart* chart() const { return chart_; }

private:
    struct View {
        QStringList categories;
        std::vector<double> targets, results;
        std::vector<TextRow> rows;
        QString cations, anions, conductivity;
        QStringList warnings;
        bool operator==(const View& other) const;
    };
    void buildLayout();
    bool compute() override;
    void apply() override;

    Database& data_;
    const CalculatorWindow& calculator_;
    QChartView* chartView_ = nullptr;
    QChart* chart_ = nullptr;
    QBarSeries* series_ = nullptr;
    QBarSet* targetBars_ = nullptr;     // "Необходимость"
    QBarSet* resultBars_ = nullptr;     // "Расчёт"
    QBarCategoryAxis* axisX_ = nullptr; // the elements' short names
    QValueAxis* axisY_ = nullptr;       // "мг/л"
    TextGrid* grid_ = nullptr; // "Элемент", "Необходимость", "Расчёт", "Отклонение, %"
    QLabel* cations_ = nullptr;      // "Катионы: ..."
    QLabel* anions_ = nullptr;       // "Анионы: ..."
    QLabel* conductivity_ = nullptr; // "Расчётная ЭП: ..."
    QListWidget* warnings_ = nullptr;
    SolutionAnalysis result_;
    View shown_;
};

} // namespace solvane
