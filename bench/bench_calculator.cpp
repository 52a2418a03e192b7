// End-to-end timing of the calculator's actions, headless, on a file
// database: every action runs the real handler through the handler guard as a
// user's click or a timer tick would, with its one transaction.
//
//   bench_calculator [ROUNDS]
//
// For each size (fertilizers x target rows) it times
//   ">"           adding one fertilizer, on a composition growing to full size;
//   amount edit   an amount typed into a line, then the recalculation timer;
//   crop click    a click on the crop, which completes the missing plain
//                 elements (each appended row is dropped again by the
//                 zero-target rule and reruns the recipe);
// and prints the median and worst time per action and the commits (disk
// syncs) per action.

#include "app/launcher_form.h"
#include "app/program.h"
#include "calculator/calculator_form.h"
#include "directories/fertilizer_form.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "tools/starter_database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

using namespace solvane;

namespace {

struct Size {
    int fertilizers;
    int targets;
    int missing; // plain elements without a target row
    int rounds;  // how often the composition is built up
};

void Exec(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error ? error : "sql error");
        std::exit(1);
    }
}

// Plain elements 1..E (E = targets + missing), three oxides converting to
// elements 1, 2 and 3, fertilizers with three content rows each (one of them
// an oxide for every third fertilizer), one crop with a target for each of
// the first `targets` elements.
void BuildDatabase(const QString& file, const Size& size) {
    CreateEmptyDatabase(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    Exec(db, QStringLiteral("BEGIN"));
    const int elements = size.targets + size.missing;
    for (int e = 1; e <= elements; ++e)
        Exec(db, QStringLiteral("INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof) "
                                "VALUES (%1, 'E%1', 'Элемент %1', 0)")
                     .arg(e));
    for (int k = 1; k <= 3; ++k) {
        Exec(db, QStringLiteral("INSERT INTO t_kof (id_kof, name_kof, kof, id_element) VALUES (%1, 'O%1', 0.%2, %1)")
                     .arg(k)
                     .arg(4 + k));
        Exec(db, QStringLiteral("INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof, id_kof) "
                                "VALUES (%1, 'O%2', 'Оксид %2', 1, %2)")
                     .arg(elements + k)
                     .arg(k));
    }
    for (int f = 1; f <= size.fertilizers; ++f) {
        Exec(db, QStringLiteral("INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (%1, 'Удобрение %1', %2)")
                     .arg(f)
                     .arg(100 + 7 * f));
        const int a = (f - 1) % size.targets + 1;
        const int b = (f * 5) % size.targets + 1;
        const int c = f % 3 == 0 ? elements + 1 + (f / 3) % 3 : (f * 11) % elements + 1;
        for (const auto& [element, percent] :
             {std::pair{a, 10 + f % 17}, std::pair{b, 3 + f % 5}, std::pair{c, 20 + f % 9}})
            Exec(db, QStringLiteral("INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) "
                                    "VALUES (%1, %2, %3)")
                         .arg(element)
                         .arg(f)
                         .arg(percent));
    }
    Exec(db, QStringLiteral("INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Культура', '6.0')"));
    for (int e = 1; e <= size.targets; ++e)
        Exec(db, QStringLiteral("INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES (%1, %2, 1, %3)")
                     .arg(50 + 13 * e)
                     .arg(40 + 11 * e)
                     .arg(e));
    Exec(db, QStringLiteral("INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
                            " avto, ppm1, ppm2, kult, maxim) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250)"));
    Exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
}

struct Timing {
    std::vector<double> ms;
    long long commits = 0;
};

void Report(const char* label, const Size& size, Timing& t) {
    std::sort(t.ms.begin(), t.ms.end());
    const double median = t.ms.empty() ? 0 : t.ms[t.ms.size() / 2];
    const double worst = t.ms.empty() ? 0 : t.ms.back();
    std::printf("%3d x %-3d %-12s median %8.2f ms   worst %8.2f ms   commits/action %.2f   (%zu actions)\n",
                size.fertilizers, size.targets, label, median, worst,
                t.ms.empty() ? 0.0 : static_cast<double>(t.commits) / static_cast<double>(t.ms.size()), t.ms.size());
    std::fflush(stdout);
}

void RunSize(const Size& size) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    BuildDatabase(dir.filePath(QStringLiteral("base.mdb")), size);

    Program program;
    program.messages().setMode(MessageService::Mode::Headless);
    program.quit = [] {};
    program.Form1->show();
    TForm4& calc = *program.Form4;
    calc.show();
    Connection& connection = program.Form1->ADOConnection1;
    DataSet& fertilizers = program.Form2->T_Udobra;
    DataSet& lines = calc.T_rachet;
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
            calc.runGuarded([&calc] { calc.Button3Click(); });
        for (int f = 1; f <= size.fertilizers; ++f) {
            fertilizers.setRecNo(f);
            timed(add, [&calc] { calc.Button1Click(); });
        }
    }
    const int edits = std::max(10, 3 * size.rounds);
    for (int i = 0; i < edits; ++i) {
        lines.setRecNo(1 + (i * 7) % lines.recordCount());
        lines.edit();
        amount->setAsFloat(0.5 + i % 10);
        calc.dxDBGrid2Column2Change();
        timed(edit, [&calc] { calc.Timer1Timer(); });
    }
    const int clicks = std::max(3, size.rounds * 2);
    for (int i = 0; i < clicks; ++i)
        timed(crop, [&calc] { calc.dxDBGrid6Click(); });

    Report("\">\"", size, add);
    Report("amount edit", size, edit);
    Report("crop click", size, crop);
    QDir::setCurrent(QDir::tempPath());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SOLVANE_DIALOGS", "headless");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    RunSize({12, 14, 14, rounds});
    RunSize({100, 60, 14, std::max(1, rounds / 5)});
    return 0;
}
