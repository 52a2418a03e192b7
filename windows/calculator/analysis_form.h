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

class Program;

// The solution analysis "Анализ раствора": the current crop's target rows as
// the concentration grid shows them (what the composition gives, or a saved
// solution's, whichever was calculated last) against their targets, as a bar
// chart and a table with each deviation, the sums of the cations and anions,
// the conductivity a meter should read, and why an element or a fertilizer
// came out as it did. While it is open it follows every change, once per
// action.
class TF_Analysis : public FollowingForm {
    Q_OBJECT
public:
    explicit TF_Analysis(Program& program);
    ~TF_Analysis() override;

    QChartView* Chart1 = nullptr;
    QChart* Chart = nullptr;
    QBarSeries* Series1 = nullptr;
    QBarSet* BarSet1 = nullptr;        // "Необходимость"
    QBarSet* BarSet2 = nullptr;        // "Расчёт"
    QBarCategoryAxis* AxisX = nullptr; // the elements' short names
    QValueAxis* AxisY = nullptr;       // "мг/л"
    TextGrid* StringGrid1 = nullptr; // "Элемент", "Необходимость", "Расчёт", "Отклонение, %"
    QLabel* Label1 = nullptr;        // "Катионы: ..."
    QLabel* Label2 = nullptr;        // "Анионы: ..."
    QLabel* Label3 = nullptr;        // "Расчётная ЭП: ..."
    QLabel* Label4 = nullptr;        // how the sums are counted
    QLabel* Label5 = nullptr;        // "Предупреждения:"
    QListWidget* ListBox1 = nullptr; // the warnings

    // What the menu item runs.
    void Open();
    const SolutionAnalysis& result() const { return result_; }

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

    Program& program_;
    SolutionAnalysis result_;
    View shown_;
};

} // namespace solvane
