// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ec_model.h"
#include "core/ion_sums.h"

#include <QFile>
#include <QtTest>
#include <cmath>

using namespace solvane;

Q_DECLARE_METATYPE(solvane::IonMillimoles)

namespace {

IonMillimoles Ions(std::initializer_list<std::pair<Ion, double>> values) {
    IonMillimoles m{};
    for (const auto& [ion, mmol] : values)
        m[IonIndex(ion)] = mmol;
    return m;
}

// |got − expected| within half a unit of the last digit the figure is given to.
void CompareDigits(const char* what, double got, double expected, double lastDigit) {
    if (!(std::abs(got - expected) <= 0.5 * lastDigit * (1 + 1e-9)))
        QFAIL(qPrintable(
            QStringLiteral("%1: %2, expected %3").arg(QLatin1String(what)).arg(got, 0, 'g', 10).arg(expected)));
}

} // namespace

class EcModelTest : public QObject {
    Q_OBJECT
private slots:
    // Nutrient solutions, a calibration standard and a hard water on its own
    // and acidified, with the EC the model gives them at 25 °C.
    void workedSolutions_data() {
        QTest::addColumn<IonMillimoles>("ions");
        QTest::addColumn<double>("pH");
        QTest::addColumn<double>("ec");
        using I = Ion;
        QTest::newRow("nitrate solution") << Ions({{I::Nitrate, 15},
                                                   {I::Phosphate, 1},
                                                   {I::Potassium, 6},
                                                   {I::Calcium, 5},
                                                   {I::Magnesium, 2},
                                                   {I::Sulfate, 2}})
                                          << 5.5 << 2.133;
        QTest::newRow("with ammonium") << Ions({{I::Nitrate, 14},
                                                {I::Ammonium, 1},
                                                {I::Phosphate, 1},
                                                {I::Potassium, 6},
                                                {I::Calcium, 4},
                                                {I::Magnesium, 2},
                                                {I::Sulfate, 2}})
                                       << 5.5 << 2.064;
        QTest::newRow("with sodium chloride") << Ions({{I::Nitrate, 16},
                                                       {I::Ammonium, 1.2},
                                                       {I::Phosphate, 1.5},
                                                       {I::Potassium, 9.5},
                                                       {I::Calcium, 5.4},
                                                       {I::Magnesium, 2.4},
                                                       {I::Sulfate, 4.4},
                                                       {I::Sodium, 2},
                                                       {I::Chloride, 2}})
                                              << 5.5 << 2.956;
        QTest::newRow("0.01 M KCl") << Ions({{I::Potassium, 10}, {I::Chloride, 10}}) << 7.0 << 1.399;
        const IonMillimoles hardWater = Ions({{I::Calcium, 1.5},
                                              {I::Magnesium, 0.6},
                                              {I::Sodium, 1.0},
                                              {I::Bicarbonate, 4.0},
                                              {I::Chloride, 0.2},
                                              {I::Sulfate, 0.3}});
        QTest::newRow("hard water") << hardWater << kWaterPh << 0.446;
        QTest::newRow("hard water acidified") << hardWater << kSolutionPh << 0.323;
    }
    void workedSolutions() {
        QFETCH(IonMillimoles, ions);
        QFETCH(double, pH);
        QFETCH(double, ec);
        const EcSpeciation s = SpeciateForEc(ions, pH);
        QVERIFY(s.converged);
        QVERIFY2(std::abs(s.ec - ec) <= 0.0005, qPrintable(QString::number(s.ec, 'f', 6)));
        QCOMPARE(SolutionEc(ions, pH), s.ec);
    }

