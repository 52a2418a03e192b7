#include "windows/directories/converter_form.h"
#include "windows/directories/fertilizer_form.h"
#include "directories_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace solvane;
using solvane::test::DirectorySession;
using solvane::test::Shown;

class ConverterTest : public QObject {
    Q_OBJECT

    // Types the amount anew, as a user replacing the box's text.
    static void typeAmount(TF_Converter& c, const QString& text) {
        c.Edit1->selectAll();
        if (text.isEmpty())
            QTest::keyClick(c.Edit1, Qt::Key_Delete);
        else
            solvane::test::TypeText(c.Edit1, text);
    }

private slots:

    void theStartingStateAndTheFrame() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        QCOMPARE(c.windowTitle(), QStringLiteral("Конвертер"));
        QCOMPARE(c.minimumSize(), c.maximumSize());
        QVERIFY(!(c.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(c.Edit1->text(), QStringLiteral("0"));
        QCOMPARE(c.Label4->text(), QStringLiteral("0  "));
        QStringList units;
        for (int i = 0; i < c.ComboBox1->count(); ++i)
            units << c.ComboBox1->itemText(i);
        QCOMPARE(units, (QStringList{"мг./л.", "г./л.", "мл./л.", "мг./дм3", "г./дм3", "мл./дм3"}));
        QCOMPARE(c.ComboBox1->currentIndex(), 1);
        QVERIFY(c.ComboBox1->isEditable());
    }

    void convertsAnAmountInEachUnit() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        c.show();
        typeAmount(c, QStringLiteral("5"));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
        c.ComboBox1->setCurrentIndex(0);
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.0005  ")));

        typeAmount(c, QStringLiteral("2500"));
        const QStringList expected = Shown(QStringList{"0.25  ", "250  ", "250  ", "0.25  ", "250  ", "250  "});
        for (int unit = 0; unit < 6; ++unit) {
            c.ComboBox1->setCurrentIndex(unit);
            QCOMPARE(c.Label4->text(), expected.at(unit));
        }
        c.Edit1->setText(QStringLiteral("-3"));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("-0.3  ")));
        typeAmount(c, QStringLiteral("0.00001"));
        QCOMPARE(c.Label4->text(), QStringLiteral("1E-6  "));
        QVERIFY(s.errors().isEmpty());
    }

    void anEmptyAmountShowsZeroDifferentlyForEachKindOfChange() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        typeAmount(c, QStringLiteral("5"));
        typeAmount(c, QString());
        QCOMPARE(c.Edit1->text(), QString());
        QCOMPARE(c.Label4->text(), QStringLiteral("0"));
        c.ComboBox1->setCurrentIndex(3);
        QCOMPARE(c.Label4->text(), QStringLiteral("0  "));
        QVERIFY(s.errors().isEmpty());
    }

    void aTypedUnitThatIsNoItemChangesNothing() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        typeAmount(c, QStringLiteral("5"));
        c.ComboBox1->lineEdit()->selectAll();
        solvane::test::TypeText(c.ComboBox1->lineEdit(), QStringLiteral("кг"));
        QCOMPARE(c.ComboBox1->currentText(), QStringLiteral("кг"));
        QCOMPARE(c.unitPosition(), -1);
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
        QCOMPARE(c.ComboBox1->count(), 6);
        // Nor does a new amount while the unit is unknown.
        typeAmount(c, QStringLiteral("7x"));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
        QVERIFY(s.errors().isEmpty());
        // Typing an item's text exactly is choosing it.
        typeAmount(c, QStringLiteral("7"));
        c.ComboBox1->lineEdit()->selectAll();
        solvane::test::TypeText(c.ComboBox1->lineEdit(), QStringLiteral("мг./дм3"));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.0007  ")));
    }

    void aLetterIsReportedOncePerChangeAndKeepsTheResult() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        typeAmount(c, QStringLiteral("5"));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
        solvane::test::TypeText(c.Edit1, QStringLiteral("a"));
        QCOMPARE(s.errors(), (QStringList{"'5a' is not a valid floating point value"}));
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
        solvane::test::TypeText(c.Edit1, QStringLiteral("b"));
        QCOMPARE(s.errors().size(), 2);
        QCOMPARE(s.errors().last(), QStringLiteral("'5ab' is not a valid floating point value"));
        c.ComboBox1->setCurrentIndex(0);
        QCOMPARE(s.errors().size(), 3);
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.5  ")));
    }

    void theSystemsDecimalSeparatorIsReadAndWritten() {
        DirectorySession s;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        TF_Converter& c = *s.p().F_Converter;
        typeAmount(c, QStringLiteral("2,5"));
        QCOMPARE(c.Label4->text(), QStringLiteral("0,25  "));
        typeAmount(c, QStringLiteral("12345"));
        QCOMPARE(c.Label4->text(), QStringLiteral("1234,5  ")); // no thousands separator
        // A dot is a decimal point too, and a trailing separator reads as none.
        c.Edit1->setText(QStringLiteral("2.5"));
        QCOMPARE(c.Label4->text(), QStringLiteral("0,25  "));
        typeAmount(c, QStringLiteral("1,5"));
        QCOMPARE(c.Label4->text(), QStringLiteral("0,15  "));
        QVERIFY(s.errors().isEmpty());
    }

    // The result shows whole, up to fifteen significant digits with a minus
    // sign and an exponent; its caption gives way, with its text as a hint.
    void theWholeResultShows() {
        DirectorySession s;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        TF_Converter& c = *s.p().F_Converter;
        c.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QString caption = QStringLiteral("  Процентное содержание:");
        const struct {
            const char* amount;
            int unit;
            const char* result;
        } cases[] = {{"5", 1, "0,5  "},
                     {"0,0012345678901234", 1, "0,00012345678901234  "},
                     {"-0,000123456789012345", 1, "-0,0000123456789012345  "},
                     {"-1,23456789012345E-299", 1, "-1,23456789012345E-300  "},
                     {"-123456789012345", 0, "-12345678901,2345  "}};
        for (const auto& one : cases) {
            c.ComboBox1->setCurrentIndex(one.unit);
            c.Edit1->setText(QString::fromUtf8(one.amount)); // pasted
            QCOMPARE(c.Label4->text(), QString::fromUtf8(one.result));
            QApplication::processEvents();
            const QRect shown = c.Label4->contentsRect();
            QVERIFY2(shown.width() >= c.Label4->fontMetrics().horizontalAdvance(c.Label4->text()), one.result);
            QVERIFY(c.rect().contains(QRect(c.Label4->mapTo(&c, shown.topLeft()), shown.size())));
            QCOMPARE(c.Label3->text(), caption);
            const bool cut = c.Label3->fontMetrics().horizontalAdvance(caption) > c.Label3->contentsRect().width();
            QCOMPARE(c.Label3->toolTip(), cut ? caption : QString());
            QVERIFY(c.Label3->geometry().right() < c.Label4->geometry().left());
        }
        // A short result leaves the caption whole.
        typeAmount(c, QStringLiteral("5"));
        QApplication::processEvents();
        QVERIFY(c.Label3->toolTip().isEmpty());
        QCOMPARE(s.errors(), QStringList());
        const QString folder = qEnvironmentVariable("SOLVANE_SCREENSHOTS");
        if (!folder.isEmpty()) {
            c.ComboBox1->setCurrentIndex(1);
            c.Edit1->setText(QStringLiteral("-0,000123456789012345"));
            QApplication::processEvents();
            QVERIFY(c.grab().save(QDir(folder).filePath(QStringLiteral("converter_long_result.png"))));
        }
    }

    void closingOnlyHidesAndTheFertilizerDirectoryShowsIt() {
        DirectorySession s;
        TF_Converter& c = *s.p().F_Converter;
        TForm2& fertilizers = *s.p().Form2;
        fertilizers.show();
        QCOMPARE(fertilizers.Button1->text(), QStringLiteral("КОНВЕРТЕР"));
        QTest::mouseClick(fertilizers.Button1, Qt::LeftButton);
        QVERIFY(c.isVisible());
        typeAmount(c, QStringLiteral("8"));
        c.ComboBox1->setCurrentIndex(5);
        QVERIFY(c.close());
        QVERIFY(!c.isVisible());
        QTest::mouseClick(fertilizers.Button1, Qt::LeftButton);
        QVERIFY(c.isVisible());
        QCOMPARE(c.Edit1->text(), QStringLiteral("8"));
        QCOMPARE(c.ComboBox1->currentIndex(), 5);
        QCOMPARE(c.Label4->text(), Shown(QStringLiteral("0.8  ")));
        const QRect screen = c.screen()->availableGeometry();
        QVERIFY(qAbs(c.frameGeometry().center().y() - screen.center().y()) <= 1);
        QVERIFY(s.errors().isEmpty());
    }
};

QTEST_MAIN(ConverterTest)
#include "test_converter.moc"
