// SPDX-License-Identifier: GPL-3.0-or-later
#include "directories_fixture.h"
#include "windows/directories/converter_window.h"
#include "windows/directories/fertilizer_directory.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace solvane;
using solvane::test::Child;
using solvane::test::DirectorySession;
using solvane::test::Shown;

namespace {

// The converter's boxes and labels, found by their object names.
struct Converter {
    explicit Converter(ConverterWindow& window)
        : window(window), amount(Child<QLineEdit>(window, QStringLiteral("Edit1"))),
          unit(Child<QComboBox>(window, QStringLiteral("ComboBox1"))),
          caption(Child<QLabel>(window, QStringLiteral("Label3"))),
          result(Child<QLabel>(window, QStringLiteral("Label4"))) {}
    bool found() const { return amount && unit && caption && result && unit->lineEdit(); }

    // Types the amount anew, as a user replacing the box's text.
    void typeAmount(const QString& text) const {
        amount->selectAll();
        if (text.isEmpty())
            QTest::keyClick(amount, Qt::Key_Delete);
        else
            solvane::test::TypeText(amount, text);
    }

    ConverterWindow& window;
    QLineEdit* amount;
    QComboBox* unit;
    QLabel* caption;
    QLabel* result;
};

} // namespace

class ConverterTest : public QObject {
    Q_OBJECT

private slots:

