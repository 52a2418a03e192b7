#include "calculator_fixture.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "large_screen.h"
#include "windows/solutions/name_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace solvane;
using namespace solvane::test;

namespace {

// The name dialog opened for a new save, the name typed, "Сохранить" clicked.
void SaveAs(Program& program, const QString& name) {
    QTest::mouseClick(program.Form4->Button5, Qt::LeftButton);
    QVERIFY(program.Form5->isVisible());
    program.Form5->Edit1->setText(name);
    QTest::mouseClick(program.Form5->Button1, Qt::LeftButton);
}

// A saved solution with the given lines, stored directly for the crop 1.
QString SavedSolution(int header, const QString& name, const QString& lines, const QString& litres = "1") {
    return QStringLiteral("INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES (%1, '%2', 1, "
                          "%3, 100);")
               .arg(header)
               .arg(name, litres) +
           lines;
}

bool Pass(TForm4& calc) {
    return calc.runGuarded([&calc] { calc.N4Click(); });
}

bool SelectHeader(TForm4& calc, const QString& name) {
    DataSet& headers = calc.T_HEAD_RAR;
    for (headers.first(); !headers.eof(); headers.next())
        if (headers.fieldByName(QStringLiteral("name_rar"))->asString() == name)
            return true;
    return false;
}

} // namespace

class SavedSolutionsTest : public QObject {
    Q_OBJECT
private slots:
    // The amounts are stored per litre as composed, the strength of the box
    // goes into konc, the new header is current and its lines are listed.
    void savesTheCompositionUnderAName() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        TForm4& calc = f.calc();
        AddLine(calc, 1, 1.25);
        AddLine(calc, 2, 0.5);
        calc.Edit2->setText(QStringLiteral("60"));

        SaveAs(f.program(), QStringLiteral("Томат \"ранний\" 100%"));
        QVERIFY(f.errors().isEmpty());
        QVERIFY(!f.program().Form5->isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT konc FROM t_head_rar")), std::vector<double>{60});
        QCOMPARE(f.column(QStringLiteral("SELECT id_konc FROM t_head_rar")), std::vector<double>{1});
        // The litres are not set by the save: the table's default, 1, shows.
        QCOMPARE(f.column(QStringLiteral("SELECT kol_l FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(calc.dxDBSpinEdit1->valueText(), QStringLiteral("1"));
        QCOMPARE(f.column(QStringLiteral("SELECT kol FROM t_save_rar ORDER BY id_save_rar")),
                 (std::vector<double>{1.25, 0.5}));
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_save_rar ORDER BY id_save_rar")),
                 (std::vector<double>{1, 2}));
        QCOMPARE(calc.T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->asString(),
                 QStringLiteral("Томат \"ранний\" 100%"));
        QCOMPARE(calc.T_save_rar.recordCount(), 2);
        calc.T_save_rar.first();
        QCOMPARE(calc.T_save_rar.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Азотное"));
        // The composition is what it was.
        QCOMPARE(f.amounts(), (std::vector<double>{1.25, 0.5}));
        // The box keeps the name for the next opening.
        QTest::mouseClick(calc.Button5, Qt::LeftButton);
        QCOMPARE(f.program().Form5->Edit1->text(), QStringLiteral("Томат \"ранний\" 100%"));
        QCOMPARE(f.program().NameMode, 0);
    }

    void emptyNameAndEmptyComposition() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        TForm4& calc = f.calc();
        AddLine(calc, 1, 1.0);
        SaveAs(f.program(), QString());
        QVERIFY(!f.program().Form5->isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});

        // An empty composition makes a header without lines; selecting it
        // sets every result of the crop to 0.
        CalculatorFixture g(QString::fromUtf8(kFertilizers) +
                            "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (100, 1, 1, 55), (80, 1, 3, 7);");
        g.start();
        SaveAs(g.program(), QStringLiteral("Пусто"));
        QCOMPARE(g.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(g.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});
        QVERIFY(Pass(g.calc()));
        QCOMPARE(g.column(QStringLiteral("SELECT rachet FROM t_konc ORDER BY id_konc")), (std::vector<double>{0, 0}));
        // Without lines the pass's own caption stays: the litres box's value.
        QCOMPARE(g.calc().dxDBGrid4kol_temp->caption(), QStringLiteral("Кол-во, г/1 л."));
        QVERIFY(g.errors().isEmpty());
    }

    // Enter in the box saves, Escape only closes; other keys type.
    void dialogKeys() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        AddLine(f.calc(), 1, 1.0);
        TForm5& dialog = *f.program().Form5;
        QTest::mouseClick(f.calc().Button5, Qt::LeftButton);
        dialog.Edit1->clear();
        QTest::keyClicks(dialog.Edit1, QStringLiteral("Cucumber 2"));
        QTest::keyClick(dialog.Edit1, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});