    // The speciation inside the first solution: the ion pairs that carry no
    // current, the activity coefficients and what each species carries.
    void insideTheNitrateSolution() {
        using I = Ion;
        using S = Species;
        const EcSpeciation s = SpeciateForEc(Ions({{I::Nitrate, 15},
                                                   {I::Phosphate, 1},
                                                   {I::Potassium, 6},
                                                   {I::Calcium, 5},
                                                   {I::Magnesium, 2},
                                                   {I::Sulfate, 2}}),
                                             kSolutionPh);
        CompareDigits("I", s.ionicStrength, 0.026684, 1e-6);
        const struct {
            const char* name;
            S species;
            double value;
            double lastDigit;
        } molalities[] = {
            {"Ca", S::Ca, 4.5881e-3, 1e-7},
            {"Mg", S::Mg, 1.7846e-3, 1e-7},
            {"K", S::K, 5.9850e-3, 1e-7},
            {"SO4", S::SO4, 1.4397e-3, 1e-7},
            // 8.61124e-4 with water at 0.99705 kg/l; 0.997045 kg/l gives 8.61128e-4.
            {"H2PO4", S::H2PO4, 8.6112e-4, 1e-8},
            {"CaSO4", S::CaSO4, 3.5081e-4, 1e-8},
            {"MgSO4", S::MgSO4, 1.8254e-4, 1e-8},
            {"KSO4", S::KSO4, 3.2592e-5, 1e-9},
            {"CaH2PO4", S::CaH2PO4, 5.5764e-5, 1e-9},
        };
        for (const auto& m : molalities)
            CompareDigits(m.name, s.molalityOf(m.species), m.value, m.lastDigit);
        CompareDigits("log γ Ca", s.logGammaOf(S::Ca), -0.2583, 1e-4);
        CompareDigits("log γ SO4", s.logGammaOf(S::SO4), -0.2638, 1e-4);
        CompareDigits("log γ K", s.logGammaOf(S::K), -0.0697, 1e-4);
        const struct {
            const char* name;
            S species;
            double value;
        } carried[] = {{"NO3", S::NO3, 0.9434},   {"Ca", S::Ca, 0.4243},       {"K", S::K, 0.3981},
                       {"SO4", S::SO4, 0.1881},   {"Mg", S::Mg, 0.1492},       {"H2PO4", S::H2PO4, 0.0246},
                       {"HPO4", S::HPO4, 0.0022}, {"KSO4", S::KSO4, 0.0018},   {"H", S::H, 0.0012},
                       {"CaSO4", S::CaSO4, 0.0},  {"CaH2PO4", S::CaH2PO4, 0.0}};
        for (const auto& c : carried)
            CompareDigits(c.name, s.conductanceOf(c.species), c.value, 1e-4);
    }

    // Pure water conducts by its own ions alone: 0.0550 µS/cm at 25 °C
    // (18.2 MΩ·cm). Negative inputs count as nothing; absurd ones give no
    // number rather than a wrong one.
    void pureWater() {
        IonMillimoles nothing{};
        IonMillimoles negative{};
        negative.fill(-1.0);
        const double ec = SolutionEc(nothing, 7.0);
        QVERIFY2(std::abs(ec / 5.50e-5 - 1) < 0.01, qPrintable(QString::number(ec)));
        QCOMPARE(SolutionEc(negative, 7.0), ec);
        IonMillimoles absurd{};
        absurd.fill(1e7);
        QVERIFY(std::isnan(SolutionEc(absurd)));
    }

    // Single salts measured at 25 °C, 0.005 to 0.1 equivalents per litre.
    void measuredSingleSalts() {
        QFile file(QStringLiteral(SOLVANE_FIXTURES "/ec-crc-salts.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const std::pair<QString, Ion> columns[] = {
            {QStringLiteral("NO3"), Ion::Nitrate}, {QStringLiteral("NH4"), Ion::Ammonium},
            {QStringLiteral("P"), Ion::Phosphate}, {QStringLiteral("K"), Ion::Potassium},
            {QStringLiteral("Ca"), Ion::Calcium},  {QStringLiteral("Mg"), Ion::Magnesium},
            {QStringLiteral("SO4"), Ion::Sulfate}, {QStringLiteral("Na"), Ion::Sodium},
            {QStringLiteral("Cl"), Ion::Chloride}, {QStringLiteral("HCO3"), Ion::Bicarbonate}};
        QStringList header;
        int count = 0;
        double sum = 0, largest = 0;
        QString worst;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList cells = line.split(QLatin1Char(','));
            if (header.isEmpty()) {
                header = cells;
                continue;
            }
            QCOMPARE(cells.size(), header.size());
            IonMillimoles ions{};
            for (const auto& [name, ion] : columns)
                if (const int at = header.indexOf(name); at >= 0)
                    ions[IonIndex(ion)] = cells[at].toDouble();
            const double measured = cells[header.indexOf(QStringLiteral("ec_mS_cm"))].toDouble();
            const double error =
                std::abs(SolutionEc(ions, cells[header.indexOf(QStringLiteral("pH"))].toDouble()) / measured - 1);
            sum += error;
            if (error > largest) {
                largest = error;
                worst = cells[0];
            }
            ++count;
        }
        QCOMPARE(count, 35);
        qInfo("mean error %.3f %%, largest %.3f %% (%s)", 100 * sum / count, 100 * largest, qPrintable(worst));
        QVERIFY(sum / count < 0.015);
    }

