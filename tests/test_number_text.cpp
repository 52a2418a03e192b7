// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/number_spin_box.h"
#include "core/error.h"
#include "core/number_text.h"

#include <QLocale>
#include <QtTest>
#include <cmath>

using namespace solvane;

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);

// Whether the default locale is the growers' (the suite runs under ru_RU.UTF-8
// and once more under C).
bool RussianByDefault() {
    return QLocale().decimalPoint() == QStringLiteral(",");
}

QString Read(const QString& text, const QLocale& locale) {
    double v = 0;
    return TryParseFloat(text, v, locale) ? QString::number(v, 'g', 17) : QStringLiteral("refused");
}

} // namespace

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void formatsShortestFixedForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << 15 << "0";
        QTest::newRow("integer") << 1400.0 << 15 << "1400";
        QTest::newRow("fraction") << 150.25 << 15 << "150.25";
        QTest::newRow("sum rounding noise") << 0.1 + 0.2 << 15 << "0.3";
        QTest::newRow("negative") << -0.356 << 15 << "-0.356";
        QTest::newRow("smallest fixed") << 0.00001 << 15 << "0.00001";
        QTest::newRow("15 integer digits") << 123456789012345.0 << 15 << "123456789012345";
        QTest::newRow("below fixed range") << 0.0000015 << 15 << "1.5E-6";
        QTest::newRow("16 integer digits") << 1234567890123456.0 << 15 << "1.23456789012346E15";
        QTest::newRow("huge") << 1e20 << 15 << "1E20";
        QTest::newRow("negative tiny") << -2.5e-10 << 15 << "-2.5E-10";
        QTest::newRow("one third") << 1.0 / 3.0 << 15 << "0.333333333333333";
        QTest::newRow("4 digits, small") << 0.000126 << 4 << "0.000126";
        QTest::newRow("4 digits, fraction") << 0.50734 << 4 << "0.5073";
        QTest::newRow("4 digits, tens") << 12.3456 << 4 << "12.35";
        QTest::newRow("4 digits, carry") << 9.99996 << 4 << "10";
    }
    // Written with the default locale's separator, whatever the C library's is.
    void formatsShortestFixedForm() {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value, digits), text.replace(QLatin1Char('.'), QLocale().decimalPoint()));
    }

    // A measured value shows every decimal asked for, rounded half away
    // from zero, and no "-0".
    void formatsFixedDecimals() {
        const QString sep = QLocale().decimalPoint();
        const std::pair<double, const char*> cases[] = {{0.4, "0.40"},          {2.125, "2.13"}, {0.449999, "0.45"},
                                                        {-0.001, "0.00"},       {3.0, "3.00"},   {-1.006, "-1.01"},
                                                        {12345.678, "12345.68"}};
        for (const auto& [value, text] : cases)
            QCOMPARE(FormatDecimals(value, 2), QString::fromLatin1(text).replace(QLatin1Char('.'), sep));
        QCOMPARE(FormatDecimals(2.5, 0), QStringLiteral("3"));
    }

    // What a grower may type, read under ru_RU and under C; the default
    // locale reads as its own column says.
    void readsTypedNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("c");
        const QString refused = QStringLiteral("refused");
        QTest::newRow("comma") << "0,5"
                               << "0.5" << refused;
        QTest::newRow("dot") << "0.5"
                             << "0.5"
                             << "0.5";
        QTest::newRow("space group") << "1 000,5"
                                     << "1000.5" << refused;
        QTest::newRow("no-break space group") << QStringLiteral("1\u00A0000,5") << "1000.5" << refused;
        QTest::newRow("narrow no-break space group") << QStringLiteral("1\u202F000,5") << "1000.5" << refused;
        QTest::newRow("comma group") << "1,000.5" << refused << "1000.5";
        QTest::newRow("exponent") << "1e3"
                                  << "1000"
                                  << "1000";
        QTest::newRow("negative exponent") << "1E-3"
                                           << "0.001"
                                           << "0.001";
        QTest::newRow("trailing comma") << "1,"
                                        << "1" << refused;
        QTest::newRow("trailing dot") << "1."
                                      << "1"
                                      << "1";
        QTest::newRow("leading separator") << ",5"
                                           << "0.5" << refused;
        QTest::newRow("negative") << "-1"
                                  << "-1"
                                  << "-1";
        QTest::newRow("blanks around") << " 2,5 "
                                       << "2.5" << refused;
        QTest::newRow("empty") << "" << refused << refused;
        QTest::newRow("letters") << "abc" << refused << refused;
        QTest::newRow("separator alone") << "," << refused << refused;
        QTest::newRow("two separators") << "1,2,3" << refused << refused;
        QTest::newRow("bad groups") << "10 00" << refused << refused;
        QTest::newRow("nan") << "nan" << refused << refused;
        QTest::newRow("inf") << "inf" << refused << refused;
        QTest::newRow("too large") << "1e400" << refused << refused;
        QTest::newRow("exponent alone") << "e5" << refused << refused;
        QTest::newRow("exponent unfinished") << "1e" << refused << refused;
    }
    void readsTypedNumbers() {
        QFETCH(QString, typed);
        QFETCH(QString, russian);
        QFETCH(QString, c);
        QCOMPARE(Read(typed, kRussian), russian);
        QCOMPARE(Read(typed, QLocale::c()), c);
        QCOMPARE(Read(typed, QLocale()), RussianByDefault() ? russian : c);
        // What more typing can complete is let through by the editors.
        if (Read(typed, QLocale()) != QLatin1String("refused"))
            QVERIFY(MayBecomeNumber(typed));
    }

    void letsThroughOnlyWhatCanBecomeANumber() {
        for (const char* start : {"-", "+", "1e", "1e-", "."})
            QVERIFY2(MayBecomeNumber(QString::fromLatin1(start)), start);
        // Thousands grouped with a space under ru_RU, with a comma under C.
        const QString group = RussianByDefault() ? QStringLiteral(" ") : QStringLiteral(",");
        QVERIFY(MayBecomeNumber(QStringLiteral("1") + group));
        QVERIFY(MayBecomeNumber(QStringLiteral("1") + group + QStringLiteral("0")));
        for (const char* never : {"a", "5a", "1,2,", "1..", "--", "1e5e"})
            QVERIFY2(!MayBecomeNumber(QString::fromLatin1(never)), never);
    }

    void parsingErrorsNameTheText() {
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

    // The refusal names the range with the one formatter.
    void refusalsNameTheRange() {
        const NumberLimits targets{0, 100000, QStringLiteral("мг/л")};
        QCOMPARE(RefusalOf(QStringLiteral("-1"), targets, true), QStringLiteral("Допустимо от 0 до 100000 мг/л."));
        QCOMPARE(RefusalOf(QStringLiteral("1e308"), targets, true), targets.refusal());
        QCOMPARE(RefusalOf(QString(), targets, true), QString());
        QCOMPARE(RefusalOf(QString(), targets, false), QStringLiteral("Введите число. ") + targets.refusal());
        QCOMPARE(RefusalOf(QStringLiteral("1e"), targets, true),
                 QStringLiteral("«1e» — не число. ") + targets.refusal());
        const NumberLimits content{0.0001, 100, QStringLiteral("%")};
        QCOMPARE(content.refusal(), QStringLiteral("Допустимо от %1 до 100 %.").arg(FormatNumber(0.0001)));
        const NumberLimits times{2, 1000, QString(), true};
        QCOMPARE(RefusalOf(QStringLiteral("2.5"), times, false), QStringLiteral("Допустимо целое число от 2 до 1000."));
    }

    // A dot typed into a spin editor is a decimal point, under either locale.
    void aTypedDotIsADecimalPoint() {
        NumberSpinBox box;
        box.setLimits(0, 1000);
        box.show();
        box.selectAll();
        QTest::keyClicks(&box, QStringLiteral("12.5"));
        QCOMPARE(box.number().toDouble(), 12.5);
        if (RussianByDefault()) {
            box.selectAll();
            QTest::keyClicks(&box, QStringLiteral("0,06"));
            QCOMPARE(box.number().toDouble(), 0.06);
        }
    }
};

QTEST_MAIN(NumberTextTest)
#include "test_number_text.moc"
