#include "store/error.h"
#include "store/number_text.h"

#include <QLocale>
#include <QtTest>

using namespace solvane;

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void formatsShortestFixedForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("integer") << 1400.0 << "1400";
        QTest::newRow("fraction") << 150.25 << "150.25";
        QTest::newRow("sum rounding noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("negative") << -0.356 << "-0.356";
        QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
        QTest::newRow("15 integer digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("below fixed range") << 0.0000015 << "1.5E-6";
        QTest::newRow("16 integer digits") << 1234567890123456.0 << "1.23456789012346E15";
        QTest::newRow("huge") << 1e20 << "1E20";
        QTest::newRow("negative tiny") << -2.5e-10 << "-2.5E-10";
        QTest::newRow("one third") << 1.0 / 3.0 << "0.333333333333333";
    }
    void formatsShortestFixedForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value), text);
    }

    void usesTheLocaleSeparator() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(FormatNumber(0.5), QStringLiteral("0,5"));
        QCOMPARE(FormatNumber(1.5e-6), QStringLiteral("1,5E-6"));
        QCOMPARE(ParseFloat(QStringLiteral("2,5")), 2.5);
        QVERIFY_THROWS_EXCEPTION(Error, ParseFloat(QStringLiteral("2.5")));
    }

    void parsesFloats() {
        QCOMPARE(ParseFloat(QStringLiteral("5")), 5.0);
        QCOMPARE(ParseFloat(QStringLiteral(" -2.5e3 ")), -2500.0);
        QCOMPARE(ParseFloat(QStringLiteral(".5")), 0.5);
        for (const char* bad : {"", "a", "5a", "1.2.3", "e5", "--1", "1e", "+"}) {
            try {
                ParseFloat(QString::fromLatin1(bad));
                QFAIL(bad);
            } catch (const Error& e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid floating point value").arg(bad));
            }
        }
    }

    void parsesIntegers() {
        QCOMPARE(ParseInteger(QStringLiteral("1234")), 1234);
        QCOMPARE(ParseInteger(QStringLiteral("-123")), -123);
        QCOMPARE(ParseInteger(QStringLiteral("  +7")), 7);
        QCOMPARE(ParseInteger(QStringLiteral("-2147483648")), -2147483647 - 1);
        for (const char* bad : {"", "-", "1 ", "12a", "2147483648", "1.5"}) {
            try {
                ParseInteger(QString::fromLatin1(bad));
                QFAIL(bad);
            } catch (const Error& e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(bad));
            }
        }
    }
};

QTEST_GUILESS_MAIN(NumberTextTest)
#include "test_number_text.moc"