    // Ions by each content row's own element: forms count for their own ion
    // only, an oxide through its conversion, amide nitrogen and micro
    // elements in none; the water's rows likewise.
    void ionSumsOfASolution() {
        const long long n = 1, p = 2, k = 3, ca = 4, mg = 5, no3 = 7, nh4 = 8, nh2 = 9, fe = 10, hco3 = 11, p2o5 = 21,
                        k2o = 20;
        const std::unordered_map<long long, Ion> ionOf = {
            {n, Ion::Nitrate},    {p, Ion::Phosphate}, {k, Ion::Potassium},  {ca, Ion::Calcium},
            {mg, Ion::Magnesium}, {no3, Ion::Nitrate}, {nh4, Ion::Ammonium}, {hco3, Ion::Bicarbonate}};
        const std::vector<ConcentrationLine> lines = {
            {1.0, {{no3, 0, 14.4, 0}, {nh4, 0, 1.1, 0}, {ca, 0, 19.0, 0}}}, // calcium nitrate
            {0.2, {{p2o5, p, 52.0, 0.4364}, {k2o, k, 34.0, 0.8301}}},       // MKP by its oxides
            {0.1, {{nh2, 0, 46.0, 0}}},                                     // urea
            {0.02, {{fe, 0, 13.0, 0}}},                                     // iron chelate
            {0.5, {{n, 0, 13.0, 0}, {k, 0, 38.0, 0}}},                      // potassium nitrate, plain N
        };
        const std::unordered_map<long long, double> water = {{ca, 40.0}, {mg, 12.0}, {hco3, 122.034}, {fe, 0.5}};
        const IonSums sums = IonSumsOf(lines, water, ionOf);

        // By hand: mg/l = percent × 10 × g/l (× coefficient for an oxide).
        IonValues expected{};
        expected[IonIndex(Ion::Nitrate)] = 144.0 + 65.0;
        expected[IonIndex(Ion::Ammonium)] = 11.0;
        expected[IonIndex(Ion::Phosphate)] = 104.0 * 0.4364;
        expected[IonIndex(Ion::Potassium)] = 68.0 * 0.8301 + 190.0;
        expected[IonIndex(Ion::Calcium)] = 190.0 + 40.0;
        expected[IonIndex(Ion::Magnesium)] = 12.0;
        expected[IonIndex(Ion::Bicarbonate)] = 122.034;
        const double masses[] = {14.007, 14.007, 30.974, 39.098, 40.078, 24.305, 32.06, 22.990, 35.45, 61.017};
        for (std::size_t i = 0; i < kIonCount; ++i) {
            QVERIFY2(std::abs(sums.mgPerLitre[i] - expected[i]) < 1e-9, InfoOf(static_cast<Ion>(i)).code.data());
            QVERIFY2(std::abs(sums.mmolPerLitre[i] - expected[i] / masses[i]) < 1e-12,
                     InfoOf(static_cast<Ion>(i)).code.data());
        }
        const double cations =
            11.0 / 14.007 + (68.0 * 0.8301 + 190.0) / 39.098 + 2 * 230.0 / 40.078 + 2 * 12.0 / 24.305;
        const double anions = 209.0 / 14.007 + 104.0 * 0.4364 / 30.974 + 2.0;
        QVERIFY(std::abs(sums.cations - cations) < 1e-12);
        QVERIFY(std::abs(sums.anions - anions) < 1e-12);

        QCOMPARE(IonFromCode("Ca+2"), std::optional<Ion>(Ion::Calcium));
        QCOMPARE(IonFromCode("HCO3-"), std::optional<Ion>(Ion::Bicarbonate));
        QCOMPARE(IonFromCode(""), std::optional<Ion>());
        QCOMPARE(IonFromCode("ca+2"), std::optional<Ion>());
        QCOMPARE(IonFromCode("NO3- "), std::optional<Ion>());
    }
};

QTEST_GUILESS_MAIN(EcModelTest)
#include "test_ec_model.moc"
