// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculator_fixture.h"
#include "windows/directories/element_directory.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "large_screen.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/solutions/solution_name_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace solvane;
using namespace solvane::test;

namespace {

// The controls of the calculator and of the name dialog these tests use,
// found by their object names; found() says whether every one is there.
struct Controls {
    explicit Controls(Program& program)
        : saveButton(Child<QPushButton>(program.calculator(), QStringLiteral("Button5"))),
          strengthBox(Child<QLineEdit>(program.calculator(), QStringLiteral("Edit2"))),
          litresBox(Child<DBSpinBox>(program.calculator(), QStringLiteral("dxDBSpinEdit1"))),
          savedNames(Child<DBGrid>(program.calculator(), QStringLiteral("dxDBGrid5"))),
          savedLines(Child<DBGrid>(program.calculator(), QStringLiteral("dxDBGrid4"))),
          nameBox(Child<QLineEdit>(program.nameDialog(), QStringLiteral("Edit1"))),
          nameSave(Child<QPushButton>(program.nameDialog(), QStringLiteral("Button1"))) {}
    bool found() const {
        return saveButton && strengthBox && litresBox && savedNames && savedLines && nameBox && nameSave;
    }
    // The caption of the saved lines' per-litres column.
    QString perLitresCaption() const { return savedLines->columnByField(QStringLiteral("kol_temp"))->caption(); }

