// Helper program of test_crash: on the base.mdb of the directory it is given,
// it runs the calculator's real handlers as user actions, one after another,
// until it is killed: add a fertilizer (">"), edit an amount and let the
// recalculation timer's handler run, remove a line ("<"). It prints "ready"
// once the file holds a fitted composition, then one line per finished action.
//
//   crash_worker DIRECTORY SEED

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "windows/directories/fertilizer_form.h"
#include "store/dataset.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

using namespace solvane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: crash_worker DIRECTORY SEED\n");
        return 2;
    }
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    const auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

    Program program;
    program.messages().setMode(MessageService::Mode::Headless);
    program.quit = [] {};
    program.Form1->show();
    TForm4& calc = *program.Form4;
    calc.show();
    DataSet& fertilizers = program.Form2->T_Udobra;
    DataSet& lines = calc.T_rachet;
    Field* amount = lines.fieldByName(QStringLiteral("kol"));

    const auto run = [&calc](const std::function<void()>& handler) {
        if (!calc.runGuarded(handler)) {
            std::fprintf(stderr, "an action failed\n");
            std::exit(3);
        }
    };

    run([&calc] { calc.Button10Click(); });
    std::printf("ready\n");
    std::fflush(stdout);

    for (long action = 1;; ++action) {
        const int count = lines.recordCount();
        const int choice = below(3);
        if (count < 2 || (choice == 0 && count < 8)) {
            fertilizers.setRecNo(1 + below(fertilizers.recordCount()));
            run([&calc] { calc.Button1Click(); });
        } else if (choice == 1) {
            lines.setRecNo(1 + below(count));
            lines.edit();
            amount->setAsFloat(below(5000) / 1000.0);
            calc.dxDBGrid2Column2Change();
            run([&calc] { calc.Timer1Timer(); });
        } else {
            lines.setRecNo(1 + below(count));
            run([&calc] { calc.Button2Click(); });
        }
        std::printf("%ld\n", action);
        std::fflush(stdout);
    }
}
