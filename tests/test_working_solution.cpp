// SPDX-License-Identifier: GPL-3.0-or-later
// The working solution over plain records: the zero-target rule, the lines a
// fit leaves alone, the figures at the strength, and the totals. Then, on a
// base without windows, its passes and choices: the calculation, the classic
// recipe, a crop chosen and remembered, a saved solution's pass and refresh,
// the lines changed by key, a crop's list completed, a solution saved.

#include "model/solution_calculation.h"
#include "model/working_solution.h"
#include "store/database.h"
#include "store/row_writes.h"
#include "store/starter_database.h"
#include "support/calculator_rows.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace solvane;
using namespace solvane::test;

namespace {

SolutionInputs Inputs() {
    SolutionInputs in;
    in.elements = {
        {kN, QStringLiteral("N"), QStringLiteral("Азот"), false, std::nullopt, std::nullopt, QStringLiteral("NO3-")},
        {kK, QStringLiteral("K"), QStringLiteral("Калий"), false, std::nullopt, std::nullopt, QStringLiteral("K+")},
        {kK2O, QStringLiteral("K2O"), QStringLiteral("Оксид калия"), true, 7, std::nullopt, QString()}};
    in.coefficients = {{7, QStringLiteral("K2O → K"), 0.83, kK}};
    in.fertilizers = {{1, QStringLiteral("Азотное"), 800.6, {}, {}}, {2, QStringLiteral("Калийное"), 1200, {}, {}}};
    in.content = {{1, 1, kN, 15.0}, {2, 2, kK2O, 50.0}};
    TargetRecord n{10, 1, kN, 150.0, 200.0, std::nullopt, std::nullopt};
    TargetRecord zero{11, 1, kK, 0.0, 30.0, 5.0, std::nullopt};
    TargetRecord unreadable{12, 1, kK, std::nullopt, std::nullopt, std::nullopt, std::nullopt, true};
    in.targets = {n, zero, unreadable};
    // The third line's fertilizer was deleted from the directory.
    in.lines = {{20, 1, 0.5, std::nullopt, std::nullopt},
                {21, 2, 1.0, std::nullopt, std::nullopt},
                {22, 99, 0.25, std::nullopt, std::nullopt}};
    in.options.ppm1 = in.options.ppm2 = true;
    in.strength = 50;
    return in;
}

// A base of its own opened without windows, with the working solution over
// it: the calculator's small base with the test's rows.
struct ModelBase {
    explicit ModelBase(const QString& rows)
        : file(Made(dir.filePath(QStringLiteral("base.mdb")), rows)), sql(file), data(file) {
        data.OpenTables();
        QObject::connect(&solution, &WorkingSolution::passFinished,
                         [this](const ShownPass& p) { passes.push_back(p); });
    }
    static QString Made(const QString& file, const QString& rows) {
        CreateEmptyDatabase(file);
        SqlFile(file).script(QString::fromUtf8(kCalculatorRows) + rows);
        return file;
    }
    std::vector<double> column(const char* query) { return sql.numbers(QString::fromUtf8(query)); }
    std::vector<double> amounts() { return column("SELECT kol FROM t_rachet ORDER BY rowid"); }
    // The last key given to a target row.
    double targetSequence() { return column("SELECT seq FROM sqlite_sequence WHERE name = 't_konc'").at(0); }

    QTemporaryDir dir;
    QString file;
    SqlFile sql;
    Database data;
    WorkingSolution solution{data};
    std::vector<ShownPass> passes; // what each pass announced
};

} // namespace