    QPushButton* saveButton; // "Сохранить" of the calculator
    QLineEdit* strengthBox;
    DBSpinBox* litresBox;
    DBGrid* savedNames;
    DBGrid* savedLines;
    QLineEdit* nameBox;    // the name dialog's box
    QPushButton* nameSave; // the name dialog's "Сохранить"
};

// The name dialog opened for a new save, the name typed, "Сохранить"
// clicked; false when the dialog did not open.
bool SaveAs(Program& program, const Controls& c, const QString& name) {
    QTest::mouseClick(c.saveButton, Qt::LeftButton);
    if (!program.nameDialog().isVisible())
        return false;
    c.nameBox->setText(name);
    QTest::mouseClick(c.nameSave, Qt::LeftButton);
    return true;
}

// A saved solution with the given lines, stored directly for the crop 1.
QString SavedSolution(int header, const QString& name, const QString& lines, const QString& litres = "1") {
    return QStringLiteral("INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES (%1, '%2', 1, "
                          "%3, 100);")
               .arg(header)
               .arg(name, litres) +
           lines;
}

// "изменить название" or "удалить р-р" of the saved solutions' pane, as one action.
bool RunPane(CalculatorWindow& calc, void (SavedSolutionsPane::*handler)()) {
    auto* pane = Child<SavedSolutionsPane>(calc, QStringLiteral("GroupSaved"));
    return pane && calc.runGuarded([pane, handler] { (pane->*handler)(); });
}

bool Pass(CalculatorWindow& calc) {
    return calc.runGuarded([&calc] { calc.solution().savedSolutionPass(); });
}

bool SelectHeader(Database& data, const QString& name) {
    DataSet& headers = data.savedSolutions;
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
        Controls c(f.program());
        QVERIFY(c.found());
        AddLine(f.data(), 1, 1.25);
        AddLine(f.data(), 2, 0.5);
        c.strengthBox->setText(QStringLiteral("60"));

        QVERIFY(SaveAs(f.program(), c, QStringLiteral("Томат \"ранний\" 100%")));
        QVERIFY(f.errors().isEmpty());
        QVERIFY(!f.program().nameDialog().isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT konc FROM t_head_rar")), std::vector<double>{60});
        QCOMPARE(f.column(QStringLiteral("SELECT id_konc FROM t_head_rar")), std::vector<double>{1});
        // The litres are not set by the save: the table's default, 1, shows.
        QCOMPARE(f.column(QStringLiteral("SELECT kol_l FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(c.litresBox->valueText(), QStringLiteral("1"));
        QCOMPARE(f.column(QStringLiteral("SELECT kol FROM t_save_rar ORDER BY id_save_rar")),
                 (std::vector<double>{1.25, 0.5}));
        QCOMPARE(f.column(QStringLiteral("SELECT id_udobra FROM t_save_rar ORDER BY id_save_rar")),
                 (std::vector<double>{1, 2}));
        QCOMPARE(f.data().savedSolutions.fieldByName(QStringLiteral("name_rar"))->asString(),
                 QStringLiteral("Томат \"ранний\" 100%"));
        QCOMPARE(f.data().savedLines.recordCount(), 2);
        f.data().savedLines.first();
        QCOMPARE(f.data().savedLines.fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Азотное"));
        // The composition is what it was.
        QCOMPARE(f.amounts(), (std::vector<double>{1.25, 0.5}));
        // The next save starts from an empty box: what is typed is the whole name.
        QTest::mouseClick(c.saveButton, Qt::LeftButton);
        QCOMPARE(c.nameBox->text(), QString());
        QCOMPARE(f.program().nameDialog().mode(), SolutionNameDialog::Mode::NewSolution);
        QTest::keyClicks(c.nameBox, QStringLiteral("Tomato 2"));
        QTest::keyClick(c.nameBox, Qt::Key_Return);
        const auto names = f.sql().rows(QStringLiteral("SELECT name_rar FROM t_head_rar ORDER BY id_head_rar"));
        QCOMPARE(names.size(), size_t(2));
        QCOMPARE(names[1].at(0).toString(), QStringLiteral("Tomato 2"));
    }

    void emptyNameAndEmptyComposition() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        Controls c(f.program());
        QVERIFY(c.found());
        AddLine(f.data(), 1, 1.0);
        QVERIFY(SaveAs(f.program(), c, QString()));
        QVERIFY(!f.program().nameDialog().isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});

        // An empty composition makes a header without lines; selecting it
        // sets every result of the crop to 0.
        CalculatorFixture g(QString::fromUtf8(kFertilizers) +
                            "INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES (100, 1, 1, 55), (80, 1, 3, 7);");
        g.start();
        Controls gc(g.program());
        QVERIFY(gc.found());
        QVERIFY(SaveAs(g.program(), gc, QStringLiteral("Пусто")));
        QCOMPARE(g.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(g.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});
        QVERIFY(Pass(g.calc()));
        QCOMPARE(g.column(QStringLiteral("SELECT rachet FROM t_konc ORDER BY id_konc")), (std::vector<double>{0, 0}));
        // Without lines the pass's own caption stays: the litres box's value.
        QCOMPARE(gc.perLitresCaption(), QStringLiteral("Кол-во, г/1 л."));
        QVERIFY(g.errors().isEmpty());
    }

    // Enter in the box saves, Escape only closes; other keys type.
    void dialogKeys() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        Controls c(f.program());
        QVERIFY(c.found());
        AddLine(f.data(), 1, 1.0);
        SolutionNameDialog& dialog = f.program().nameDialog();
        QTest::mouseClick(c.saveButton, Qt::LeftButton);
        c.nameBox->clear();
        QTest::keyClicks(c.nameBox, QStringLiteral("Cucumber 2"));
        QTest::keyClick(c.nameBox, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});

        QTest::mouseClick(c.saveButton, Qt::LeftButton);
        QCOMPARE(c.nameBox->text(), QString());
        QTest::keyClicks(c.nameBox, QStringLiteral("Cucumber 2"));
        QTest::keyClick(c.nameBox, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});

        // The box takes no more than the name field holds, typed or pasted.
        QTest::mouseClick(c.saveButton, Qt::LeftButton);
        c.nameBox->clear();
        QTest::keyClicks(c.nameBox, QString(60, QLatin1Char('a')));
        QCOMPARE(c.nameBox->text(), QString(50, QLatin1Char('a')));
        c.nameBox->setText(QString(30, QChar(0x416)) + QString(30, QLatin1Char('b')));
        QCOMPARE(c.nameBox->text().size(), 50);
        QTest::keyClick(c.nameBox, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT length(name_rar) FROM t_head_rar ORDER BY id_head_rar")),
                 (std::vector<double>{10, 50}));
        QVERIFY(f.errors().isEmpty());
    }

