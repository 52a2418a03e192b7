// Numbers typed as a grower types them, into every editable numeric field of
// the real windows, under the suite's locale: what is stored, what is shown,
// and the one box that refuses a value out of range once the edit ends.

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "windows/calculator/stock_solutions_form.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/number_spin_box.h"
#include "windows/directories/coefficient_form.h"
#include "windows/directories/converter_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "directories_fixture.h"
#include "large_screen.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "support/grid_typing.h"

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
    // What leaving the row would do: the edit is posted.
    std::function<void()> settle;
};

QString ShownNumber(const QVariant& value) {
    return value.isNull() ? QString() : FormatNumber(value.toDouble());
}

} // namespace

class TypingTest : public QObject {
    Q_OBJECT
private slots:
    void everyNumericFieldReadsRefusesAndShowsTheSameWay() {
        DirectorySession s(DirectorySession::Base::Starter, AddSolutionRows);
        Program& p = s.p();
        TForm4& calc = *p.Form4;
        TForm2& fertilizers = *p.Form2;
        QTest::mouseClick(p.Form1->RzButton2, Qt::LeftButton);
        QTest::mouseClick(p.Form1->RzButton1, Qt::LeftButton);
        p.Form3->Button3Click();
        calc.N11->trigger();
        TF_StockSolutions& stock = *p.F_StockSolutions;
        TForm6& coefficients = *p.Form6;

        const auto guarded = [&calc](const std::function<void()>& f) { QVERIFY(calc.runGuarded(f)); };
        const auto cellOf = [](DBGrid& grid, int column) {
            return [&grid, column] { return grid.model()->index(0, column).data().toString(); };
        };
        const auto fileValue = [&s](const char* sql) {
            return [&s, sql] { return s.scalar(QString::fromLatin1(sql)); };
        };

        const QVariant targetKey = calc.ADOTable2.fieldByName(QStringLiteral("id_konc"))->value();
        const QVariant contentKey =
            fertilizers.T_Sostav_Udobra.fieldByName(QStringLiteral("id_sostav_udobra"))->value();
        const QVariant fertilizerKey = fertilizers.T_Udobra.fieldByName(QStringLiteral("id_udobra"))->value();
        const QVariant coefficientKey = p.Form3->T_KOF.fieldByName(QStringLiteral("id_kof"))->value();

        std::vector<NumericField> fields = {
            {QStringLiteral("target"), FieldLimits::Target(), true, [&] { return EditCell(*calc.dxDBGrid3, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT vega FROM t_konc WHERE id_konc = ?"), {targetKey}); },
             cellOf(*calc.dxDBGrid3, 1), [&] { guarded([&] { calc.ADOTable2.checkBrowseMode(); }); }},
            {QStringLiteral("amount"), FieldLimits::Amount(), true, [&] { return EditCell(*calc.dxDBGrid2, 0, 1); },
             fileValue("SELECT kol FROM t_rachet"), cellOf(*calc.dxDBGrid2, 1),
             [&] { guarded([&] { calc.T_rachet.checkBrowseMode(); }); }},
            {QStringLiteral("saved amount"), FieldLimits::SavedAmount(), true,
             [&] { return EditCell(*calc.dxDBGrid4, 0, 1); }, fileValue("SELECT kol FROM t_save_rar"),
             cellOf(*calc.dxDBGrid4, 1), [&] { guarded([&] { calc.T_save_rar.checkBrowseMode(); }); }},
            {QStringLiteral("litres"), FieldLimits::Litres(), true,
             [&]() -> NumberSpinBox* {
                 calc.dxDBSpinEdit1->setFocus();
                 return calc.dxDBSpinEdit1;
             },
             fileValue("SELECT kol_l FROM t_head_rar"), [&] { return calc.dxDBSpinEdit1->valueText(); },
             [&] { guarded([&] { calc.T_HEAD_RAR.checkBrowseMode(); }); }},
            {QStringLiteral("content"), FieldLimits::Content(), true,
             [&] { return EditCell(*fertilizers.dxDBGrid1, 0, 1); },
             [&] {
                 return s.scalar(QStringLiteral("SELECT kol_element FROM T_sostav_udobra WHERE id_sostav_udobra = ?"),
                                 {contentKey});
             },
             cellOf(*fertilizers.dxDBGrid1, 1),
             [&] { guarded([&] { fertilizers.T_Sostav_Udobra.checkBrowseMode(); }); }},
            {QStringLiteral("ppm"), FieldLimits::Ppm(), true, [&] { return EditCell(*fertilizers.dxDBGrid2, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT ppm FROM t_udobra WHERE id_udobra = ?"), {fertilizerKey}); },
             cellOf(*fertilizers.dxDBGrid2, 1), [&] { guarded([&] { fertilizers.T_Udobra.checkBrowseMode(); }); }},
            {QStringLiteral("coefficient"), FieldLimits::Coefficient(), true,
             [&] { return EditCell(*coefficients.dxDBGrid1, 0, 1); },
             [&] { return s.scalar(QStringLiteral("SELECT kof FROM t_kof WHERE id_kof = ?"), {coefficientKey}); },
             cellOf(*coefficients.dxDBGrid1, 1), [&] { guarded([&] { p.Form3->T_KOF.checkBrowseMode(); }); }},
            {QStringLiteral("tank volume"), FieldLimits::TankVolume(), false,
             [&]() -> NumberSpinBox* {
                 stock.Edit1->setFocus();
                 return stock.Edit1;
             },
             [&] { return stock.Edit1->number(); }, [&] { return stock.Edit1->typedText(); }, [] {}},
            {QStringLiteral("concentration"), FieldLimits::Concentration(), false,
             [&]() -> NumberSpinBox* {
                 stock.SpinEdit1->setFocus();
                 return stock.SpinEdit1;
             },
             [&] { return stock.SpinEdit1->number(); }, [&] { return stock.SpinEdit1->typedText(); }, [] {}},
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
                calc.Timer1->stop();
                field.settle();

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
        TF_Converter& converter = *p.F_Converter;
        fertilizers.Button1->click();
        const auto convert = [&](const QString& text) {
            p.messages().clearShown();
            converter.Edit1->selectAll();
            QTest::keyClicks(converter.Edit1, text);
            return converter.Label4->text();
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
        TForm4& calc = *p.Form4;
        QTest::mouseClick(p.Form1->RzButton2, Qt::LeftButton);
        calc.Timer1->setInterval(0);
        const auto targets = [&s] {
            QStringList rows;
            for (const auto& row : s.sql().rows(QStringLiteral("SELECT id_el, vega FROM t_konc WHERE id_kult = 1")))
                rows << row.at(0).toString() + QLatin1Char('=') + row.at(1).toString();
            return rows;
        };
        const QStringList before = targets();
        NumberSpinBox* editor = EditCell(*calc.dxDBGrid3, 1, 1); // P, 50 mg/l
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("1"));
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QVERIFY(calc.recalculationPending());
        QVERIFY(calc.dxDBGrid3->isEditing());
        QCOMPARE(targets(), before);
        QTest::keyClicks(editor, QStringLiteral("30"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!calc.recalculationPending());
        QStringList after = before;
        after[1] = QStringLiteral("2=130");
        QCOMPARE(targets(), after);
        QCOMPARE(calc.ADOTable2.recNo(), 2);
        QVERIFY(p.messages().shown().empty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(TypingTest)
#include "test_typing.moc"