class TestWorkingSolution : public QObject {
    Q_OBJECT

private slots:
    void zeroTargetsFitAndTotals() {
        SolutionPass pass;
        const SolutionOutcome outcome = WorkOut(Inputs(), pass);
        // The row with a target of 0 goes; one whose stored target is no number stays.
        QCOMPARE(outcome.targets.size(), size_t(2));
        QCOMPARE(outcome.targets[0].key, 10);
        QCOMPARE(outcome.targets[1].key, 12);
        QCOMPARE(*outcome.targets[0].result, 75.0);  // 15 % × 10 × 0.5 g/l
        QCOMPARE(*outcome.targets[1].result, 415.0); // 50 % K2O × 10 × 0.83
        // On a base that cannot be written every row stays.
        pass.writable = false;
        QCOMPARE(WorkOut(Inputs(), pass).targets.size(), size_t(3));

        // The totals at 50 %: the targets rounded to 2 places, the ppm of the
        // composition with each fertilizer's whole ppm.
        const SolutionTotals& t = outcome.totals;
        QCOMPARE(t.target, 75.0);
        QCOMPARE(t.floweringTarget, 100.0);
        QCOMPARE(t.result, 75.0 + 415.0);
        QCOMPARE(t.resultAtStrength, 37.5 + 207.5);
        QCOMPARE(t.ppm, 801 * 0.5 + 1200 * 1.0);
        QCOMPARE(t.ppmAtStrength, 801 * 0.25 + 1200 * 0.5);

        // A saved solution's lines give the rows; the ppm strip still sums the composition.
        pass.writable = true;
        pass.savedLines = std::vector<LineRecord>{{30, 1, 1.0, std::nullopt, std::nullopt}};
        const SolutionOutcome saved = WorkOut(Inputs(), pass);
        QVERIFY(!saved.compositionShown);
        QCOMPARE(*saved.targets[0].result, 150.0);
        QCOMPARE(saved.totals.ppm, t.ppm);

        // Both fits give the line whose fertilizer is gone no amount of their own.
        for (const int fit : {kClassicFit, kGrowerFit}) {
            SolutionInputs in = Inputs();
            in.options.fitMode = fit;
            in.targets.resize(1);
            const FittedAmounts fitted = FitAmounts(in);
            QCOMPARE(fitted.fitted, (std::vector<bool>{true, true, false}));
            QCOMPARE(*fitted.amounts[2], 0.25);
            QVERIFY(std::fabs(*fitted.amounts[0] - 1.0) < 1e-9); // N 150 from 15 %
        }
    }

    // The calculation: direct content, an oxide converted to its element and
    // counted for the oxide itself, lines adding up, an element outside the
    // targets; a second run starts from zero, empty amounts count as 0, and
    // the results are stored to four places.
    void calculationAddsEveryLinesShare() {
        ModelBase b(QString::fromUtf8(kFertilizers) +
                    "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 1), (100, 1, 3), (100, 1, 4);"
                    "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (4, 'Точное', 0);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (1, 4, 1.23456);");
        AddLine(b.data, 1, 1.0);
        AddLine(b.data, 2, 2.0);
        b.solution.calculation();
        QCOMPARE(Result(b.sql, kN), 150.0);
        QCOMPARE(Result(b.sql, kK), 400.0);
        QCOMPARE(Result(b.sql, kK2O), 1000.0);
        QCOMPARE(*b.solution.inputs().targets[1].result, 400.0); // K's row of the target list

        AddLine(b.data, 3, 0.5); // 10 % N adds 50; its P has no target row
        b.solution.calculation();
        QCOMPARE(Result(b.sql, kN), 200.0);
        QCOMPARE(Result(b.sql, kK), 400.0);
        QCOMPARE(b.column("SELECT count(*) FROM t_konc"), std::vector<double>{3});

        std::vector<RowUpdate> emptied;
        for (const LineRecord& line : b.solution.compositionLines())
            emptied.push_back({line.key, {{QStringLiteral("kol"), QVariant()}}});
        UpdateRows(b.data.connection(), QStringLiteral("t_rachet"), emptied);
        b.data.targets.setRecNo(2);
        b.solution.calculation();
        QCOMPARE(b.column("SELECT rachet FROM t_konc ORDER BY id_konc"), (std::vector<double>{0, 0, 0}));
        // The list's controls follow again, and it stands on the row it was on.
        QVERIFY(b.data.targetsSource.isEnabled());
        QCOMPARE(b.data.targets.recNo(), 2);

        AddLine(b.data, 4, 0.1); // 1.23456 % N
        b.solution.calculation();
        QCOMPARE(Result(b.sql, kN), 1.2346);
    }

