// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers typed as a grower types them, into every editable numeric field of
// the real windows, under the suite's locale: what is stored, what is shown,
// and the one box that refuses a value out of range once the edit ends.

#include "app/program.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/number_spin_box.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "directories_fixture.h"
#include "large_screen.h"
#include "support/grid_typing.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/recalculation_timer.h"
#include "windows/calculator/stock_solutions_window.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/converter_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/directories/water_profiles_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

using namespace solvane;
using namespace solvane::test;

namespace {

// A composition line, a saved solution with one line, for the starter base's
// first crop and first fertilizer.
void AddSolutionRows(SqlFile& sql) {
    sql.exec(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (1, 0.7)"));
    sql.exec(QStringLiteral("INSERT INTO t_head_rar (name_rar, id_konc, kol_l, konc) VALUES ('Опыт', 1, 2, 100)"));
    sql.exec(QStringLiteral("INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 0.7, 1)"));
}

// One numeric field: how to open it for typing, and where to read what it
// stored and what it shows.
struct NumericField {
    QString name;
    NumberLimits limits;
    bool emptyAllowed;
    std::function<NumberSpinBox*()> open;
    std::function<QVariant()> stored;
    std::function<QString()> shown;
    // What leaving the row would do: the edit is posted; false when that failed.
    std::function<bool()> settle;
};

QString ShownNumber(const QVariant& value) {
    return value.isNull() ? QString() : FormatNumber(value.toDouble());
}

// Clicks one of the launcher's buttons; false when there is none.
bool ClickLauncher(Program& program, const char* button) {
    auto* b = Child<QPushButton>(program.launcher(), QString::fromLatin1(button));
    if (!b)
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

} // namespace

class TypingTest : public QObject {
    Q_OBJECT
private slots:
    void everyNumericFieldReadsRefusesAndShowsTheSameWay() {
        DirectorySession s(DirectorySession::Base::Starter, AddSolutionRows);
        Program& p = s.p();
        Database& data = s.data();
        CalculatorWindow& calc = p.calculator();
        FertilizerDirectory& fertilizers = p.fertilizerDirectory();
        QVERIFY(ClickLauncher(p, "RzButton2"));
        QVERIFY(ClickLauncher(p, "RzButton1"));
        ElementDirectory& elements = p.elementDirectory();
        QVERIFY(elements.runGuarded([&elements] { elements.openCoefficients(); }));
        auto* stockItem = Child<QAction>(calc, QStringLiteral("N11"));
        QVERIFY(stockItem);
        stockItem->trigger();
        StockSolutionsWindow& stock = p.stockSolutions();
        WaterProfilesWindow& water = p.waterProfiles();
        water.show();

        // The grids and boxes typed into, found by their object names.
        DBGrid* targetGrid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid3"));
        DBGrid* compositionGrid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid2"));
        DBGrid* savedLinesGrid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid4"));
        DBSpinBox* litresBox = Child<DBSpinBox>(calc, QStringLiteral("dxDBSpinEdit1"));
        DBGrid* contentGrid = Child<DBGrid>(fertilizers, QStringLiteral("dxDBGrid1"));
        DBGrid* listGrid = Child<DBGrid>(fertilizers, QStringLiteral("dxDBGrid2"));
        DBGrid* coefficientGrid = Child<DBGrid>(p.coefficientDirectory(), QStringLiteral("dxDBGrid1"));
        DBGrid* waterGrid = Child<DBGrid>(water, QStringLiteral("WaterProfilesGrid"));
        NumberSpinBox* volumeBox = Child<NumberSpinBox>(stock, QStringLiteral("Edit1"));
        NumberSpinBox* concentrationBox = Child<NumberSpinBox>(stock, QStringLiteral("SpinEdit1"));
        QTimer* timer = Child<QTimer>(calc, QStringLiteral("Timer1"));
        QVERIFY(targetGrid && compositionGrid && savedLinesGrid && litresBox && contentGrid && listGrid &&
                coefficientGrid && waterGrid && volumeBox && concentrationBox && timer);

        const auto cellOf = [](DBGrid& grid, int column) {
            return [&grid, column] { return grid.model()->index(0, column).data().toString(); };
        };
        const auto fileValue = [&s](const char* sql) {
            return [&s, sql] { return s.scalar(QString::fromLatin1(sql)); };
        };
        const auto posting = [&calc](DataSet& set) {
            return [&calc, &set] { return calc.runGuarded([&set] { set.checkBrowseMode(); }); };
        };

        const QVariant targetKey = data.targets.fieldByName(QStringLiteral("id_konc"))->value();
        const QVariant contentKey = data.fertilizerContent.fieldByName(QStringLiteral("id_sostav_udobra"))->value();
        const QVariant fertilizerKey = data.fertilizers.fieldByName(QStringLiteral("id_udobra"))->value();
        const QVariant coefficientKey = data.coefficients.fieldByName(QStringLiteral("id_kof"))->value();
        const QVariant waterKey = data.waterProfiles.fieldByName(QStringLiteral("id_water"))->value();
        const auto fertilizerValue = [&s, fertilizerKey](const char* column) {
            return [&s, fertilizerKey, column] {
                return s.scalar(
                    QStringLiteral("SELECT %1 FROM t_udobra WHERE id_udobra = ?").arg(QString::fromLatin1(column)),
                    {fertilizerKey});
            };
        };

        std::vector<NumericField> fields = {
            {QStringLiteral("target"), FieldLimits::Target(), true, [&] { return EditCell(*targetGrid, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT vega FROM t_konc WHERE id_konc = ?"), {targetKey}); },
             cellOf(*targetGrid, 1), posting(data.targets)},
            {QStringLiteral("amount"), FieldLimits::Amount(), true, [&] { return EditCell(*compositionGrid, 0, 1); },
             fileValue("SELECT kol FROM t_rachet"), cellOf(*compositionGrid, 1), posting(data.composition)},
            {QStringLiteral("saved amount"), FieldLimits::SavedAmount(), true,
             [&] { return EditCell(*savedLinesGrid, 0, 1); }, fileValue("SELECT kol FROM t_save_rar"),
             cellOf(*savedLinesGrid, 1), posting(data.savedLines)},
            {QStringLiteral("litres"), FieldLimits::Litres(), true,
             [&]() -> NumberSpinBox* {
                 litresBox->setFocus();
                 return litresBox;
             },
             fileValue("SELECT kol_l FROM t_head_rar"), [&] { return litresBox->valueText(); },
             posting(data.savedSolutions)},
            {QStringLiteral("content"), FieldLimits::Content(), true, [&] { return EditCell(*contentGrid, 0, 1); },
             [&] {
                 return s.scalar(QStringLiteral("SELECT kol_element FROM T_sostav_udobra WHERE id_sostav_udobra = ?"),
                                 {contentKey});
             },
             cellOf(*contentGrid, 1), posting(data.fertilizerContent)},
            {QStringLiteral("ppm"), FieldLimits::Ppm(), true, [&] { return EditCell(*listGrid, 0, 1); },
             fertilizerValue("ppm"), cellOf(*listGrid, 1), posting(data.fertilizers)},
            {QStringLiteral("density"), FieldLimits::Density(), true, [&] { return EditCell(*listGrid, 0, 2); },
             fertilizerValue("density"), cellOf(*listGrid, 2), posting(data.fertilizers)},
            {QStringLiteral("price"), FieldLimits::Price(), true, [&] { return EditCell(*listGrid, 0, 4); },
             fertilizerValue("price"), cellOf(*listGrid, 4), posting(data.fertilizers)},
            {QStringLiteral("bicarbonate left"), FieldLimits::BicarbonateLeft(), true,
             [&] { return EditCell(*waterGrid, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT hco3_left FROM t_water WHERE id_water = ?"), {waterKey}); },
             cellOf(*waterGrid, 1), posting(data.waterProfiles)},
            {QStringLiteral("coefficient"), FieldLimits::Coefficient(), true,
             [&] { return EditCell(*coefficientGrid, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT kof FROM t_kof WHERE id_kof = ?"), {coefficientKey}); },
             cellOf(*coefficientGrid, 1), posting(data.coefficients)},
            {QStringLiteral("tank volume"), FieldLimits::TankVolume(), false,
             [&]() -> NumberSpinBox* {
                 volumeBox->setFocus();
                 return volumeBox;
             },
             [&] { return volumeBox->number(); }, [&] { return volumeBox->typedText(); }, [] { return true; }},
            {QStringLiteral("concentration"), FieldLimits::Concentration(), false,
             [&]() -> NumberSpinBox* {
                 concentrationBox->setFocus();
                 return concentrationBox;
             },
             [&] { return concentrationBox->number(); }, [&] { return concentrationBox->typedText(); },
             [] { return true; }},
        };

        const QStringList typed = {QStringLiteral("0,5"),
                                   QStringLiteral("0.5"),
                                   QStringLiteral("1 000,5"),
                                   QStringLiteral("1e308"),
                                   QStringLiteral("-1"),
                                   QStringLiteral("abc"),
                                   QString()};
        for (NumericField& field : fields) {
            for (const QString& text : typed) {
                const QString where = field.name + QStringLiteral(" ← «") + text + QStringLiteral("»");
                const QVariant before = field.stored();
                p.messages().clearShown();
                NumberSpinBox* editor = field.open();
                QVERIFY2(editor, qPrintable(where));
                editor->selectAll();
                if (text.isEmpty())
                    QTest::keyClick(editor, Qt::Key_Delete);
                else
                    QTest::keyClicks(editor, text);
                QVERIFY2(p.messages().shown().empty(), qPrintable(where)); // no box while typing
                QTest::keyClick(editor, Qt::Key_Return);
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                // The recipe the edit armed would change the amounts: it is not run.
                timer->stop();
                QVERIFY2(field.settle(), qPrintable(where));

                // What should have happened: letters are never typed; an empty
                // box is an empty field where that is a value; a number within
                // the limits is stored; anything else is refused with one box.
                QVariant expected = before;
                QString refusal;
                double value = 0;
                if (text == QLatin1String("abc")) {
                } else if (text.isEmpty()) {
                    if (field.emptyAllowed)
                        expected = QVariant();
                    else
                        refusal = RefusalOf(text, field.limits, false);
                } else if (TryParseFloat(text, value) && field.limits.accepts(value)) {
                    expected = value;
                } else {
                    refusal = field.limits.refusal();
                }
                QStringList boxes;
                for (const ShownMessage& m : p.messages().shown())
                    boxes << m.text;
                QCOMPARE(boxes, refusal.isEmpty() ? QStringList() : QStringList{refusal});
                if (field.name == QLatin1String("target") && text.isEmpty()) {
                    // An emptied target deletes its row.
                    QVERIFY2(!field.stored().isValid(), qPrintable(where));
                    continue;
                }
                QVERIFY2(field.stored().isNull() == expected.isNull() &&
                             (expected.isNull() || field.stored().toDouble() == expected.toDouble()),
                         qPrintable(where + QStringLiteral(": ") + field.stored().toString()));
                QCOMPARE(field.shown(), ShownNumber(expected));
            }
        }

        // The converter shows its result at every change: a comma or a dot,
        // grouped thousands; a number out of all proportion is refused.
        ConverterWindow& converter = p.converter();
        auto* converterButton = Child<QPushButton>(fertilizers, QStringLiteral("Button1"));
        auto* amountBox = Child<QLineEdit>(converter, QStringLiteral("Edit1"));
        auto* result = Child<QLabel>(converter, QStringLiteral("Label4"));
        QVERIFY(converterButton && amountBox && result);
        converterButton->click();
        QVERIFY(converter.isVisible());
        const auto convert = [&](const QString& text) {
            p.messages().clearShown();
            amountBox->selectAll();
            QTest::keyClicks(amountBox, text);
            return result->text();
        };
        QCOMPARE(convert(QStringLiteral("0,5")), FormatNumber(0.05) + QStringLiteral("  "));
        QCOMPARE(convert(QStringLiteral("0.5")), FormatNumber(0.05) + QStringLiteral("  "));
        QCOMPARE(convert(QStringLiteral("1 000,5")), FormatNumber(100.05) + QStringLiteral("  "));
        QCOMPARE(convert(QStringLiteral("-1")), FormatNumber(-0.1) + QStringLiteral("  "));
        QVERIFY(p.messages().shown().empty());
        QCOMPARE(convert(QStringLiteral("1e308")), FormatNumber(100) + QStringLiteral("  ")); // 1e3 was the last taken
        QCOMPARE(p.messages().shown().back().text, FieldLimits::ConverterAmount().refusal());
    }

    // A target typed in two bursts with the timer's interval between them:
    // the recalculation waits for the edit to end, and then only that row
    // has changed, and the list is still on it.
    void theTimerWaitsForTheTargetBeingTyped() {
        DirectorySession s;
        Program& p = s.p();
        CalculatorWindow& calc = p.calculator();
        QVERIFY(ClickLauncher(p, "RzButton2"));
        calc.recalculation()->setDelay(0);
        DBGrid* targetGrid = Child<DBGrid>(calc, QStringLiteral("dxDBGrid3"));
        QVERIFY(targetGrid);
        const auto targets = [&s] {
            QStringList rows;
            for (const auto& row : s.sql().rows(QStringLiteral("SELECT id_el, vega FROM t_konc WHERE id_kult = 1")))
                rows << row.at(0).toString() + QLatin1Char('=') + row.at(1).toString();
            return rows;
        };
        const QStringList before = targets();
        NumberSpinBox* editor = EditCell(*targetGrid, 1, 1); // P, 50 mg/l
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("1"));
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QVERIFY(calc.recalculation()->pending());
        QVERIFY(targetGrid->isEditing());
        QCOMPARE(targets(), before);
        QTest::keyClicks(editor, QStringLiteral("30"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!calc.recalculation()->pending());
        QStringList after = before;
        after[1] = QStringLiteral("2=130");
        QCOMPARE(targets(), after);
        QCOMPARE(s.data().targets.recNo(), 2);
        QVERIFY(p.messages().shown().empty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(TypingTest)
#include "test_typing.moc"
