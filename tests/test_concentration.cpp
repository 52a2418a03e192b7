// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator_fixture.h"
#include "windows/calculator/crop_pane.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

using namespace solvane;
using namespace solvane::test;

namespace {

bool Calculate(CalculatorWindow& calc) {
    return calc.runGuarded([&calc] { calc.solution().calculation(); });
}

// The text of one of the calculator's labels (the totals), found by its
// object name; a mark that cannot be mistaken for a total when there is none.
QString LabelText(const CalculatorWindow& calc, const char* name) {
    const QLabel* label = Child<QLabel>(calc, QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

} // namespace

class ConcentrationTest : public QObject {
    Q_OBJECT
private slots:
    // The calculation ends by writing the totals: the sums of the target
    // list and of the composition, rounded to two decimals.
    void totalsFollowTheCalculation() {
        CalculatorFixture f(
            QString::fromUtf8(kFertilizers) +
            "INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES (100, 90, 1, 1), (100.456, 1, 1, 3);");
        f.start();
        CalculatorWindow& calc = f.calc();
        AddLine(f.data(), 1, 1.0);
        AddLine(f.data(), 2, 0.5);
        QVERIFY(Calculate(calc));
        QCOMPARE(LabelText(calc, "Label4"), QStringLiteral("   250")); // 150 + 100
        QCOMPARE(LabelText(calc, "Label13"), QStringLiteral("   250"));
        QCOMPARE(LabelText(calc, "Label5"), Shown(QStringLiteral("   200.46"))); // 100 + 100.46
        QCOMPARE(LabelText(calc, "Label9"), QStringLiteral("   91"));
        QCOMPARE(LabelText(calc, "Label10"), QStringLiteral("   1400")); // 800 * 1 + 1200 * 0.5
        QCOMPARE(LabelText(calc, "Label11"), QStringLiteral("   1400"));
    }

    void totalsLabels() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers) +
                            "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES"
                            " (1, 1, 1, 100), (1, 1, 2, 50.25), (1, 1, 3, 0);"
                            "INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 1), (2, 0.5);");
        // The stored results are the test's own: the calculator is not
        // shown, which would work them out from the composition.
        f.ProgramFixture::start();
        CalculatorWindow& calc = f.calc();
        QLineEdit* strengthBox = Child<QLineEdit>(calc, QStringLiteral("Edit2"));
        QVERIFY(strengthBox);
        QVERIFY(calc.runGuarded([&calc] { calc.solution().figures(); }));
        QCOMPARE(LabelText(calc, "Label4"), Shown(QStringLiteral("   150.25")));
        QCOMPARE(LabelText(calc, "Label10"), QStringLiteral("   1400"));
        QCOMPARE(LabelText(calc, "Label11"), QStringLiteral("   1400"));

        strengthBox->setText(QStringLiteral("50"));
        QCOMPARE(LabelText(calc, "Label11"), QStringLiteral("   700"));
        QCOMPARE(LabelText(calc, "Label13"), Shown(QStringLiteral("   75.13"))); // 75.125 rounded half up

        QVERIFY(calc.runGuarded([&calc] { calc.solution().figures(); }));
        QCOMPARE(LabelText(calc, "Label4"), Shown(QStringLiteral("   150.25")));

