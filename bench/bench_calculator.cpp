// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end timing of the calculator's actions, headless, on a file
// database: every action runs the real handler through the handler guard as a
// user's click or a timer tick would, with its one transaction.
//
//   bench_calculator [ROUNDS]
//
// For each size (fertilizers x target rows) and each fit (0 the classic
// least squares, 1 the grower's, 2 the cheapest within the tolerances) it
// times
//   ">"           adding one fertilizer, on a composition growing to full size;
//   amount edit   an amount typed into a line, then the recalculation timer;
//   crop click    a click on the crop, which completes the missing plain
//                 elements (each appended row is dropped again by the
//                 zero-target rule and reruns the recipe);
// and prints the median and worst time per action and the commits (disk
// syncs) per action.

#include "bench_support.h"
#include "store/database.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/recalculation_timer.h"

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

struct Timing {
    std::vector<double> ms;
    long long commits = 0;
};

void Report(const char* label, const Size& size, Timing& t) {
    std::sort(t.ms.begin(), t.ms.end());
    const double median = t.ms.empty() ? 0 : t.ms[t.ms.size() / 2];
    const double worst = t.ms.empty() ? 0 : t.ms.back();
    std::printf("%3d x %-3d fit %d %-12s median %8.2f ms   worst %8.2f ms   commits/action %.2f   (%zu actions)\n",
                size.fertilizers, size.targets, size.fit, label, median, worst,
                t.ms.empty() ? 0.0 : static_cast<double>(t.commits) / static_cast<double>(t.ms.size()), t.ms.size());
    std::fflush(stdout);
}

void RunSize(const Size& size) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    BuildDatabase(dir.filePath(QStringLiteral("base.mdb")), size);

    Program program;
    CalculatorWindow& calc = StartCalculator(program);
    Connection& connection = program.data().connection();
    DataSet& fertilizers = program.data().fertilizers;
    DataSet& lines = program.data().composition;
    Field* amount = lines.fieldByName(QStringLiteral("kol"));

    const auto timed = [&](Timing& t, const std::function<void()>& handler) {
        const long long commits = connection.commitCount();
        QElapsedTimer clock;
        clock.start();
        const bool ok = calc.runGuarded(handler);
        t.ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        t.commits += connection.commitCount() - commits;
        if (!ok) {
            std::fprintf(
                stderr, "an action failed: %s\n",
                qPrintable(program.messages().shown().empty() ? QString() : program.messages().shown().back().text));
            std::exit(1);
        }
    };

    Timing add, edit, crop;
    for (int round = 0; round < size.rounds; ++round) {
        if (round > 0)
            calc.runGuarded([&calc] { calc.compositionPane()->clearLines(); });
        for (int f = 1; f <= size.fertilizers; ++f) {
            fertilizers.setRecNo(f);
            timed(add, [&calc] { calc.compositionPane()->addFertilizer(); });
        }
    }
    const int edits = std::max(10, 3 * size.rounds);
    for (int i = 0; i < edits; ++i) {
        lines.setRecNo(1 + (i * 7) % lines.recordCount());
        lines.edit();
        amount->setAsFloat(0.5 + i % 10);
        calc.recalculation()->arm();
        timed(edit, [&calc] { calc.recalculation()->comeDue(); });
    }
    const int clicks = std::max(3, size.rounds * 2);
    for (int i = 0; i < clicks; ++i)
        timed(crop, [&calc] { calc.cropPane()->cropPosted(); });

    Report("\">\"", size, add);
    Report("amount edit", size, edit);
    Report("crop click", size, crop);
    QDir::setCurrent(QDir::tempPath());
}

} // namespace

int main(int argc, char** argv) {
    RunHeadless();
    QApplication app(argc, argv);
    const int rounds = Rounds(argc, argv, 5);
    for (const int fit : {0, 1, 2}) {
        RunSize({12, 14, 14, rounds, fit});
        RunSize({100, 60, 14, std::max(1, rounds / 5), fit});
    }
    return 0;
}