    // A rename changes only the name, shown whole and selected so that
    // typing replaces it; on an empty list it makes a header for the current
    // crop; the next new save starts from an empty box.
    void rename() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        Controls c(f.program());
        QVERIFY(c.found());
        CalculatorWindow& calc = f.calc();
        QVERIFY(RunPane(calc, &SavedSolutionsPane::renameSavedSolution));
        QCOMPARE(f.program().nameDialog().mode(), SolutionNameDialog::Mode::Rename);
        QCOMPARE(c.nameBox->text(), QString());
        c.nameBox->setText(QStringLiteral("Новый"));
        QTest::mouseClick(c.nameSave, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT id_konc FROM t_head_rar")), std::vector<double>{1});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});

        AddLine(f.data(), 1, 2.0);
        QVERIFY(SaveAs(f.program(), c, QStringLiteral("Второй")));
        QVERIFY(RunPane(calc, &SavedSolutionsPane::renameSavedSolution));
        QCOMPARE(c.nameBox->text(), QStringLiteral("Второй"));
        QCOMPARE(c.nameBox->selectedText(), QStringLiteral("Второй"));
        for (const QChar ch : QStringLiteral("Второй (исправлен)"))
            QTest::sendKeyEvent(QTest::Click, c.nameBox, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::mouseClick(c.nameSave, Qt::LeftButton);
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar WHERE name_rar = 'Второй (исправлен)'")),
                 std::vector<double>{1});
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});
        QCOMPARE(f.data().savedSolutions.fieldByName(QStringLiteral("name_rar"))->asString(),
                 QStringLiteral("Второй (исправлен)"));
        QTest::mouseClick(c.saveButton, Qt::LeftButton);
        QCOMPARE(c.nameBox->text(), QString());
        QVERIFY(f.errors().isEmpty());
    }

    // An unreadable strength stops the save before anything is stored and
    // keeps the dialog open.
    void failedSaveKeepsTheDialogOpen() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers));
        f.start();
        Controls c(f.program());
        QVERIFY(c.found());
        AddLine(f.data(), 1, 1.0);
        c.strengthBox->setText(QString());
        QVERIFY(SaveAs(f.program(), c, QStringLiteral("Раствор")));
        QCOMPARE(f.errors(), QStringList{QStringLiteral("'' is not a valid integer value")});
        QVERIFY(f.program().nameDialog().isVisible());
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_head_rar")), std::vector<double>{0});
        QVERIFY(f.data().savedSolutions.state() == DataSetState::Browse);
    }

    // "удалить р-р" takes the solution's lines with it, without a question;
    // the other solution keeps its own.
    void deleteTheHeaderWithItsLines() {
        CalculatorFixture f(QString::fromUtf8(kFertilizers) +
                            SavedSolution(1, "Один",
                                          "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES "
                                          "(1, 1, 1), (2, 0.5, 1);") +
                            SavedSolution(2, "Два",
                                          "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES "
                                          "(3, 2, 2);"));
        f.start();
        CalculatorWindow& calc = f.calc();
        QCOMPARE(f.data().savedSolutions.recordCount(), 2);
        QVERIFY(RunPane(calc, &SavedSolutionsPane::deleteSavedSolution));
        QCOMPARE(f.column(QStringLiteral("SELECT id_head_rar FROM t_head_rar")), std::vector<double>{2});
        QCOMPARE(f.column(QStringLiteral("SELECT id_head_rar FROM t_save_rar")), std::vector<double>{2});
        QCOMPARE(f.data().savedLines.recordCount(), 1);
        QVERIFY(f.program().messages().shown().empty());
        QVERIFY(RunPane(calc, &SavedSolutionsPane::deleteSavedSolution));
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{0});
        QVERIFY(!RunPane(calc, &SavedSolutionsPane::deleteSavedSolution));
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
        CalculatorWindow& calc = f.calc();
        AddLine(f.data(), 1, 9.0);
        QVERIFY(Pass(calc));
        QCOMPARE(f.result(kN), 150.0 + 75.0 + 100.0);
        QCOMPARE(f.result(kK), 400.0);
        QCOMPARE(f.result(kK2O), 1000.0);
        QCOMPARE(f.amounts(), std::vector<double>{9.0});
        QVERIFY(f.data().targetsSource.isEnabled());
        QCOMPARE(Child<QLabel>(calc, QStringLiteral("Label4"))->text(), QStringLiteral("   1725"));

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
        Controls c(f.program());
        QVERIFY(c.found());
        CalculatorWindow& calc = f.calc();
        AddLine(f.data(), 1, 0.5);
        QVERIFY(calc.runGuarded([&calc] { calc.solution().calculation(); }));
        QCOMPARE(f.result(kN), 75.0);

        DBGrid* names = c.savedNames;
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualRect(names->model()->index(1, 0)).center());
        QCOMPARE(f.data().savedSolutions.fieldByName(QStringLiteral("name_rar"))->asString(), QStringLiteral("Б"));
        QCOMPARE(f.result(kN), 450.0);
        QCOMPARE(f.target(kN, "rachet"), 450.0);
        QTest::keyClick(names, Qt::Key_Up);
        QCOMPARE(f.data().savedSolutions.fieldByName(QStringLiteral("name_rar"))->asString(), QStringLiteral("А"));
        QCOMPARE(f.result(kN), 300.0);
        QCOMPARE(f.amounts(), std::vector<double>{0.5});
        QCOMPARE(f.data().composition.recordCount(), 1);

        QVERIFY(calc.runGuarded([&calc] { calc.solution().calculation(); }));
        QCOMPARE(f.result(kN), 75.0);
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
        Controls c(f.program());
        QVERIFY(c.found());
        QVERIFY(SelectHeader(f.data(), QStringLiteral("А")));
        DataSet& lines = f.data().savedLines;
        Field* perLitres = lines.fieldByName(QStringLiteral("kol_temp"));
        lines.first();
        QCOMPARE(perLitres->asFloat(), 3.0);
        lines.next();
        QCOMPARE(perLitres->asFloat(), 0.5);
        QCOMPARE(c.perLitresCaption(), QStringLiteral("Кол-во г./2л."));

        // The litres typed in the box go into the header and into every line.
        c.litresBox->setFocus();
        c.litresBox->selectAll();
        QTest::keyClicks(c.litresBox, QStringLiteral("4"));
        QCOMPARE(c.litresBox->valueText(), QStringLiteral("4"));
        lines.first();
        QCOMPARE(perLitres->asFloat(), 6.0);
        QCOMPARE(c.perLitresCaption(), QStringLiteral("Кол-во г./4л."));
        f.data().savedSolutions.checkBrowseMode();
        QCOMPARE(f.column(QStringLiteral("SELECT kol_l FROM t_head_rar WHERE id_head_rar = 1")),
                 std::vector<double>{4});

        // An empty box counts as 0 and the caption has no number.
        QVERIFY(SelectHeader(f.data(), QStringLiteral("Б")));
        QCOMPARE(c.litresBox->valueText(), QString());
        lines.first();
        QCOMPARE(perLitres->asFloat(), 0.0);
        QCOMPARE(c.perLitresCaption(), QStringLiteral("Кол-во г./л."));

        // Every set read again, as when another window closes, keeps them.
        QVERIFY(SelectHeader(f.data(), QStringLiteral("А")));
        f.program().elementDirectory().show();
        f.program().elementDirectory().close();
        lines.first();
        QCOMPARE(perLitres->asFloat(), 6.0);
        QVERIFY(f.errors().isEmpty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(SavedSolutionsTest)
#include "test_saved_solutions.moc"