    // The classic recipe: one target met by two fertilizers splits by least
    // norm; a fertilizer without a target element is fitted to 0 and a
    // negative amount is stored; of two content rows toward K (10 % K, then
    // 50 % K2O, which is 20 % K) only the last enters the fit, so 200 / 20
    // gives 1 g/l, while the calculation adds both and overshoots by the first
    // row's 100; a crop without targets gets zero amounts.
    void classicRecipes() {
        struct Case {
            const char* targets;
            std::vector<long long> fertilizers;
            std::vector<double> amounts;
            int element; // and its result, with targets
            double result;
        };
        const Case cases[] = {{"(150, 1, 1)", {10, 12}, {0.099, 0.293}, kN, 150.125},
                              {"(150, 1, 1), (600, 1, 3)", {11, 13, 10}, {1.579, 0, -0.356}, kN, 150.09},
                              {"(200, 1, 3)", {14}, {1.0}, kK, 300.0},
                              {"", {10, 11}, {0, 0}, 0, 0}};
        for (const Case& c : cases) {
            QString rows = QString::fromUtf8(kRecipeFertilizers);
            if (*c.targets)
                rows += QStringLiteral("INSERT INTO t_konc (vega, id_kult, id_el) VALUES %1;").arg(c.targets);
            ModelBase b(rows);
            for (const long long fertilizer : c.fertilizers)
                QVERIFY(b.solution.addLine(fertilizer));
            b.solution.recipe();
            QVERIFY2(SameAmounts(b.amounts(), c.amounts), c.targets);
            if (c.element)
                QVERIFY2(std::fabs(Result(b.sql, c.element) - c.result) < 1e-9, c.targets);
        }
    }

    // Choosing a crop completes its list with every plain element it lacks
    // (never an oxide); those rows have no target, so they go again and the
    // recipe runs once; the crop keeps its rows with a target, and the other
    // crop is not touched. A complete crop runs nothing. The crop in use is
    // remembered, written only when it changed.
    void cropChosenAndRemembered() {
        ModelBase b("INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (10, 'Азотное', 500);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (1, 10, 10);"
                    "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (2, 'Вторая', '');"
                    "INSERT INTO t_rachet (id_udobra) VALUES (10);"
                    "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (100, 1, 1, 99), (20, 1, 2, 99),"
                    " (30, 1, 3, 99), (40, 1, 5, 99), (80, 2, 1, 99);");
        const double appended = b.targetSequence();
        const std::vector<double> firstCrop = b.column("SELECT rachet FROM t_konc WHERE id_kult = 1");
        b.solution.cropChosen();
        QVERIFY(b.passes.empty());
        QCOMPARE(b.targetSequence(), appended);
        QVERIFY(std::isnan(b.amounts().at(0)));
        const auto remembered = [&b] { // true when the crop was written
            const long long commits = b.data.connection().commitCount();
            b.solution.rememberCrop();
            return b.data.connection().commitCount() != commits;
        };
        // Nothing remembered stands for the first crop.
        QVERIFY(!remembered() && b.solution.rememberedCrop().isNull());

        b.data.crops.last();
        QCOMPARE(b.data.crops.fieldByName(QStringLiteral("id_kult"))->asInteger(), 2);
        b.solution.cropChosen();
        QCOMPARE(b.passes.size(), size_t(1));
        QVERIFY(b.passes[0].fitted && b.passes[0].composition);
        // P, K and Ca were appended and deleted; K2O was skipped.
        QCOMPARE(b.targetSequence() - appended, 3.0);
        QCOMPARE(b.column("SELECT id_el FROM t_konc WHERE id_kult = 2"), std::vector<double>{kN});
        QCOMPARE(b.amounts(), std::vector<double>{0.8});
        QCOMPARE(b.column("SELECT rachet FROM t_konc WHERE id_kult = 2"), std::vector<double>{80});
        QCOMPARE(b.column("SELECT rachet FROM t_konc WHERE id_kult = 1"), firstCrop);
        QVERIFY(remembered() && !remembered());
        QCOMPARE(b.column("SELECT id_kult_last FROM t_opt"), std::vector<double>{2});
    }