    void theStartingStateAndTheFrame() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        QCOMPARE(c.window.windowTitle(), QStringLiteral("Конвертер"));
        QCOMPARE(c.window.minimumSize(), c.window.maximumSize());
        QVERIFY(!(c.window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(c.amount->text(), QStringLiteral("0"));
        QCOMPARE(c.result->text(), QStringLiteral("0  "));
        QStringList units;
        for (int i = 0; i < c.unit->count(); ++i)
            units << c.unit->itemText(i);
        QCOMPARE(units, (QStringList{"мг./л.", "г./л.", "мл./л.", "мг./дм3", "г./дм3", "мл./дм3"}));
        QCOMPARE(c.unit->currentIndex(), 1);
        QVERIFY(c.unit->isEditable());
    }

    void convertsAnAmountInEachUnit() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.window.show();
        c.typeAmount(QStringLiteral("5"));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
        c.unit->setCurrentIndex(0);
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.0005  ")));

        c.typeAmount(QStringLiteral("2500"));
        const QStringList expected = Shown(QStringList{"0.25  ", "250  ", "250  ", "0.25  ", "250  ", "250  "});
        for (int unit = 0; unit < 6; ++unit) {
            c.unit->setCurrentIndex(unit);
            QCOMPARE(c.result->text(), expected.at(unit));
        }
        c.amount->setText(QStringLiteral("-3"));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("-0.3  ")));
        c.typeAmount(QStringLiteral("0.00001"));
        QCOMPARE(c.result->text(), QStringLiteral("1E-6  "));
        QVERIFY(s.errors().isEmpty());
    }

    void anEmptyAmountShowsZeroDifferentlyForEachKindOfChange() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.typeAmount(QStringLiteral("5"));
        c.typeAmount(QString());
        QCOMPARE(c.amount->text(), QString());
        QCOMPARE(c.result->text(), QStringLiteral("0"));
        c.unit->setCurrentIndex(3);
        QCOMPARE(c.result->text(), QStringLiteral("0  "));
        QVERIFY(s.errors().isEmpty());
    }

    void aTypedUnitThatIsNoItemChangesNothing() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.typeAmount(QStringLiteral("5"));
        c.unit->lineEdit()->selectAll();
        solvane::test::TypeText(c.unit->lineEdit(), QStringLiteral("кг"));
        QCOMPARE(c.unit->currentText(), QStringLiteral("кг"));
        QCOMPARE(c.window.unitPosition(), -1);
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
        QCOMPARE(c.unit->count(), 6);
        // Nor does a new amount while the unit is unknown.
        c.typeAmount(QStringLiteral("7x"));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
        QVERIFY(s.errors().isEmpty());
        // Typing an item's text exactly is choosing it.
        c.typeAmount(QStringLiteral("7"));
        c.unit->lineEdit()->selectAll();
        solvane::test::TypeText(c.unit->lineEdit(), QStringLiteral("мг./дм3"));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.0007  ")));
    }

    void aLetterIsReportedOncePerChangeAndKeepsTheResult() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.typeAmount(QStringLiteral("5"));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
        solvane::test::TypeText(c.amount, QStringLiteral("a"));
        QCOMPARE(s.errors(), (QStringList{"'5a' is not a valid floating point value"}));
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
        solvane::test::TypeText(c.amount, QStringLiteral("b"));
        QCOMPARE(s.errors().size(), 2);
        QCOMPARE(s.errors().last(), QStringLiteral("'5ab' is not a valid floating point value"));
        c.unit->setCurrentIndex(0);
        QCOMPARE(s.errors().size(), 3);
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.5  ")));
    }

    void theSystemsDecimalSeparatorIsReadAndWritten() {
        DirectorySession s;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.typeAmount(QStringLiteral("2,5"));
        QCOMPARE(c.result->text(), QStringLiteral("0,25  "));
        c.typeAmount(QStringLiteral("12345"));
        QCOMPARE(c.result->text(), QStringLiteral("1234,5  ")); // no thousands separator
        // A dot is a decimal point too, and a trailing separator reads as none.
        c.amount->setText(QStringLiteral("2.5"));
        QCOMPARE(c.result->text(), QStringLiteral("0,25  "));
        c.typeAmount(QStringLiteral("1,5"));
        QCOMPARE(c.result->text(), QStringLiteral("0,15  "));
        QVERIFY(s.errors().isEmpty());
    }

    // The result shows whole, up to fifteen significant digits with a minus
    // sign and an exponent; its caption gives way, with its text as a hint.
    void theWholeResultShows() {
        DirectorySession s;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        c.window.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&c.window));
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
            c.unit->setCurrentIndex(one.unit);
            c.amount->setText(QString::fromUtf8(one.amount)); // pasted
            QCOMPARE(c.result->text(), QString::fromUtf8(one.result));
            QApplication::processEvents();
            const QRect shown = c.result->contentsRect();
            QVERIFY2(shown.width() >= c.result->fontMetrics().horizontalAdvance(c.result->text()), one.result);
            QVERIFY(c.window.rect().contains(QRect(c.result->mapTo(&c.window, shown.topLeft()), shown.size())));
            QCOMPARE(c.caption->text(), caption);
            const bool cut = c.caption->fontMetrics().horizontalAdvance(caption) > c.caption->contentsRect().width();
            QCOMPARE(c.caption->toolTip(), cut ? caption : QString());
            QVERIFY(c.caption->geometry().right() < c.result->geometry().left());
        }
        // A short result leaves the caption whole.
        c.typeAmount(QStringLiteral("5"));
        QApplication::processEvents();
        QVERIFY(c.caption->toolTip().isEmpty());
        QCOMPARE(s.errors(), QStringList());
    }

    void closingOnlyHidesAndTheFertilizerDirectoryShowsIt() {
        DirectorySession s;
        const Converter c(s.p().converter());
        QVERIFY(c.found());
        FertilizerDirectory& fertilizers = s.p().fertilizerDirectory();
        auto* converterButton = Child<QPushButton>(fertilizers, QStringLiteral("Button1"));
        QVERIFY(converterButton);
        fertilizers.show();
        QCOMPARE(converterButton->text(), QStringLiteral("КОНВЕРТЕР"));
        QTest::mouseClick(converterButton, Qt::LeftButton);
        QVERIFY(c.window.isVisible());
        c.typeAmount(QStringLiteral("8"));
        c.unit->setCurrentIndex(5);
        QVERIFY(c.window.close());
        QVERIFY(!c.window.isVisible());
        QTest::mouseClick(converterButton, Qt::LeftButton);
        QVERIFY(c.window.isVisible());
        QCOMPARE(c.amount->text(), QStringLiteral("8"));
        QCOMPARE(c.unit->currentIndex(), 5);
        QCOMPARE(c.result->text(), Shown(QStringLiteral("0.8  ")));
        const QRect screen = c.window.screen()->availableGeometry();
        QVERIFY(qAbs(c.window.frameGeometry().center().y() - screen.center().y()) <= 1);
        QVERIFY(s.errors().isEmpty());
    }
};

QTEST_MAIN(ConverterTest)
#include "test_converter.moc"
