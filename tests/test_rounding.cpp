// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rounding.h"

#include <QtTest>
#include <cmath>

using namespace solvane;

class RoundingTest : public QObject {
    Q_OBJECT
private slots:
    void roundsByScalingAndTruncating_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("places");
        QTest::addColumn<double>("expected");
        QTest::newRow("half up") << 0.125 << 2 << 0.13;
        QTest::newRow("four places") << 1.23456 << 4 << 1.2346;
        QTest::newRow("negative half toward zero") << -0.125 << 2 << -0.12;
        QTest::newRow("negative not symmetric") << -1.234 << 2 << -1.22;
        QTest::newRow("small negative to zero") << -0.004 << 2 << 0.0;
        QTest::newRow("negative fitted amount") << -3.5654 << 2 << -3.56;
        // The stored double decides, not the decimal text.
        QTest::newRow("stored below the half") << 2.675 << 2 << 2.67;
        QTest::newRow("stored below the half, to 1") << 1.005 << 2 << 1.0;
        QTest::newRow("stored above the half") << 2.345 << 2 << 2.35;
        QTest::newRow("no places") << 2.5 << 0 << 3.0;
        QTest::newRow("more than four places") << 1.2345675 << 6 << 1.234568;
        QTest::newRow("seven places") << 0.000000151 << 7 << 0.0000002;
        QTest::newRow("negative places act as none") << 2.5 << -1 << 3.0;
        QTest::newRow("negative places, below half") << 7.49 << -3 << 7.0;
        QTest::newRow("fitted target") << 12.903225806451612 << 2 << 12.9;
    }
    void roundsByScalingAndTruncating() {
        QFETCH(double, value);
        QFETCH(int, places);
        QFETCH(double, expected);
        const double got = RoundToDecimals(value, places);
        QCOMPARE(got, expected);
    }

    // A negative value that truncates to zero gives a plain 0, never "-0".
    void zeroHasNoSign() {
        QVERIFY(!std::signbit(RoundToDecimals(-0.004, 2)));
        QVERIFY(!std::signbit(RoundToDecimals(-0.7, 0)));
    }

    // A value that already has the places comes back unchanged: the
    // extended-precision division must not leave a neighbouring double.
    void keepsValuesThatAlreadyHaveThePlaces() {
        for (int places = 0; places <= 4; ++places) {
            const double scale = std::pow(10.0, places);
            for (long k = 0; k <= 200000; k += 7) {
                const double value = static_cast<double>(k) / scale;
                if (RoundToDecimals(value, places) != value)
                    QFAIL(qPrintable(QStringLiteral("%1 to %2 places").arg(value, 0, 'g', 17).arg(places)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(RoundingTest)
#include "test_rounding.moc"
