// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A running program on the calculator's small base.mdb (calculator_rows.h),
// with whatever fertilizers, content rows and targets a test adds by SQL.

#include "store/dataset.h"
#include "support/calculator_rows.h"
#include "support/locale_text.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/composition_pane.h"

#include <QtTest>
#include <cmath>

namespace solvane::test {

class CalculatorFixture : public ProgramFixture {
public:
    // rows: SQL run on the new database after the common rows.
    explicit CalculatorFixture(const QString& rows = QString())
        : ProgramFixture(Base::Empty, QString::fromUtf8(kCalculatorRows) + rows) {}

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

    std::vector<double> amounts() { return sql().numbers(QStringLiteral("SELECT kol FROM t_rachet ORDER BY rowid")); }
    double result(int element) { return Result(sql(), element); }
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
