// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of the stock concentrates and of the solution analysis, on
// plain values.

#include "core/rounding.h"
#include "core/solution_analysis.h"
#include "core/stock_solutions.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace solvane;

namespace {

constexpr long long kN = KeyElement::Nitrogen, kP = KeyElement::Phosphorus, kK = KeyElement::Potassium,
                    kCa = KeyElement::Calcium, kMg = KeyElement::Magnesium, kS = KeyElement::Sulfur, kFe = 7, kMn = 8,
                    kZn = 9, kCu = 10, kB = 11, kMo = 12;

// Starter fertilizers in element terms (oxides converted by the starter
// coefficients: P2O5 0.4364, K2O 0.8301, CaO 0.7147, MgO 0.6030, SO3 0.4005).
SolutionLine Line(const char* name, double amount, std::vector<ElementShare> content) {
    return {QString::fromUtf8(name), amount, std::move(content), {}, {}};
}
SolutionLine CalciumNitrate(double amount) {
    return Line("Кальциевая селитра", amount, {{kN, 15.5}, {kCa, 26.5 * 0.7147}});
}
SolutionLine PotassiumPhosphate(double amount) {
    return Line("Монофосфат калия", amount, {{kP, 52 * 0.4364}, {kK, 34 * 0.8301}});
}
SolutionLine MagnesiumSulfate(double amount) {
    return Line("Сульфат магния", amount, {{kMg, 16 * 0.6030}, {kS, 32 * 0.4005}});
}
SolutionLine Gypsum(double amount) {
    return Line("Гипс", amount, {{kCa, 32.6 * 0.7147}, {kS, 18.6}});
}

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class MixingToolsTest : public QObject {
    Q_OBJECT
private slots:
    // Calcium goes to A; iron without sulfur goes to A; everything else to B.
    // "Has" reads the content as the recipe does: the last row of an element.
    void theFirstAssignment() {
        const long long otherIron = 40; // an iron row under another key
        QVERIFY(IsIronShortName(QStringLiteral("fE ")));
        QVERIFY(!IsIronShortName(QStringLiteral("Fe2O3")));
        const std::vector<SolutionLine> lines = {
            CalciumNitrate(1),
            Line("Хелат железа (Fe-EDTA)", 1, {{kFe, 13}}),
            Line("Сульфат железа (7-водный)", 1, {{kFe, 20.1}, {kS, 11.5}}),
            Gypsum(1),
            MagnesiumSulfate(1),
            Line("Кальций, исправленный на 0", 1, {{kCa, 10}, {kCa, 0}}),
            Line("Сера, исправленная на 0", 1, {{otherIron, 5}, {kS, 3}, {kS, 0}}),
            Line("Без состава", 1, {}),
            Line("Хелат с отрицательным количеством", -0.5, {{kFe, 6}}),
        };
        const std::vector<Tank> expected = {Tank::A, Tank::A, Tank::B, Tank::A, Tank::B,
                                            Tank::B, Tank::A, Tank::B, Tank::A};
        QCOMPARE(FirstTankAssignment(lines, {kFe, otherIron}), expected);
        // Without an element named iron, the chelates go to B.
        QCOMPARE(FirstTankAssignment(lines, {})[1], Tank::B);
        QCOMPARE(TankText(Tank::A), Text("А"));
        QCOMPARE(TankText(Tank::B), Text("Б"));
    }

    // The user's switches decide which fertilizers meet in a tank; a tank
    // warns when calcium and a phosphate or sulfate come from two different
    // fertilizers that put something into it.
    void switchesAndPrecipitationWarnings() {
        const QString tankA = Text("Бак А: кальций вместе с фосфатом или сульфатом — может выпасть осадок");
        const QString tankB = Text("Бак Б: кальций вместе с фосфатом или сульфатом — может выпасть осадок");
        const QString gypsum =
            Text("«Гипс»: кальций вместе с фосфатом или сульфатом — в концентрате может выпасть осадок");
        const auto warnings = [](const std::vector<SolutionLine>& lines, const std::vector<Tank>& tanks) {
            return ComputeStockSolutions(lines, tanks, 100, 10).warnings;
        };
        const std::vector<SolutionLine> lines = {CalciumNitrate(0.8), PotassiumPhosphate(0.2), MagnesiumSulfate(0.2)};
        QCOMPARE(warnings(lines, FirstTankAssignment(lines, {})), QStringList());
        QCOMPARE(warnings(lines, {Tank::A, Tank::A, Tank::B}), QStringList{tankA});
        QCOMPARE(warnings(lines, {Tank::B, Tank::B, Tank::A}), QStringList{tankB});
        QCOMPARE(warnings(lines, {Tank::B, Tank::A, Tank::B}), QStringList{tankB});

        // One fertilizer with both: its own warning, the tank's only with another one.
        QCOMPARE(warnings({Gypsum(0.1)}, {Tank::A}), QStringList{gypsum});
        QCOMPARE(warnings({Gypsum(0.1), CalciumNitrate(0.5)}, {Tank::A, Tank::A}), (QStringList{gypsum, tankA}));
        QCOMPARE(warnings({Gypsum(0.1), Gypsum(0.2)}, {Tank::B, Tank::B}), (QStringList{gypsum, gypsum, tankB}));

        // A fertilizer that puts nothing into the tank cannot precipitate there;
        // the amount warnings come in the lines' order, before the tanks'.
        const std::vector<SolutionLine> idle = {CalciumNitrate(0.8), PotassiumPhosphate(0), Gypsum(-0.05),
                                                MagnesiumSulfate(0.2)};
        QCOMPARE(
            warnings(idle, {Tank::A, Tank::A, Tank::A, Tank::B}),
            (QStringList{Text("«Монофосфат калия»: 0 г/л — удобрение не попадает в раствор"),
                         Text("«Гипс»: отрицательное количество — это удобрение лишнее, уберите его из раствора")}));
    }

    // Grams per tank unrounded (the window shows four significant digits, so
    // 0,4 mg of a micro element is not shown as 0), the totals per tank (a
    // negative amount, which nobody weighs, left out) and the millilitres per
    // litre.
    void gramsTotalsAndDose() {
        const std::vector<SolutionLine> lines = {CalciumNitrate(0.792), PotassiumPhosphate(0.123456),
                                                 Line("Аммиачная селитра", -0.238, {{kN, 34.4}}),
                                                 MagnesiumSulfate(0.0000004)};
        const std::vector<Tank> tanks = {Tank::A, Tank::B, Tank::B, Tank::A};
        StockSolutions s = ComputeStockSolutions(lines, tanks, 100, 10);
        const auto tank = [](double amount) { return amount * 100 * 10; };
        QCOMPARE(s.grams, (std::vector<double>{tank(0.792), tank(0.123456), tank(-0.238), tank(0.0000004)}));
        QCOMPARE(s.totalA, tank(0.792) + tank(0.0000004));
        QCOMPARE(s.totalB, tank(0.123456));
        QCOMPARE(s.millilitresPerLitre, 10.0);

        s = ComputeStockSolutions(lines, tanks, 3, 0.5);
        const auto small = [](double amount) { return amount * 3 * 0.5; };
        QCOMPARE(s.grams, (std::vector<double>{small(0.792), small(0.123456), small(-0.238), small(0.0000004)}));
        QCOMPARE(s.millilitresPerLitre, 1000.0 / 3);

        // A half step rounds away from zero on either side, and a tiny
        // negative figure is a plain 0.
        QCOMPARE(RoundToDecimalsSymmetric(0.125, 2), 0.13);
        QCOMPARE(RoundToDecimalsSymmetric(-0.125, 2), -0.13);
        QCOMPARE(RoundToDecimalsSymmetric(-100, 1), -100.0);
        QVERIFY(!std::signbit(RoundToDecimalsSymmetric(-0.004, 2)));
    }

    // Deviations: empty where vega is 0 or empty; an empty rachet reads as 0;
    // the mark follows the figure shown.
    void deviationsAndMarks() {
        const std::vector<TargetRow> targets = {
            {kN, QStringLiteral("N"), 200.0, 220.12},   // 10.06 -> 10.1, marked
            {kP, QStringLiteral("P"), 200.0, 220.08},   // 10.04 -> 10.0
            {kK, QStringLiteral("K"), 200.0, 179.88},   // -10.06 -> -10.1, marked
            {kCa, QStringLiteral("Ca"), 200.0, 179.92}, // -10.04 -> -10.0
            {kMg, QStringLiteral("Mg"), 0.0, 5.0},
            {kS, QStringLiteral("S"), std::nullopt, 5.0},
            {kFe, QStringLiteral("Fe"), 2.8, std::nullopt},
            {kMo, QStringLiteral("Mo"), 0.05, 0.0},
            {kB, QStringLiteral("B"), 0.7, 0.7},
        };
        const SolutionAnalysis a = AnalyseSolution(targets, {}, false, false);
        const std::vector<std::optional<double>> deviations = {10.1,         10.0, -10.1, -10.0, std::nullopt,
                                                               std::nullopt, -100, -100,  0.0};
        const std::vector<bool> marked = {true, false, true, false, false, false, true, true, false};
        QCOMPARE(a.rows.size(), targets.size());
        for (size_t i = 0; i < targets.size(); ++i) {
            const char* row = qPrintable(targets[i].shortName);
            QVERIFY2(a.rows[i].deviation.has_value() == deviations[i].has_value(), row);
            if (deviations[i])
                QCOMPARE(*a.rows[i].deviation, *deviations[i]);
            QVERIFY2(a.rows[i].outOfRange == marked[i], row);
        }

        // The cheapest fit marks a row beyond its own tolerance (none: 10 %)
        // and names it after the fit's message.
        std::vector<TargetRow> own = targets;
        own[0].tolerance = 10.5;
        own[1].tolerance = 5.0;
        const SolutionAnalysis cheapest =
            AnalyseSolution(own, {}, false, false, {true, true, Text("Допуски недостижимы для: P")});
        QCOMPARE(cheapest.rows[0].outOfRange, false);
        QCOMPARE(cheapest.rows[1].outOfRange, true);
        QCOMPARE(cheapest.rows[2].outOfRange, true);
        QCOMPARE(cheapest.warnings.mid(2, 3),
                 (QStringList{Text("Допуски недостижимы для: P"),
                              Text("«P»: вне пределов ±5 % — удобрения раствора не дают нужного соотношения"),
                              Text("«K»: вне пределов ±10 % — удобрения раствора не дают нужного соотношения")}));
    }

    // The ion sums read the key elements by key (a missing row counts 0, of
    // two rows of one element the first), in any order of the rows.
    void ionSumsAndConductivity() {
        std::vector<TargetRow> targets = {
            {kFe, QStringLiteral("Fe"), 3.0, 3.0},          {kS, QStringLiteral("S"), 64.0, 32.06},
            {kN, QStringLiteral("N"), 150.0, 140.07},       {kN, QStringLiteral("N"), 150.0, 999.0},
            {kK, QStringLiteral("K"), 40.0, 39.098},        {kCa, QStringLiteral("Ca"), 40.0, 40.078},
            {kMg, QStringLiteral("Mg"), 24.0, 24.305},      {kP, QStringLiteral("P"), 31.0, 30.974},
            {kMn, QStringLiteral("Mn"), 0.5, std::nullopt},
        };
        SolutionAnalysis a = AnalyseSolution(targets, {}, false, false);
        QCOMPARE(a.cations, 5.0); // 1 + 2 + 2
        QCOMPARE(a.anions, 13.0); // 10 + 1 + 2
        QCOMPARE(a.conductivity, 0.9);

        // Without the sulfur and nitrogen rows, and with a magnesium figure
        // whose sums need rounding.
        targets.erase(targets.begin() + 1, targets.begin() + 4);
        targets[3].rachet = 25.0;
        a = AnalyseSolution(targets, {}, false, false);
        QCOMPARE(a.cations, 1.0 + 2.0 + 25.0 / 12.1525);
        QCOMPARE(a.anions, 1.0);
        QCOMPARE(a.cationsShown, 5.06); // 5.0572...
        QCOMPARE(a.anionsShown, 1.0);
        QCOMPARE(a.conductivity, 0.3); // 6.0572 / 20 = 0.30286

        a = AnalyseSolution({}, {}, false, false);
        QCOMPARE(a.cations + a.anions + a.conductivity, 0.0);
    }

    // The analysis warns about the lines only while the composition's
    // concentrations are shown, then about the elements that no fertilizer
    // gives, then about a singular value left out.
    void analysisWarnings() {
        const std::vector<TargetRow> targets = {{kN, QStringLiteral("N"), 150.0, 150.0},
                                                {kMo, QStringLiteral("Mo"), 0.05, 0.0},
                                                {kCu, QStringLiteral("Cu"), 0.0, 0.0},
                                                {kZn, QStringLiteral("Zn"), 0.3, std::nullopt}};
        const std::vector<SolutionLine> lines = {CalciumNitrate(-0.1), PotassiumPhosphate(0.2), MagnesiumSulfate(0)};
        const QStringList elements = {Text("«Mo»: ни одно удобрение раствора не даёт этот элемент"),
                                      Text("«Zn»: ни одно удобрение раствора не даёт этот элемент")};
        const QString singular =
            Text("Удобрения раствора не позволяют подобрать все элементы независимо друг от друга");
        QCOMPARE(AnalyseSolution(targets, lines, false, false).warnings, elements);
        QCOMPARE(AnalyseSolution(targets, lines, false, true).warnings, elements + QStringList{singular});
        const QStringList amounts = {
            Text("«Кальциевая селитра»: отрицательное количество — это удобрение лишнее, уберите его из раствора"),
            Text("«Сульфат магния»: 0 г/л — удобрение не попадает в раствор")};
        QCOMPARE(AnalyseSolution(targets, lines, true, true).warnings, amounts + elements + QStringList{singular});
        // A fertilizer that has the element but came out at 0 g/l is named as such.
        std::vector<SolutionLine> withZinc = lines;
        withZinc.push_back({QStringLiteral("Сульфат цинка"), 0.0, {{kZn, 22.7}}, {}, {}});
        QCOMPARE(AnalyseSolution(targets, withZinc, false, false).warnings.last(),
                 Text("«Zn»: удобрение с этим элементом получилось 0 г/л"));
    }

    // The fourteen first starter fertilizers with the amounts the recipe
    // gives them for tomato: molybdate comes out at 0 g/l, ammonium nitrate
    // negative; calcium nitrate and the iron chelate make tank A.
    void theStarterTomatoRecipe() {
        const std::vector<SolutionLine> lines = {
            CalciumNitrate(0.792),
            Line("Калиевая селитра", 0.047, {{kN, 13.7}, {kK, 46.3 * 0.8301}}),
            PotassiumPhosphate(0.194),
            MagnesiumSulfate(0.231),
            Line("Сульфат калия", 0.109, {{kK, 52 * 0.8301}, {kS, 18}}),
            Line("Аммиачная селитра", -0.238, {{kN, 34.4}}),
            Line("Нитрат магния", 0.187, {{kN, 10.9}, {kMg, 9.5}}),
            Line("Моноаммонийфосфат", 0.022, {{kN, 12}, {kP, 61 * 0.4364}}),
            Line("Хелат железа (Fe-EDTA)", 0.022, {{kFe, 13}}),
            Line("Сульфат марганца", 0.002, {{kMn, 32.5}, {kS, 19}}),
            Line("Сульфат цинка", 0.001, {{kZn, 22.7}, {kS, 11.1}}),
            Line("Сульфат меди", 0.001, {{kCu, 25.4}, {kS, 12.8}}),
            Line("Борная кислота", 0.004, {{kB, 17.5}}),
            Line("Молибдат натрия", 0, {{kMo, 39.6}}),
        };
        const std::vector<Tank> tanks = FirstTankAssignment(lines, {kFe});
        QCOMPARE(std::count(tanks.begin(), tanks.end(), Tank::A), 2);
        QCOMPARE(tanks[0], Tank::A);
        QCOMPARE(tanks[8], Tank::A);
        const StockSolutions s = ComputeStockSolutions(lines, tanks, 100, 10);
        QCOMPARE(s.totalA, 814.0);
        QCOMPARE(s.totalB, 798.0); // ammonium nitrate's -238 g left out
        QCOMPARE(s.warnings,
                 (QStringList{Text("«Аммиачная селитра»: отрицательное количество — это удобрение лишнее, уберите "
                                   "его из раствора"),
                              Text("«Молибдат натрия»: 0 г/л — удобрение не попадает в раствор")}));
    }
};

QTEST_GUILESS_MAIN(MixingToolsTest)
#include "test_mixing_tools.moc"
