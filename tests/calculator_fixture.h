// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A running program on a small base.mdb of its own, for the calculator's
// tests: four elements and one oxide with its conversion record, one crop,
// the options row, and whatever fertilizers, content rows and targets a test
// adds by SQL.

#include "store/dataset.h"
#include "support/locale_text.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/composition_pane.h"

#include <QtTest>
#include <cmath>

namespace solvane::test {

// Element ids of the fixture.
constexpr int kN = 1, kP = 2, kK = 3, kK2O = 4, kCa = 5;

// Fertilizers: 1 with 15 % N; 2 with 50 % K2O; 3 with 10 % N and 20 % P.
constexpr const char* kFertilizers = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                                     " (1, 'Азотное', 800), (2, 'Калийное', 1200), (3, 'Смесь', 500);"
                                     "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                                     " (1, 1, 15), (4, 2, 50), (1, 3, 10), (2, 3, 20);";

// A composition line typed in directly (no recipe runs).
inline void AddLine(Database& data, int fertilizer, const QVariant& amount) {
    DataSet& lines = data.composition;
    lines.append();
    lines.fieldByName(QStringLiteral("id_udobra"))->setAsInteger(fertilizer);
    lines.fieldByName(QStringLiteral("kol"))->setValue(amount);
    lines.post();
}

class CalculatorFixture : public ProgramFixture {
public:
    // rows: SQL run on the new database after the common rows.
    explicit CalculatorFixture(const QString& rows = QString())
        : ProgramFixture(
              Base::Empty,
              QStringLiteral(
                  "INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof, id_kof) VALUES"
                  " (1, 'N', 'Азот', 0, NULL), (2, 'P', 'Фосфор', 0, NULL), (3, 'K', 'Калий', 0, NULL),"
                  " (4, 'K2O', 'Оксид калия', 1, 1), (5, 'Ca', 'Кальций', 0, NULL);"
                  "INSERT INTO t_kof (id_kof, name_kof, kof, id_element) VALUES (1, 'K2O → K', 0.4, 3);"
                  "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Тест', '6.0');"
                  "INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
                  " avto, ppm1, ppm2, kult, maxim) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250);") +
                  rows) {}

    // Creates the program and shows the launcher and the calculator, which
    // opens every data set.
    void start() {
        ProgramFixture::start();
        calc().show();
    }

    CalculatorWindow& calc() { return program().calculator(); }
    DataSet& fertilizers() { return data().fertilizers; }

    // Makes the fertilizer current in the list; false when there is none.
    bool makeCurrent(int fertilizer) {
        DataSet& list = fertilizers();
        Field* id = list.fieldByName(QStringLiteral("id_udobra"));
        for (list.first(); !list.eof(); list.next())
            if (id->asInteger() == fertilizer)
                return true;
        return false;
    }
    // ">" for a fertilizer, as a user's click: one action through the guard.
    bool add(int fertilizer) {
        return makeCurrent(fertilizer) && calc().runGuarded([this] { calc().compositionPane()->addFertilizer(); });
    }

    // The stored amounts of the composition, in its order.
    std::vector<double> amounts() { return sql().numbers(QStringLiteral("SELECT kol FROM t_rachet ORDER BY rowid")); }
    // The stored result of the current crop's target row for an element.
    double result(int element) {
        const auto v =
            sql().numbers(QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 1 AND id_el = ?"), {element});
        return v.size() == 1 ? v.front() : std::nan("");
    }
    std::vector<double> column(const QString& query) { return sql().numbers(query); }

    // The value of a field of the target list's row for an element.
    double target(int element, const char* field) {
        DataSet& set = data().targets;
        Field* id = set.fieldByName(QStringLiteral("id_el"));
        Field* f = set.fieldByName(QString::fromLatin1(field));
        for (set.first(); !set.eof(); set.next())
            if (id->asInteger() == element)
                return f->asFloat();
        return std::nan("");
    }
};

} // namespace solvane::test
