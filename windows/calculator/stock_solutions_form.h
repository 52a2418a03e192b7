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
class Program;

// The stock concentrates "Маточные растворы": the lines of the working
// composition or of the current saved solution split into two concentrated
// solutions, tank A with the calcium and tank B with the phosphates and
// sulfates, with the grams of each fertilizer per tank, the dose of each
// concentrate per litre of water and the warnings. While it is open it
// follows its source: after every action that changed what it shows, once.
class TF_StockSolutions : public FollowingForm {
    Q_OBJECT
public:
    enum class Source { Composition, SavedSolution };

    explicit TF_StockSolutions(Program& program);
    ~TF_StockSolutions() override;

    QLabel* Label1 = nullptr;           // "Раствор: ..."
    QLabel* Label2 = nullptr;           // "Концентрация, раз:"
    NumberSpinBox* SpinEdit1 = nullptr; // the concentration, 2 to 1000
    QLabel* Label3 = nullptr;           // "Объём каждого бака, л:"
    NumberSpinBox* Edit1 = nullptr;     // the volume of each tank
    TextGrid* StringGrid1 = nullptr;    // "Удобрение", "г/л", "Бак", "Граммов в бак"
    QLabel* Label4 = nullptr;           // "Бак А: ..."
    QLabel* Label5 = nullptr;           // "Бак Б: ..."
    QLabel* Label6 = nullptr;           // "На 1 л воды: ..."
    QLabel* Label7 = nullptr;           // "Предупреждения:"
    QListWidget* ListBox1 = nullptr;    // the warnings
    QPushButton* Button1 = nullptr;     // "Выгрузить в EXCEL"

    // What the menu items run: shows the window for the source, every line
    // in the tank of its first assignment.
    void Open(Source source);
    Source source() const { return source_; }

    // The concentration box changed.
    void SpinEdit1Change();
    // The volume box took a new number (one outside its limits is refused
    // when its edit ends, and the last results stay).
    void Edit1Change();
    // The user put a line into the other tank; the switch holds for the
    // line's fertilizer until the window is opened again.
    void StringGrid1TankChange(int row, Tank tank);
    // "Выгрузить в EXCEL"
    void Button1Click();

    // What the grid and the export show, as worked out last.
    const std::vector<SolutionLine>& lines() const { return lines_; }
    const std::vector<Tank>& tanks() const { return tanks_; }
    const StockSolutions& result() const { return result_; }

private:
    struct View {
        QString caption;
        std::vector<TextRow> rows;
        QString tankA, tankB, dose;
        QStringList warnings;
        bool operator==(const View& other) const;
    };
    void buildLayout();
    bool compute() override;
    void apply() override;

    Program& program_;
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