    // Stored rows without a target go before the saved solution's pass; the
    // result is that of one pass over the rows that remain. The pass leaves
    // the composition unshown: a refresh repeats it whatever the composition
    // holds, until the composition's calculation takes over.
    void savedSolutionPassAndRefresh() {
        ModelBase b(
            QString::fromUtf8(kFertilizers) +
            "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES (1, 'Смесь', 1, 1, 100);"
            "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (3, 1, 1);"
            "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (0, 1, 1), (100, 1, 2), (NULL, 1, 3), (0, 1, 5),"
            " (50, 1, 1);");
        b.solution.savedSolutionPass();
        QCOMPARE(b.column("SELECT id_el FROM t_konc ORDER BY id_konc"), (std::vector<double>{kP, kN}));
        QCOMPARE(Result(b.sql, kP), 200.0);
        QCOMPARE(Result(b.sql, kN), 100.0);
        QCOMPARE(b.data.targets.recordCount(), 2);
        QVERIFY(b.data.targetsSource.isEnabled());
        QVERIFY(!b.solution.showsComposition());

        AddLine(b.data, 1, 1.0);
        b.solution.refresh();
        QCOMPARE(b.passes.size(), size_t(2));
        QVERIFY(b.passes[1].savedPosted && !b.passes[1].composition && !b.passes[1].fitted);
        QCOMPARE(Result(b.sql, kN), 100.0);
        b.solution.calculation();
        QVERIFY(b.solution.showsComposition());
        QCOMPARE(Result(b.sql, kN), 150.0);
        QCOMPARE(Result(b.sql, kP), 0.0);
    }

    // ">" adds a fertilizer once, "<" takes a line by key, "X" takes them
    // all; the data set and the file follow.
    void compositionLinesByKey() {
        ModelBase b(QString::fromUtf8(kFertilizers) + "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 1);");
        QVERIFY(b.solution.addLine(1));
        QVERIFY(!b.solution.addLine(1));
        QCOMPARE(b.data.composition.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Азотное"));
        QVERIFY(b.solution.addLine(3));
        std::vector<LineRecord> lines = b.solution.compositionLines();
        QCOMPARE(lines.size(), size_t(2));
        QCOMPARE(*lines[0].fertilizer, 1);
        QCOMPARE(*lines[1].fertilizer, 3);
        b.solution.removeLine(lines[0].key);
        lines = b.solution.compositionLines();
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(*lines[0].fertilizer, 3);
        QVERIFY(b.solution.addLine(2));
        b.solution.clearLines();
        QVERIFY(b.solution.compositionLines().empty());
        QCOMPARE(b.data.composition.recordCount(), 0);
        QCOMPARE(b.column("SELECT COUNT(*) FROM t_rachet"), std::vector<double>{0});

        // Each element a crop lacks gets a row, which has no target and goes again.
        const auto targetCount = [&b] { return b.column("SELECT COUNT(*) FROM t_konc").at(0); };
        const long long crop = b.data.crops.fieldByName(QStringLiteral("id_kult"))->asLargeInt();
        const double stored = targetCount();
        double before = b.targetSequence();
        b.solution.completeTargets();
        const double lacking = b.targetSequence() - before;
        QCOMPARE(targetCount(), stored);
        DeleteRows(b.data.connection(), QStringLiteral("t_konc"), {b.solution.inputs().targets.front().key});
        before = b.targetSequence();
        QVERIFY(b.solution.completeTargets());
        QCOMPARE(b.targetSequence() - before, lacking + 1);
        QCOMPARE(targetCount(), stored - 1);

        // A solution is saved for the crop at the strength given, with the
        // composition's amounts as they stand; a rename changes only its name.
        QVERIFY(b.solution.addLine(1));
        UpdateRows(b.data.connection(), QStringLiteral("t_rachet"),
                   {{b.solution.compositionLines().front().key, {{QStringLiteral("kol"), 1.25}}}});
        const long long header = b.solution.saveSolution(QStringLiteral("Проба"), 60);
        QCOMPARE(b.solution.renameSolution(header, QStringLiteral("Проба 2")), header);
        QCOMPARE(b.sql.rows(QStringLiteral("SELECT name_rar, id_konc, konc FROM t_head_rar")),
                 (std::vector<std::vector<QVariant>>{{QStringLiteral("Проба 2"), crop, 60}}));
        QCOMPARE(b.sql.rows(QStringLiteral("SELECT id_head_rar, id_udobra, kol FROM t_save_rar")),
                 (std::vector<std::vector<QVariant>>{{header, 1, 1.25}}));
    }
};

QTEST_MAIN(TestWorkingSolution)
#include "test_working_solution.moc"
