// SPDX-License-Identifier: GPL-3.0-or-later
// The chemistry a grower reads beside the recipe, over plain values: the acid
// dose for hard water, the forms of an element counted toward it, the factor that brings a recipe to an EC, the cost of
// a tank with solids and liquids, and the ion report's shares and warnings.

#include "core/acid_dose.h"
#include "core/concentration_sums.h"
#include "core/ec_factor.h"
#include "core/ion_report.h"
#include "core/solution_lines.h"
#include "core/tank_cost.h"

#include <QtTest>
#include <cmath>

using namespace solvane;

namespace {

// Element keys as a starter base numbers them.
constexpr long long kN = 1, kP = 2, kS = 6, kNo3 = 19, kNh4 = 20, kP2O5 = 30;

const std::unordered_map<long long, Ion> kIons{
    {kN, Ion::Nitrate}, {kP, Ion::Phosphate}, {kS, Ion::Sulfate}, {kNh4, Ion::Ammonium}};

} // namespace

class TestSolutionChemistry : public QObject {
    Q_OBJECT

private slots:
    // A water of 244 mg/l HCO3 (4 mmol/l) left at 30,5 mg/l, with the
    // starter's three acids: their contents, densities, and the doses worked
    // out by hand from 1 H⁺ per N, 1 per P and 2 per S.
    void acidDoses() {
        struct Acid {
            std::vector<ContentRow> content;
            double density, grams, millilitres;
        };
        const Acid acids[] = {
            {{{kN, 0, 13.3, 0}}, 1.367, 0.36850, 0.26957},
            {{{kP2O5, kP, 61.6, 0.4364}}, 1.685, 0.40316, 0.23926},
            {{{kS, 0, 31.4, 0}}, 1.835, 0.17863, 0.09735},
        };
        for (const Acid& acid : acids) {
            const AcidDose dose = DoseAcid(244.0, 30.5, ProtonsPerGram(acid.content, kIons));
            QCOMPARE(dose.state, AcidDose::State::Dosed);
            QVERIFY2(std::fabs(dose.gramsPerLitre - acid.grams) < 5e-6,
                     qPrintable(QString::number(dose.gramsPerLitre)));
            QVERIFY(std::fabs(MillilitresOf(dose.gramsPerLitre, acid.density) - acid.millilitres) < 5e-6);
        }
        // The tap water example with 183 mg/l and nitric acid.
        const AcidDose tap = DoseAcid(183.0, 30.5, ProtonsPerGram(acids[0].content, kIons));
        QVERIFY(std::fabs(tap.gramsPerLitre - 0.26322) < 5e-6);
        QCOMPARE(AcidDoseText(tap, 1.367, 30.5),
                 QStringLiteral("0,1926 мл/л (19,26 мл на 100 л) — остаток HCO3 30,5 мг/л"));
        QCOMPARE(AcidDoseText(tap, std::nullopt, 30.5).left(12), QStringLiteral("0,2632 г/л ("));

        // Ammonium gives no acidity; no bicarbonate or too little gives no dose.
        QCOMPARE(ProtonsPerGram({{kNh4, 0, 21.0, 0}}, kIons), 0.0);
        QCOMPARE(DoseAcid(std::nullopt, 30.5, 9.5).state, AcidDose::State::NoBicarbonate);
        QCOMPARE(AcidDoseText(DoseAcid(0.0, 30.5, 9.5), 1.367, 30.5), QStringLiteral("В воде нет гидрокарбонатов"));
        const AcidDose low = DoseAcid(30.5, 30.5, 9.5);
        QCOMPARE(low.gramsPerLitre, 0.0);
        QCOMPARE(AcidDoseText(low, 1.367, 30.5), QStringLiteral("HCO3 воды не выше остатка"));
    }

    // The factor is found to the EC's tolerance on a rising curve, the ends
    // count, and an EC beyond both ends is unreachable.
    void ecFactor() {
        int calls = 0;
        const auto ec = [&calls](double factor) {
            ++calls;
            return 0.3 + 1.7 * factor - 0.02 * factor * factor; // water's EC plus a bend
        };
        const std::optional<double> factor = FactorForEc(2.5, ec);
        QVERIFY(factor);
        QVERIFY(std::fabs(ec(*factor) - 2.5) <= kEcFactorTolerance);
        QVERIFY(calls <= kEcFactorSteps + 3);
        QCOMPARE(FactorForEc(ec(kEcFactorHigh), ec), std::optional<double>(kEcFactorHigh));
        QVERIFY(!FactorForEc(0.2, ec));   // below even a tenth of the targets
        QVERIFY(!FactorForEc(100.0, ec)); // beyond ten times
        QVERIFY(!FactorForEc(2.5, [](double) { return 1.0; }));
    }

