// SPDX-License-Identifier: GPL-3.0-or-later
// The working solution over plain records, without windows or a base: the
// zero-target rule, the lines a fit leaves alone, the figures at the
// strength, and the totals, which always sum the composition. Then, on a
// starter base without windows, the composition's lines changed by key, a
// crop's target list completed, and a solution saved and renamed.

#include "model/solution_calculation.h"
#include "model/working_solution.h"
#include "store/database.h"
#include "store/row_writes.h"
#include "store/starter_database.h"
#include "support/test_base.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace solvane;

namespace {

constexpr long long kN = 1, kK = 3, kK2O = 4;

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

    // ">" adds a fertilizer once, "<" takes a line by key, "X" takes them
    // all; the data set and the file follow.
    void compositionLinesByKey() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("base.mdb"));
        CreateStarterDatabase(file);
        Database data(file);
        data.OpenTables();
        WorkingSolution solution(data);
        QVERIFY(solution.addLine(1));
        QVERIFY(!solution.addLine(1));
        QVERIFY(solution.addLine(3));
        std::vector<LineRecord> lines = solution.compositionLines();
        QCOMPARE(lines.size(), size_t(2));
        QCOMPARE(*lines[0].fertilizer, 1);
        QCOMPARE(*lines[1].fertilizer, 3);
        solution.removeLine(lines[0].key);
        lines = solution.compositionLines();
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(*lines[0].fertilizer, 3);
        QVERIFY(solution.addLine(2));
        solution.clearLines();
        QVERIFY(solution.compositionLines().empty());
        QCOMPARE(data.composition.recordCount(), 0);
        QCOMPARE(test::SqlFile(file).value(QStringLiteral("SELECT COUNT(*) FROM t_rachet")).toInt(), 0);

        // Each element a crop lacks gets a row, which has no target and goes again.
        test::SqlFile sql(file);
        const auto targetCount = [&] { return sql.value(QStringLiteral("SELECT COUNT(*) FROM t_konc")).toInt(); };
        const auto sequence = [&] {
            return sql.value(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 't_konc'")).toLongLong();
        };
        const long long crop = data.crops.fieldByName(QStringLiteral("id_kult"))->asLargeInt();
        const int stored = targetCount();
        long long before = sequence();
        solution.completeTargets();
        const long long lacking = sequence() - before;
        QCOMPARE(targetCount(), stored);
        DeleteRows(data.connection(), QStringLiteral("t_konc"), {solution.inputs().targets.front().key});
        before = sequence();
        QVERIFY(solution.completeTargets());
        QCOMPARE(sequence() - before, lacking + 1);
        QCOMPARE(targetCount(), stored - 1);

        // A solution is saved for the crop at the strength given, with the
        // composition's amounts as they stand; a rename changes only its name.
        QVERIFY(solution.addLine(1));
        UpdateRows(data.connection(), QStringLiteral("t_rachet"),
                   {{solution.compositionLines().front().key, {{QStringLiteral("kol"), 1.25}}}});
        const long long header = solution.saveSolution(QStringLiteral("Проба"), 60);
        QCOMPARE(solution.renameSolution(header, QStringLiteral("Проба 2")), header);
        QCOMPARE(sql.rows(QStringLiteral("SELECT name_rar, id_konc, konc FROM t_head_rar")),
                 (std::vector<std::vector<QVariant>>{{QStringLiteral("Проба 2"), crop, 60}}));
        QCOMPARE(sql.rows(QStringLiteral("SELECT id_head_rar, id_udobra, kol FROM t_save_rar")),
                 (std::vector<std::vector<QVariant>>{{header, 1, 1.25}}));
    }
};

QTEST_MAIN(TestWorkingSolution)
#include "test_working_solution.moc"
