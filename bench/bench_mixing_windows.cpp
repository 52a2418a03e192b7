// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the mixing tools, headless, on a file database: the stock
// concentrates window and the solution analysis window.
//
//   bench_mixing_windows [ROUNDS]
//
// For each size (fertilizers x target rows), with the whole composition in
// place and both windows open, it times
//   refresh        each window reading its source, working everything out
//                  and filling its widgets (chart, table, labels, warnings),
//                  the current crop switched between two crops with other
//                  targets and results before each, so that every bar and
//                  row of the analysis changes;
//   refresh+paint  the same followed by the events it leaves pending (the
//                  chart's layout among them) and painting the whole window;
// and at 100 x 60 it times ">" (adding one fertilizer, on a composition
// growing to full size, as bench_calculator does) with both windows closed
// and with both open, where each window follows the action once after it,
// and the same again with the pending paints done after each action (the
// calculator's, and the windows' when open); the rounds alternate between
// closed and open so that both see the same machine.
// Every figure is the median (and the worst) of its runs.

#include "bench_support.h"
#include "store/database.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/solution_analysis_window.h"
#include "windows/calculator/stock_solutions_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace solvane;
using namespace solvane::bench;

namespace {

struct Figures {
    std::vector<double> ms;
    double median() {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms[ms.size() / 2];
    }
    double worst() {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms.back();
    }
};

// A second crop with targets (and stored results) for the same elements,
// other figures.
void AddSecondCrop(const QString& file, const Size& size) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    Exec(db, QStringLiteral("BEGIN"));
    Exec(db, QStringLiteral("INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (2, 'Вторая', '6.0')"));
    for (int e = 1; e <= size.targets; ++e)
        Exec(db, QStringLiteral("INSERT INTO t_konc (vega, cvet, id_kult, id_el, rachet) VALUES (%1, %1, 2, %2, %3)")
                     .arg(30 + 7 * e)
                     .arg(e)
                     .arg(20 + 5 * e));
    Exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
}

double Time(const std::function<void()>& what) {
    QElapsedTimer clock;
    clock.start();
    what();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void Report(const Size& size, const char* label, Figures& f) {
    std::printf("%3d x %-3d %-28s median %8.3f ms   worst %8.3f ms   (%zu runs)\n", size.fertilizers, size.targets,
                label, f.median(), f.worst(), f.ms.size());
    std::fflush(stdout);
}

void Check(bool ok, Program& program) {
    if (ok)
        return;
    std::fprintf(stderr, "an action failed: %s\n",
                 qPrintable(program.messages().shown().empty() ? QString() : program.messages().shown().back().text));
    std::exit(1);
}

void RunSize(const Size& size, int refreshes, bool timeAdd) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString file = dir.filePath(QStringLiteral("base.mdb"));
    BuildDatabase(file, size);
    AddSecondCrop(file, size);

    Program program;
    CalculatorWindow& calc = StartCalculator(program);
    StockSolutionsWindow& stock = program.stockSolutions();
    SolutionAnalysisWindow& analysis = program.analysis();
    DataSet& fertilizers = program.data().fertilizers;

    // Builds the composition up from nothing, timing each ">" (and with
    // paint, the paints it leaves pending).
    const auto buildUp = [&](Figures* add, bool paint) {
        Check(calc.runGuarded([&calc] { calc.compositionPane()->clearLines(); }), program);
        QApplication::processEvents();
        for (int f = 1; f <= size.fertilizers; ++f) {
            fertilizers.setRecNo(f);
            const double ms = Time([&] {
                Check(calc.runGuarded([&calc] { calc.compositionPane()->addFertilizer(); }), program);
                if (paint)
                    QApplication::processEvents();
            });
            if (add)
                add->ms.push_back(ms);
        }
    };
    const auto open = [&](bool shown) {
        if (shown) {
            Check(calc.runGuarded([&calc] { calc.findChild<QAction*>(QStringLiteral("N11"))->trigger(); }), program);
            // The targets' menu item "Анализ раствора...".
            calc.findChild<QAction*>(QStringLiteral("N13"))->trigger();
            Check(analysis.isVisible(), program);
        } else {
            stock.hide();
            analysis.hide();
        }
        QApplication::processEvents();
    };

    Figures closed, opened, closedPainted, openedPainted;
    if (timeAdd) {
        for (int round = 0; round < 4 * size.rounds; ++round) {
            const bool shown = round % 2 == 1;
            const bool paint = round % 4 >= 2;
            open(shown);
            buildUp(paint ? (shown ? &openedPainted : &closedPainted) : (shown ? &opened : &closed), paint);
        }
    } else {
        buildUp(nullptr, false);
    }

    open(true);
    DataSet& crops = program.data().crops;
    Figures stockRefresh, analysisRefresh, stockPainted, analysisPainted;
    for (int i = 0; i < refreshes; ++i) {
        crops.setRecNo(1 + i % 2);
        stockRefresh.ms.push_back(Time([&] { stock.Refresh(); }));
        analysisRefresh.ms.push_back(Time([&] { analysis.Refresh(); }));
        stockPainted.ms.push_back(Time([&] {
            stock.Refresh();
            stock.update();
            QApplication::processEvents();
        }));
        crops.setRecNo(2 - i % 2);
        analysisPainted.ms.push_back(Time([&] {
            analysis.Refresh();
            analysis.update();
            QApplication::processEvents();
        }));
    }
    Report(size, "stock refresh", stockRefresh);
    Report(size, "analysis refresh", analysisRefresh);
    Report(size, "stock refresh+paint", stockPainted);
    Report(size, "analysis refresh+paint", analysisPainted);
    if (timeAdd) {
        const auto ratio = [&size](const char* label, Figures& closedFigures, Figures& openFigures) {
            const double c = closedFigures.median(), o = openFigures.median();
            std::printf("%3d x %-3d %-28s %.2f\n", size.fertilizers, size.targets, label, c > 0 ? o / c : 0.0);
        };
        Report(size, "\">\" both windows closed", closed);
        Report(size, "\">\" both windows open", opened);
        ratio("\">\" open / closed", closed, opened);
        Report(size, "\">\"+paint both closed", closedPainted);
        Report(size, "\">\"+paint both open", openedPainted);
        ratio("\">\"+paint open / closed", closedPainted, openedPainted);
    }
    QDir::setCurrent(QDir::tempPath());
}

} // namespace

int main(int argc, char** argv) {
    RunHeadless();
    QApplication app(argc, argv);
    const int rounds = Rounds(argc, argv, 3);
    RunSize({12, 14, 14, rounds}, 50, false);
    RunSize({100, 60, 14, rounds}, 50, true);
    return 0;
}