    // A solid priced per kg by g/l, a liquid per litre by ml/l, a line without
    // a price named once, a negative amount costing nothing.
    void tankCost() {
        const SolutionCost cost = CostOf({{QStringLiteral("Кальциевая селитра"), 0.9, {}, 90.0},
                                          {QStringLiteral("Азотная кислота 60 %"), 0.2734, 1.367, 100.0},
                                          {QStringLiteral("Хелат железа"), 0.02, {}, {}},
                                          {QStringLiteral("Хелат железа"), 0.01, {}, {}},
                                          {QStringLiteral("Сульфат калия"), -0.1, {}, 150.0}});
        QVERIFY(std::fabs(cost.perThousandLitres - (81.0 + 20.0)) < 1e-9);
        QCOMPARE(CostText(cost), QStringLiteral("Стоимость 1000 л: 101 (без цены: Хелат железа)"));
        QCOMPARE(CostText(CostOf({{QStringLiteral("A"), 1.2345, {}, 100.0}}), 10.0),
                 QStringLiteral("Стоимость 10 л: 1,23"));
        QVERIFY(std::fabs(PricePerGram(100.0, 1.25) - 0.08) < 1e-15);
        QCOMPARE(PricePerGram(90.0, std::nullopt), 0.09);
    }

    // A form's row counts for its own row and, with factor 1, for its
    // total's; the water's forms likewise; a row that names itself as its
    // total (a damaged base) counts once; without forms nothing changes.
    void formsCountTowardTheirTotal() {
        const std::vector<ContentRow> content{{kN, 0, 1.0, 0, 0},
                                              {kNo3, 0, 14.4, 0, kN},
                                              {kNh4, 0, 1.1, 0, kN},
                                              {kP2O5, kP, 10.0, 0.4364, 0},
                                              {kS, 0, 5.0, 0, kS}};
        QCOMPARE(ContributionPerGram(content, kN), 10.0 + 144.0 + 11.0);
        QCOMPARE(ContributionPerGram(content, kNh4), 11.0);
        QCOMPARE(ContributionPerGram(content, kS), 50.0);
        const std::unordered_map<long long, double> water =
            WaterWithFormTotals({{kNo3, 3.0}, {kNh4, 0.5}, {kS, 7.0}}, {{kNo3, kN}, {kNh4, kN}, {kS, kS}});
        QCOMPARE(water.at(kN), 3.5);
        QCOMPARE(water.at(kS), 7.0);
        QCOMPARE(ConcentrationsOf({kN, kNo3, kP, kS}, {ConcentrationLine{2.0, content}}, water),
                 (std::vector<double>{333.5, 291.0, 87.28, 107.0}));
        QCOMPARE(ElementPercent({{kN, 1.0, 0}, {kNo3, 14.4, kN}, {kNh4, 1.1, kN}, {kS, 5.0, kS}}, kN), 16.5);
        QCOMPARE(ElementPercent({{kS, 5.0, kS}}, kS), 5.0);
        QCOMPARE(WaterWithFormTotals({{kN, 3.0}}, {}).at(kN), 3.0);
    }

    // Amide nitrogen belongs to all N; the warnings come in their order with
    // their figures.
    void ionReport() {
        IonReportInputs inputs;
        // 140 mg/l nitrate N, 30 ammonium N, 30 amide N: NH4 share 15 % exactly.
        inputs.sums = IonSumsOf({ConcentrationLine{1.0, {{kN, 0, 14.0, 0}, {kNh4, 0, 3.0, 0}}}}, {}, kIons);
        inputs.unchargedNitrogen = 30.0;
        IonReport report = ReportIons(inputs);
        QVERIFY(std::fabs(*report.ammoniumShare - 15.0) < 1e-12);
        QVERIFY(std::fabs(report.nitrate - 140.0 / 14.007) < 1e-12);
        QVERIFY(report.warnings.contains(QStringLiteral("Баланс ионов расходится на 78,6 %")));
        QVERIFY(!report.warnings.join(QLatin1Char('|')).contains(QStringLiteral("Аммонийный")));

        inputs.unchargedNitrogen = 0.0;
        inputs.plainNitrogen = QStringList{QStringLiteral("Аммиачная селитра"), QStringLiteral("Мочевина")};
        inputs.unneutralisedBicarbonate = 183.0;
        report = ReportIons(inputs);
        QCOMPARE(report.warnings,
                 QStringList({QStringLiteral("Аммонийный азот 17,6 % от N — больше 15 %"),
                              QStringLiteral("Форма азота не указана для: Аммиачная селитра, Мочевина"),
                              QStringLiteral("Баланс ионов расходится на 78,6 %"),
                              QStringLiteral("HCO3 в воде 183 мг/л не нейтрализован — pH раствора поднимется")}));
        QVERIFY(!ReportIons(IonReportInputs{}).ammoniumShare);
        QCOMPARE(ReportIons(IonReportInputs{}).balancePercent, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestSolutionChemistry)
#include "test_solution_chemistry.moc"