        QTest::mouseClick(f.calc().Button5, Qt::LeftButton);
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("Cucumber 2"));
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});

        // The box takes no more than the name field holds, typed or pasted.
        QTest::mouseClick(f.calc().Button5, Qt::LeftButton);
        dialog.Edit1->clear();
        QTest::keyClicks(dialog.Edit1, QString(60, QLatin1Char('a')));
        QCOMPARE(dialog.Edit1->text(), QString(50, QLatin1Char('a')));
        dialog.Edit1->setText(QString(30, QChar(0x416)) + QString(30, QLatin1Char('b')));
        QCOMPARE(dialog.Edit1->text().size(), 50);
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT length(name_rar) FROM t_head_rar ORDER BY id_head_rar")),
                 (std::vector<double>{10, 50}));
        QVERIFY(f.errors().isEmpty());
    }

    // A rename changes only the name; on an empty list it makes a header for
    // the current crop; the next new save starts from the renamed text.
    void rename() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        TForm4& calc = f.calc();
        TForm5& dialog = *f.program().Form5;
        QVERIFY(calc.runGuarded([&calc] { calc.N1Click(); }));
        QCOMPARE(f.program().NameMode, 1);
        QCOMPARE(dialog.Edit1->text(), QString());
        dialog.Edit1->setText(QStringLiteral("Новый"));
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_konc FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});

        AddLine(calc, 1, 2.0);
        SaveAs(f.program(), QStringLiteral("Второй"));
        QVERIFY(calc.runGuarded([&calc] { calc.N1Click(); }));
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("Второй"));
        dialog.Edit1->setText(QStringLiteral("Второй (исправлен)"));
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar WHERE name_rar = 'Второй (исправлен)'")),
                 std::vector<double>{1});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});
        QCOMPARE(calc.T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->asString(),
                 QStringLiteral("Второй (исправлен)"));
        QTest::mouseClick(calc.Button5, Qt::LeftButton);
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("Второй (исправлен)"));
        QVERIFY(f.errors().isEmpty());
    }

    // An unreadable strength stops the save before anything is stored and
    // keeps the dialog open.
    void failedSaveKeepsTheDialogOpen() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        AddLine(f.calc(), 1, 1.0);
        f.calc().Edit2->setText(QString());
        SaveAs(f.program(), QStringLiteral("Раствор"));
        QCOMPARE(f.errors(), QStringList{QStringLiteral("'' is not a valid integer value")});
        QVERIFY(f.program().Form5->isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});
        QVERIFY(f.calc().T_HEAD_RAR.state() == DataSetState::Browse);
    }

    void deleteOnlyTheHeader() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers) +
                            SavedSolution(1, "Один",
                                          "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES "
                                          "(1, 1, 1);"));
        f.start();
        TForm4& calc = f.calc();
        QCOMPARE(calc.T_HEAD_RAR.recordCount(), 1);
        QVERIFY(calc.runGuarded([&calc] { calc.N5Click(); }));
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});
        QVERIFY(calc.T_save_rar.isEmpty());
        // The database declares no relation: the line stays, shown nowhere.
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});
        QVERIFY(!calc.runGuarded([&calc] { calc.N5Click(); }));
        QCOMPARE(f.errors(),
                 QStringList{QStringLiteral("T_HEAD_RAR: Cannot perform this operation on an empty dataset")});
    }

    // The oxide adds converted to its element and unconverted to its own row,
    // a fertilizer on two lines adds twice, and elements outside the targets
    // add nothing. The composition is left as it is.
    void passAddsTheSavedLines() {
        const QString lines = QStringLiteral("INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES "
                                             "(2, 2, 1), (1, 1, 1), (1, 0.5, 1), (3, 1, 1);");
        CalculatorFixture f(QString::fromUtf8(kFertilizers) + SavedSolution(1, "Смесь", lines) +
                            "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 1), (100, 1, 3), (100, 1, 4);");
        f.start();
        TForm4& calc = f.calc();
        AddLine(calc, 1, 9.0);
        QVERIFY(Pass(calc));
        QCOMPARE(f.result(kN), 150.0 + 75.0 + 100.0);
        QCOMPARE(f.result(kK), 400.0);
        QCOMPARE(f.result(kK2O), 1000.0);
        QCOMPARE(f.amounts(), std::vector<double>{9.0});
        QVERIFY(calc.DataSource2.isEnabled());
        QCOMPARE(calc.Label4->text(), QStringLiteral("   1725"));

        // Without an oxide row only the element gets the converted share.
        CalculatorFixture g(QString::fromUtf8(kFertilizers) + SavedSolution(1, "Калий", lines) +
                            "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 3);");
        g.start();
        QVERIFY(Pass(g.calc()));
        QCOMPARE(g.result(kK), 400.0);
        QCOMPARE(g.column(QStringLiteral("SELECT count(*) FROM t_konc")), std::vector<double>{1});
        QVERIFY(f.errors().isEmpty() && g.errors().isEmpty());
    }

    // Clicking a saved solution shows its concentrations, not the
    // composition's; the next calculation from the composition takes over.
    void selectingASolutionAfterChangingTheComposition() {
        CalculatorFixture f(
            QString::fromUtf8(kFertilizers) +
            SavedSolution(1, "А", "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 2, 1);") +
            SavedSolution(2, "Б", "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 3, 2);") +
            "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (100, 1, 1);");
        f.start();
        TForm4& calc = f.calc();
        AddLine(calc, 1, 0.5);
        QVERIFY(calc.runGuarded([&calc] { calc.Button4Click(); }));
        QCOMPARE(f.result(kN), 75.0);

        DBGrid* names = calc.dxDBGrid5;
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualRect(names->model()->index(1, 0)).center());
        QCOMPARE(calc.T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->asString(), QStringLiteral("Б"));
        QCOMPARE(f.result(kN), 450.0);
        QCOMPARE(f.target(kN, "rachet"), 450.0);
        QTest::keyClick(names, Qt::Key_Up);
        QCOMPARE(calc.T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->asString(), QStringLiteral("А"));
        QCOMPARE(f.result(kN), 300.0);
        QCOMPARE(f.amounts(), std::vector<double>{0.5});
        QCOMPARE(calc.T_rachet.recordCount(), 1);

        QVERIFY(calc.runGuarded([&calc] { calc.Button4Click(); }));
        QCOMPARE(f.result(kN), 75.0);
        QVERIFY(f.errors().isEmpty());
    }

    // Stored rows without a target go before the pass; the result is that of
    // one pass over the rows that remain, whatever their number.
    void zeroTargetRowsAndThePass() {
        const QString lines = QStringLiteral("INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (3, 1, 1);");
        CalculatorFixture f(QString::fromUtf8(kFertilizers) + SavedSolution(1, "Смесь", lines) +
                            "INSERT INTO t_konc (vega, id_kult, id_el) VALUES (0, 1, 1), (100, 1, 2), (NULL, 1, 3),"
                            " (0, 1, 5), (50, 1, 1);");
        f.start();
        TForm4& calc = f.calc();
        QVERIFY(Pass(calc));
        QCOMPARE(f.column(QStringLiteral("SELECT id_el FROM t_konc ORDER BY id_konc")), (std::vector<double>{2, 1}));
        QCOMPARE(f.result(kP), 200.0);
        QCOMPARE(f.result(kN), 100.0);
        QCOMPARE(calc.ADOTable2.recordCount(), 2);
        QVERIFY(calc.DataSource2.isEnabled());
        QVERIFY(f.errors().isEmpty());
    }

    // The per-litres amount follows the header's litres and the box; the
    // caption shows the header's litres.
    void perLitresAmounts() {
        CalculatorFixture f(
            QString::fromUtf8(kFertilizers) +
            SavedSolution(
                1, "А", "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 1.5, 1), (2, 0.25, 1);", "2") +
            SavedSolution(2, "Б", "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 1.5, 2);", "NULL"));
        f.start();
        TForm4& calc = f.calc();
        QVERIFY(SelectHeader(calc, QStringLiteral("А")));
        DataSet& lines = calc.T_save_rar;
        Field* perLitres = lines.fieldByName(QStringLiteral("kol_temp"));
        lines.first();
        QCOMPARE(perLitres->asFloat(), 3.0);
        lines.next();
        QCOMPARE(perLitres->asFloat(), 0.5);
        QCOMPARE(calc.dxDBGrid4kol_temp->caption(), QStringLiteral("Кол-во г./2л."));

        // The litres typed in the box go into the header and into every line.
        calc.dxDBSpinEdit1->setFocus();
        calc.dxDBSpinEdit1->selectAll();
        QTest::keyClicks(calc.dxDBSpinEdit1, QStringLiteral("4"));
        QCOMPARE(calc.dxDBSpinEdit1->valueText(), QStringLiteral("4"));
        lines.first();
        QCOMPARE(perLitres->asFloat(), 6.0);
        QCOMPARE(calc.dxDBGrid4kol_temp->caption(), QStringLiteral("Кол-во г./4л."));
        calc.T_HEAD_RAR.checkBrowseMode();
        QCOMPARE(f.column(QStringLiteral("SELECT kol_l FROM t_head_rar WHERE id_head_rar = 1")),
                 std::vector<double>{4});

        // An empty box counts as 0 and the caption has no number.
        QVERIFY(SelectHeader(calc, QStringLiteral("Б")));
        QCOMPARE(calc.dxDBSpinEdit1->valueText(), QString());
        lines.first();
        QCOMPARE(perLitres->asFloat(), 0.0);
        QCOMPARE(calc.dxDBGrid4kol_temp->caption(), QStringLiteral("Кол-во г./л."));
        QVERIFY(f.errors().isEmpty());
    }

    // With SOLVANE_SCREENSHOTS naming a folder, the calculator showing a
    // saved solution and the name dialog are saved there.
    void screenshot() {
        const QString folder = qEnvironmentVariable("SOLVANE_SCREENSHOTS");
        if (folder.isEmpty())
            QSKIP("SOLVANE_SCREENSHOTS is not set");
        CalculatorFixture f(
            QString::fromUtf8(kFertilizers) +
            SavedSolution(1, "Томат, рассада",
                          "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 0.8, 1), (2, 0.6, 1), "
                          "(3, 0.25, 1);",
                          "10") +
            SavedSolution(2, "Томат, плодоношение", "") +
            "INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES (150, 180, 1, 1), (50, 60, 1, 2), (250, 300, 1, 3);"
            "UPDATE t_opt SET cl1 = 16777215, cl2 = 16777215, cl3 = 15790320, cl4 = 16777215, cl5 = 16777215,"
            " cl6 = 15790320, cl7 = 16777215, cl8 = 16777215, cl9 = 15790320, cl10 = 16777215, cl11 = 16777215,"
            " cl12 = 16777215, cl13 = 16777215, cl14 = 16777215;");
        f.start();
        TForm4& calc = f.calc();
        AddLine(calc, 1, 0.5);
        QVERIFY(QTest::qWaitForWindowExposed(&calc));
        DBGrid* names = calc.dxDBGrid5;
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualRect(names->model()->index(0, 0)).center());
        QVERIFY(calc.grab().save(QDir(folder).filePath(QStringLiteral("saved_solutions.png"))));
        QTest::mouseClick(calc.Button5, Qt::LeftButton);
        f.program().Form5->Edit1->setText(QStringLiteral("Огурец, вегетация"));
        QVERIFY(QTest::qWaitForWindowExposed(f.program().Form5.get()));
        QVERIFY(f.program().Form5->grab().save(QDir(folder).filePath(QStringLiteral("name_dialog.png"))));
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(SavedSolutionsTest)
#include "test_saved_solutions.moc"
