// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmarks share: the base.mdb they time the program on (a given
// number of fertilizers and of target rows, made by SQL in a new file), and
// the program started headless on it.

#include "app/launcher_window.h"
#include "app/program.h"
#include "store/starter_database.h"
#include "windows/calculator/calculator_window.h"

#include <QApplication>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace solvane::bench {

struct Size {
    int fertilizers;
    int targets;
    int missing; // plain elements without a target row
    int rounds;  // how often the composition is built up
    int fit = 0; // the options' fit: 0 the classic least squares, 1 the grower's, 2 the cheapest
};

inline void Exec(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error ? error : "sql error");
        std::exit(1);
    }
}

// Plain elements 1..E (E = targets + missing), three oxides converting to
// elements 1, 2 and 3, fertilizers with three content rows each (one of them
// an oxide for every third fertilizer), one crop with a target for each of
// the first `targets` elements. Under the cheapest fit every fertilizer has a
// price, from 40 to 439 per kg.
inline void BuildDatabase(const QString& file, const Size& size) {
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
        if (size.fit == 2)
            Exec(db,
                 QStringLiteral("UPDATE t_udobra SET price = %1 WHERE id_udobra = %2").arg(40 + (37 * f) % 400).arg(f));
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
                            " avto, ppm1, ppm2, kult, maxim, fit_mode)"
                            " VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250, %1)")
                 .arg(size.fit));
    Exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
}

// Shows the launcher (which opens every data set) and the calculator of a
// program that answers its boxes silently and never ends by itself.
inline CalculatorWindow& StartCalculator(Program& program) {
    program.messages().setMode(MessageService::Mode::Headless);
    QObject::disconnect(&program, &Program::ending, nullptr, nullptr);
    program.launcher().show();
    program.calculator().show();
    return program.calculator();
}

// A benchmark runs headless, without a screen and without real boxes.
inline void RunHeadless() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SOLVANE_DIALOGS", "headless");
}

// The rounds asked for on the command line (the first argument), or the default.
inline int Rounds(int argc, char** argv, int byDefault) {
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : byDefault;
}

} // namespace solvane::bench
