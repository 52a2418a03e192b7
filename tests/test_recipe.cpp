// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator_fixture.h"

#include "controls/db_grid.h"
#include "store/connection.h"
#include "windows/calculator/recalculation_timer.h"

#include <QLabel>
#include <QTimer>
#include <cmath>

using namespace solvane;
using namespace solvane::test;

namespace {

QString Targets(const QString& values) {
    return QString::fromUtf8(kRecipeFertilizers) + QStringLiteral("INSERT INTO t_konc (vega, id_kult, id_el) VALUES ") +
           values + QLatin1Char(';');
}

bool Near(double a, double b) {
    return std::fabs(a - b) < 1e-9;
}

} // namespace

class RecipeTest : public QObject {
    Q_OBJECT
private slots:
    // 200 / 15.5 = 12.903: 1.29 g/l, which gives 199.95.
    void fitsOneFertilizerToItsElement() {
        CalculatorFixture f(Targets(QStringLiteral("(200, 1, 1)")));
        f.start();
        Connection& connection = f.data().connection();
        const long long commits = connection.commitCount();
        QVERIFY(f.add(10));
        QCOMPARE(connection.commitCount() - commits, 1); // one action, one disk sync
        QVERIFY(SameAmounts(f.amounts(), std::vector<double>{1.29}));
        QCOMPARE(f.result(kN), 199.95);
        // The list is left unfiltered, with the filter text on the last key.
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().filter(), QStringLiteral("id_udobra=10"));
        QVERIFY(f.errors().isEmpty());
        // The grids walked during the run follow again and show its outcome.
        Database& data = f.data();
        for (DataSource* source :
             {&data.compositionSource, &data.targetsSource, &data.fertilizersSource, &data.fertilizerContentSource})
            QVERIFY(source->isEnabled());
        QCOMPARE(Child<QLabel>(f.calc(), QStringLiteral("Label6"))->text(), QStringLiteral("5"));
    }

    // A line that vanished from the file behind the program's back: writing
    // its amount fails, the error is shown, the calculation does not run, and
    // the grids are attached again all the same.
    void stopsAtAFailedWrite() {
        CalculatorFixture f(Targets(QStringLiteral("(200, 1, 1)")));
        f.start();
        QVERIFY(f.add(10));
        f.sql().script(QStringLiteral("DELETE FROM t_rachet; UPDATE t_konc SET rachet = 7"));
        CalculatorWindow& calc = f.calc();
        QVERIFY(!calc.runGuarded([&calc] { calc.solution().recipe(); }));
        QCOMPARE(f.errors().size(), 1);
        QVERIFY(f.errors().front().startsWith(QStringLiteral("Row cannot be located")));
        QCOMPARE(f.result(kN), 7.0);
        QVERIFY(f.data().compositionSource.isEnabled());
        QVERIFY(f.data().targetsSource.isEnabled());
        QVERIFY(f.data().fertilizersSource.isEnabled());
    }

    // N 150 and K 600 from 13/38 % and 15.5 %: the negative amount is stored.
    void storesNegativeAmounts() {
        CalculatorFixture f(Targets(QStringLiteral("(150, 1, 1), (600, 1, 3)")));
        f.start();
        QVERIFY(f.add(11));
        QVERIFY(f.add(10));
        QVERIFY(SameAmounts(f.amounts(), std::vector<double>{1.579, -0.356}));
        QVERIFY(Near(f.result(kN), 150.09)); // 205.27 - 55.18
        QVERIFY(Near(f.result(kK), 600.02));
        // Lookups read the whole fertilizer list, also while it is filtered.
        DataSet& lines = f.data().composition;
        f.fertilizers().setFilter(QStringLiteral("id_udobra=10"));
        f.fertilizers().setFiltered(true);
        lines.first();
        QCOMPARE(lines.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Калиевая"));
        QCOMPARE(lines.fieldByName(QStringLiteral("ppm"))->asInteger(), 650);
        // 650 * 1.579 + 600 * -0.356
        QCOMPARE(Child<QLabel>(f.calc(), QStringLiteral("Label10"))->text(), Shown(QStringLiteral("   812.75")));
    }

    void emptyCompositionStillCalculates() {
        CalculatorFixture f(QString::fromUtf8(kRecipeFertilizers) +
                            "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (150, 1, 1, 99), (60, 1, 3, 5);");
        f.start();
        CalculatorWindow& calc = f.calc();
        // Unfiltered, the list stays where it stands.
        QVERIFY(f.makeCurrent(12));
        QVERIFY(calc.runGuarded([&calc] { calc.solution().recipe(); }));
        QCOMPARE(f.result(kN), 0.0);
        QCOMPARE(f.result(kK), 0.0);
        QCOMPARE(f.fertilizers().fieldByName(QStringLiteral("id_udobra"))->asInteger(), 12);
        // A name search is switched off, and the list goes to its first record.
        f.fertilizers().setFilter(QStringLiteral("id_udobra=13"));
        f.fertilizers().setFiltered(true);
        QVERIFY(calc.runGuarded([&calc] { calc.solution().recipe(); }));
        QVERIFY(!f.fertilizers().isFiltered());
        QCOMPARE(f.fertilizers().recNo(), 1);
        QVERIFY(f.errors().isEmpty());
    }

    // Stored rows without a target are removed before anything is fitted or
    // summed; the outcome is that of one clean run over the rows that remain.
    void zeroTargetRowsGiveOneCleanCalculation() {
        CalculatorFixture clean(Targets(QStringLiteral("(150, 1, 1), (600, 1, 3)")));
        clean.start();
        QVERIFY(clean.add(11));
        QVERIFY(clean.add(10));

        CalculatorFixture f(Targets(QStringLiteral("(0, 1, 2), (150, 1, 1), (NULL, 1, 5), (0, 1, 4), (600, 1, 3),"
                                                   " (0, 1, 2)")));
        f.start();
        QVERIFY(f.add(11));
        QVERIFY(f.add(10));
        QCOMPARE(f.amounts(), clean.amounts());
        QCOMPARE(f.column(QStringLiteral("SELECT id_el FROM t_konc ORDER BY id_konc")), (std::vector<double>{kN, kK}));
        QCOMPARE(f.result(kN), clean.result(kN));
        QCOMPARE(f.result(kK), clean.result(kK));
        for (const QString& total : {QStringLiteral("Label4"), QStringLiteral("Label5")})
            QCOMPARE(Child<QLabel>(f.calc(), total)->text(), Child<QLabel>(clean.calc(), total)->text());
        QVERIFY(f.errors().isEmpty());
    }

    // Two amount edits in one burst: the second does not restart the timer,
    // the recipe runs once when the first edit's delay is up, and the typed
    // amount gives way to the fitted one. The delay is shortened to 500 ms;
    // the test waits until some of it has passed, so that a restart would
    // show as more time left after the second edit than before it.
    void timerRunsTheRecipeOnceAfterABurst() {
        CalculatorFixture f(Targets(QStringLiteral("(200, 1, 1)")));
        f.start();
        CalculatorWindow& calc = f.calc();
        QTimer* timer = Child<QTimer>(calc, QStringLiteral("Timer1"));
        DBGrid* grid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid2"));
        QVERIFY(timer && grid);
        DBGridColumn* amount = grid->columnByField(QStringLiteral("kol"));
        QVERIFY(amount && amount->onChange);
        constexpr int delay = 500;
        calc.recalculation()->setDelay(delay);
        QVERIFY(f.add(10));
        Connection& connection = f.data().connection();
        const long long commits = connection.commitCount();
        DataSet& lines = f.data().composition;
        Field* kol = lines.fieldByName(QStringLiteral("kol"));

        lines.first();
        lines.edit();
        kol->setAsFloat(7);
        amount->onChange();
        QVERIFY(calc.recalculation()->pending());
        QTRY_VERIFY(timer->remainingTime() <= delay - 100);
        const int left = timer->remainingTime();
        QVERIFY2(left > 0, "the delay ran out before the second edit");
        kol->setAsFloat(8);
        amount->onChange();
        // Not restarted: no more left than before the second edit (a restart
        // would show the whole delay again).
        QVERIFY2(timer->remainingTime() <= left, qPrintable(QString::number(timer->remainingTime())));
        QTRY_VERIFY(!calc.recalculation()->pending());
        QCOMPARE(kol->asFloat(), 1.29);
        QVERIFY(SameAmounts(f.amounts(), std::vector<double>{1.29}));
        QCOMPARE(f.result(kN), 199.95);
        // Once: one commit, and nothing is left armed to run it again.
        QCOMPARE(connection.commitCount() - commits, 1);
        QVERIFY(!timer->isActive());
        QVERIFY(f.errors().isEmpty());
    }

    // A target edited in the grid is posted by the timer before the recipe.
    void timerPostsAPendingTarget() {
        CalculatorFixture f(Targets(QStringLiteral("(200, 1, 1)")));
        f.start();
        CalculatorWindow& calc = f.calc();
        calc.recalculation()->setDelay(0);
        QVERIFY(f.add(10));
        DBGrid* grid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid3"));
        QVERIFY(grid);
        DBGridColumn* target = grid->columnByField(QStringLiteral("vega"));
        QVERIFY(target && target->onChange);
        DataSet& targets = f.data().targets;
        targets.first();
        targets.edit();
        targets.fieldByName(QStringLiteral("vega"))->setAsFloat(155);
        target->onChange();
        QVERIFY(calc.recalculation()->pending());
        QTRY_VERIFY(!calc.recalculation()->pending());
        QCOMPARE(f.column(QStringLiteral("SELECT vega FROM t_konc")), std::vector<double>{155});
        QVERIFY(SameAmounts(f.amounts(), std::vector<double>{1.0})); // 155 / 15.5 = 10
        QCOMPARE(f.result(kN), 155.0);
    }
};

QTEST_MAIN(RecipeTest)
#include "test_recipe.moc"