        // A strip whose option is off shows 0 in each of its labels.
        DataSet& options = f.data().options;
        options.edit();
        options.fieldByName(QStringLiteral("ppm1"))->setAsBoolean(false);
        options.post();
        QVERIFY(calc.runGuarded([&calc] { calc.solution().figures(); }));
        for (const char* label : {"Label4", "Label5", "Label9", "Label13"})
            QCOMPARE(LabelText(calc, label), QStringLiteral("   0"));
        QCOMPARE(LabelText(calc, "Label10"), QStringLiteral("   1400"));
    }

    // At 100 % the calculated fields repeat the stored values; at 50 % every
    // one is halved before the targets are rounded to two decimals.
    void strengthScalesTheCalculatedFields() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers) +
                            "INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES (100.456, 33.333, 1, 1);");
        f.start();
        CalculatorWindow& calc = f.calc();
        QSlider* slider = Child<QSlider>(calc, QStringLiteral("RxSlider1"));
        QVERIFY(slider);
        QGroupBox* strengthGroup = Child<QGroupBox>(calc, QStringLiteral("GroupStrength"));
        QVERIFY(strengthGroup);
        AddLine(f.data(), 1, 1.5);
        QVERIFY(Calculate(calc));
        QCOMPARE(calc.cropPane()->strength(), 100);
        QCOMPARE(f.target(kN, "rachet"), 225.0);
        QCOMPARE(f.target(kN, "r_pr"), 225.0);
        QCOMPARE(f.target(kN, "vaga_calc"), 100.46);
        QCOMPARE(f.target(kN, "cvet_calc"), 33.33);
        f.data().composition.first();
        QCOMPARE(f.data().composition.fieldByName(QStringLiteral("kol_pr"))->asFloat(), 1.5);

        // Through the slider: the box, the caption and every shown value follow.
        slider->setValue(50);
        QCOMPARE(calc.cropPane()->strength(), 50);
        QCOMPARE(calc.cropPane()->strengthText(), QStringLiteral("50"));
        QCOMPARE(strengthGroup->title(), QStringLiteral("Концентрация 50 %"));
        QCOMPARE(f.target(kN, "r_pr"), 112.5);
        QCOMPARE(f.target(kN, "vaga_calc"), 50.23); // 50.228
        QCOMPARE(f.target(kN, "cvet_calc"), 16.67); // 16.6665 -> 16.67
        f.data().composition.first();
        QCOMPARE(f.data().composition.fieldByName(QStringLiteral("kol_pr"))->asFloat(), 0.75);
        QCOMPARE(LabelText(calc, "Label13"), Shown(QStringLiteral("   112.5")));
        QCOMPARE(LabelText(calc, "Label5"), Shown(QStringLiteral("   50.23")));
        // The stored result and the amount are the solution as composed.
        QCOMPARE(f.result(kN), 225.0);
        QCOMPARE(f.amounts(), std::vector<double>{1.5});
        QVERIFY(f.errors().isEmpty());
    }

    void strengthBoxAndItsErrors() {
        CalculatorFixture f;
        f.start();
        CalculatorWindow& calc = f.calc();
        QLineEdit* strengthBox = Child<QLineEdit>(calc, QStringLiteral("Edit2"));
        QVERIFY(strengthBox);
        QGroupBox* strengthGroup = Child<QGroupBox>(calc, QStringLiteral("GroupStrength"));
        QVERIFY(strengthGroup);
        strengthBox->setText(QStringLiteral("60"));
        QCOMPARE(calc.cropPane()->strength(), 60);
        QCOMPARE(strengthGroup->title(), QStringLiteral("Концентрация 60 %"));
        // Clamped to the range; the box then shows what the slider holds.
        strengthBox->setText(QStringLiteral("300"));
        QCOMPARE(calc.cropPane()->strength(), 250);
        QCOMPARE(calc.cropPane()->strengthText(), QStringLiteral("250"));
        // Not a number: the standard conversion error, the slider keeps its value.
        strengthBox->setText(QStringLiteral("6x"));
        QCOMPARE(calc.cropPane()->strength(), 250);
        QCOMPARE(f.errors(), QStringList{QStringLiteral("'6x' is not a valid integer value")});
        strengthBox->setText(QString());
        QCOMPARE(calc.cropPane()->strength(), 250);
        QCOMPARE(f.errors().size(), 1);
    }

    // The options' maximum: lowering it below the strength moves the
    // strength (and the totals); raising it again leaves the strength.
    void strengthMaximum() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers) +
                            "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (10, 1, 1, 200);");
        f.ProgramFixture::start(); // the stored result stays: the calculator is not shown
        CalculatorWindow& calc = f.calc();
        QSlider* slider = Child<QSlider>(calc, QStringLiteral("RxSlider1"));
        QVERIFY(slider);
        QGroupBox* strengthGroup = Child<QGroupBox>(calc, QStringLiteral("GroupStrength"));
        QVERIFY(strengthGroup);
        QCOMPARE(slider->maximum(), 250);
        QVERIFY(calc.runGuarded([&calc] { calc.cropPane()->setStrengthMaximum(80); }));
        QCOMPARE(calc.cropPane()->strength(), 80);
        QCOMPARE(slider->maximum(), 80);
        QCOMPARE(calc.cropPane()->strengthText(), QStringLiteral("80"));
        QCOMPARE(strengthGroup->title(), QStringLiteral("Концентрация 80 %"));
        QCOMPARE(LabelText(calc, "Label13"), QStringLiteral("   160"));
        QCOMPARE(f.target(kN, "r_pr"), 160.0);

        QVERIFY(calc.runGuarded([&calc] { calc.cropPane()->setStrengthMaximum(250); }));
        QCOMPARE(calc.cropPane()->strength(), 80);
        QCOMPARE(slider->maximum(), 250);

        // The same through the options record.
        DataSet& options = f.data().options;
        const auto setMaxim = [&](int maxim) {
            options.edit();
            options.fieldByName(QStringLiteral("maxim"))->setAsInteger(maxim);
            options.post();
            return calc.runGuarded([&f] { f.program().ApplyOptions(); });
        };
        QVERIFY(calc.runGuarded([&calc] { calc.cropPane()->setStrengthMaximum(250); }));
        QVERIFY(setMaxim(50));
        QCOMPARE(calc.cropPane()->strength(), 50);
        QCOMPARE(LabelText(calc, "Label13"), QStringLiteral("   100"));
        QVERIFY(setMaxim(250));
        QCOMPARE(calc.cropPane()->strength(), 50);
        QCOMPARE(slider->maximum(), 250);

        // A maximum not above the minimum changes nothing.
        QVERIFY(calc.runGuarded([&calc] { calc.cropPane()->setStrengthMaximum(0); }));
        QCOMPARE(slider->maximum(), 250);
        QCOMPARE(calc.cropPane()->strength(), 50);
    }
};

QTEST_MAIN(ConcentrationTest)
#include "test_concentration.moc"
