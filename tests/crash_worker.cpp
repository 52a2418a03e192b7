// SPDX-License-Identifier: GPL-3.0-or-later
// Helper program of test_crash: on a fresh starter base of its own (with the
// classic fit, which the test's oracle follows), it runs the calculator's
// real handlers as user actions, one after another, until it is killed: add
// a fertilizer (">"), edit an amount and let the recalculation timer's
// handler run, remove a line ("<"). The choices follow the seed it is given.
//
//   crash_worker SEED
//
// What it prints, one line each, so that the test can time its kill by the
// worker's own progress instead of by the clock:
//   base PATH   the base it works on, first;
//   ready       once the file holds a fitted composition;
//   w           when a statement that writes starts;
//   N           when action N (1, 2, ...) has finished.
// Its base lies in a temporary folder under TMPDIR, which the test chooses.

#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/composition_pane.h"
#include "windows/calculator/recalculation_timer.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <sqlite3.h>

using namespace solvane;

namespace {

void PrintLine(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// The engine's trace: one line for every statement that starts and writes.
int TraceWrites(unsigned /*kind*/, void* /*context*/, void* statement, void* /*sql*/) {
    if (!sqlite3_stmt_readonly(static_cast<sqlite3_stmt*>(statement)))
        PrintLine("w");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: crash_worker SEED\n");
        return 2;
    }
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    const auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

    test::ProgramFixture fixture(test::ProgramFixture::Base::Starter, QStringLiteral("UPDATE t_opt SET fit_mode = 0"));
    std::printf("base %s\n", fixture.file().toLocal8Bit().constData());
    std::fflush(stdout);
    fixture.start();
    CalculatorWindow& calc = fixture.program().calculator();
    calc.show();
    DataSet& fertilizers = fixture.data().fertilizers;
    DataSet& lines = fixture.data().composition;
    Field* amount = lines.fieldByName(QStringLiteral("kol"));

    const auto run = [&calc](const std::function<void()>& handler) {
        if (!calc.runGuarded(handler)) {
            std::fprintf(stderr, "an action failed\n");
            std::exit(3);
        }
    };

    run([&calc] { calc.solution().recipe(); });
    PrintLine("ready");
    sqlite3_trace_v2(fixture.data().connection().handle(), SQLITE_TRACE_STMT, TraceWrites, nullptr);

    for (long action = 1;; ++action) {
        const int count = lines.recordCount();
        const int choice = below(3);
        if (count < 2 || (choice == 0 && count < 8)) {
            fertilizers.setRecNo(1 + below(fertilizers.recordCount()));
            run([&calc] { calc.compositionPane()->addFertilizer(); });
        } else if (choice == 1) {
            // An amount typed into the composition grid: its column arms
            // the timer, whose handler then runs at once.
            lines.setRecNo(1 + below(count));
            lines.edit();
            amount->setAsFloat(below(5000) / 1000.0);
            calc.recalculation()->arm();
            run([&calc] { calc.recalculation()->comeDue(); });
        } else {
            lines.setRecNo(1 + below(count));
            run([&calc] { calc.compositionPane()->removeLine(); });
        }
        PrintLine(std::to_string(action).c_str());
    }
}
