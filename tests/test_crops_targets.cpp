// SPDX-License-Identifier: GPL-3.0-or-later
// Crops and their target lists in the calculator, through its controls: the
// zero-target rule on every post, the completion of a crop's list with the
// plain elements, deleting targets with the confirmation, and a crop that
// holds several rows without a target.

#include "calculator_fixture.h"
#include "support/locale_text.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "windows/directories/fertilizer_directory.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>
#include <cmath>
#include <sqlite3.h>

using namespace solvane;
using namespace solvane::test;

namespace {

// Fertilizer 10 holds 10 % N: a target of N t mg/l is met by t / 100 g/l.
// Crop 2 exists besides the fixture's crop 1.
const char* kRows = "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (10, 'Азотное', 500);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (1, 10, 10);"
                    "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (2, 'Вторая', '');"
                    "INSERT INTO t_rachet (id_udobra) VALUES (10);";

QString Rows(const QString& targets) {
    return QString::fromUtf8(kRows) + QStringLiteral("INSERT INTO t_konc (vega, id_kult, id_el, rachet) VALUES ") +
           targets + QLatin1Char(';');
}

// Clicks a navigator's button (found by the navigator's object name);
// false when there is no such enabled button.
bool Press(const CalculatorWindow& calc, const char* navigator, NavButton which) {
    const DBNavigator* bar = Child<DBNavigator>(calc, QString::fromLatin1(navigator));
    QToolButton* b = bar ? bar->button(which) : nullptr;
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

// Clicks a row of one of the calculator's grids (found by its object name);
// false when there is no such grid.
bool ClickRow(const CalculatorWindow& calc, const char* gridName, int row) {
    DBGrid* grid = Child<DBGrid>(calc, QString::fromLatin1(gridName));
    if (!grid)
        return false;
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    return true;
}

// Triggers an entry of one of the calculator's menus, found by its object
// name; false when there is none.
bool Trigger(const CalculatorWindow& calc, const char* action) {
    QAction* entry = Child<QAction>(calc, QString::fromLatin1(action));
    if (!entry)
        return false;
    entry->trigger();
    return true;
}

// Counts the target rows deleted from the file, by whatever way.
class DeletionLog {
public:
    explicit DeletionLog(Database& data) : db_(data.connection().handle()) {
        sqlite3_update_hook(
            db_,
            [](void* log, int operation, const char*, const char* table, sqlite3_int64) {
                if (operation == SQLITE_DELETE && QLatin1String(table) == QLatin1String("t_konc"))
                    ++static_cast<DeletionLog*>(log)->count;
            },
            this);
    }
    ~DeletionLog() { sqlite3_update_hook(db_, nullptr, nullptr); }
    int count = 0;

private:
    sqlite3* db_;
};

long long TargetSequence(CalculatorFixture& f) {
    const auto v = f.column(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 't_konc'"));
    return v.empty() ? 0 : static_cast<long long>(v.front());
}

std::vector<double> ElementsOf(CalculatorFixture& f, int crop) {
    return f.column(QStringLiteral("SELECT id_el FROM t_konc WHERE id_kult = %1 ORDER BY id_konc").arg(crop));
}

} // namespace

class CropsTargetsTest : public QObject {
    Q_OBJECT
private slots:
    // A target row posted with 0 or no target goes again at once, and the
    // recipe and the calculation follow; a row with a target stays.
    void zeroTargetRule() {
        CalculatorFixture f(Rows(QStringLiteral("(100, 1, 1, 99)")));
        f.start();
        CalculatorWindow& c = f.calc();
        DataSet& targets = f.data().targets;
        DeletionLog log(f.data());
        int deletions = 0;
        for (const QVariant& target : {QVariant(0.0), QVariant()}) {
            QVERIFY(Trigger(c, "N9"));
            QCOMPARE(targets.state(), DataSetState::Insert);
            targets.fieldByName(QStringLiteral("id_el"))->setAsInteger(kK);
            targets.fieldByName(QStringLiteral("vega"))->setValue(target);
            QVERIFY(Press(c, "DBNavigator1", NavButton::Post));
            QCOMPARE(ElementsOf(f, 1), std::vector<double>{kN});
            QCOMPARE(targets.recordCount(), 1);
            QCOMPARE(log.count, ++deletions);
            // The recipe ran: the amount is fitted and N calculated anew.
            QCOMPARE(f.amounts(), std::vector<double>{1});
            QCOMPARE(f.result(kN), 100.0);
        }
        QVERIFY(Press(c, "DBNavigator1", NavButton::Insert));
        targets.fieldByName(QStringLiteral("id_el"))->setAsInteger(kCa);
        targets.fieldByName(QStringLiteral("vega"))->setAsFloat(50);
        QVERIFY(Press(c, "DBNavigator1", NavButton::Post));
        QCOMPARE(ElementsOf(f, 1), (std::vector<double>{kN, kCa}));
        QVERIFY(f.errors().isEmpty());
    }

    // A new crop typed in and posted gets the completion too: each of its
    // four rows goes again, and the recipe over no targets gives 0.
    void newCropIsCompleted() {
        CalculatorFixture f(Rows(QStringLiteral("(100, 1, 1, 99)")));
        f.start();
        CalculatorWindow& c = f.calc();
        const long long sequence = TargetSequence(f);
        QVERIFY(Press(c, "DBNavigator2", NavButton::Insert));
        QCOMPARE(f.data().crops.state(), DataSetState::Insert);
        f.data().crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Огурец"));
        QVERIFY(Press(c, "DBNavigator4", NavButton::Post));
        QCOMPARE(f.column(QStringLiteral("SELECT COUNT(*) FROM T_kult WHERE name_kult = 'Огурец'")),
                 std::vector<double>{1});
        QCOMPARE(TargetSequence(f) - sequence, 4);
        QCOMPARE(f.data().targets.recordCount(), 0);
        QCOMPARE(f.amounts(), std::vector<double>{0});
        QVERIFY(f.errors().isEmpty());
    }

    // Deleting a target from the menu asks first: Cancel leaves everything,
    // OK deletes the row and reruns the recipe.
    void deleteAsksFirst() {
        CalculatorFixture f(Rows(QStringLiteral("(100, 1, 1, 99), (50, 1, 3, 99)")));
        f.start();
        CalculatorWindow& c = f.calc();
        QVERIFY(ClickRow(c, "dxDBGrid3", 1));
        QCOMPARE(f.data().targets.fieldByName(QStringLiteral("id_el"))->asInteger(), kK);
        MessageService& messages = f.program().messages();
        messages.clearShown();
        const double shown = f.result(kN);

        messages.queueAnswer(MessageAnswer::Cancel);
        QVERIFY(Trigger(c, "N10"));
        QCOMPARE(messages.shown().size(), size_t(1));
        QCOMPARE(messages.shown().back().text, QStringLiteral("Delete record?"));
        QCOMPARE(ElementsOf(f, 1), (std::vector<double>{kN, kK}));
        QVERIFY(std::isnan(f.amounts().at(0)));
        QCOMPARE(f.result(kN), shown);

        messages.queueAnswer(MessageAnswer::Ok);
        QVERIFY(Trigger(c, "N10"));
        QCOMPARE(messages.shown().size(), size_t(2));
        QCOMPARE(ElementsOf(f, 1), std::vector<double>{kN});
        QCOMPARE(f.amounts(), std::vector<double>{1});
        QCOMPARE(f.result(kN), 100.0);
        QVERIFY(f.errors().isEmpty());
    }

    // A crop holding several rows without a target, and lacking an element:
    // the completion's row goes, its recipe removes the stored ones one by
    // one (each rerunning the recipe), and what is left is the result of one
    // clean calculation over the rows with a target.
    void severalStoredZeroTargets() {
        CalculatorFixture f(
            Rows(QStringLiteral("(100, 1, 1, 99), (0, 2, 2, 99), (80, 2, 1, 99), (NULL, 2, 3, 99), (0, 2, 2, 99)")));
        f.start();
        CalculatorWindow& c = f.calc();
        DeletionLog log(f.data());
        QVERIFY(ClickRow(c, "dxDBGrid6", 1));
        QCOMPARE(log.count, 4); // Ca appended and deleted, then the three stored rows
        QCOMPARE(ElementsOf(f, 2), std::vector<double>{kN});
        QCOMPARE(f.amounts(), std::vector<double>{0.8});
        QCOMPARE(f.column(QStringLiteral("SELECT rachet FROM t_konc WHERE id_kult = 2")), std::vector<double>{80});
        QCOMPARE(f.data().targets.recordCount(), 1);
        QVERIFY(f.errors().isEmpty());
    }

    // A crop with targets or saved solutions is deleted with them, after its
    // own question naming what goes; No keeps everything; a crop with neither
    // gets the standard question. Another crop's rows stay.
    void deletingACropTakesItsTargetsAndSavedSolutions() {
        CalculatorFixture f(
            Rows(QStringLiteral("(100, 1, 1, 0), (50, 1, 3, 0), (80, 2, 1, 0)")) +
            QStringLiteral("INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (3, 'Пустая', ''), (4, 'Архив', '');"
                           "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES"
                           " (1, 'Первый', 1, 1, 100), (2, 'Второй', 2, 1, 100), (3, 'Старый', 4, 1, 100);"
                           "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (10, 1, 1), (10, 2, 1),"
                           " (10, 3, 2), (10, 4, 3);"));
        f.start();
        CalculatorWindow& c = f.calc();
        MessageService& messages = f.program().messages();
        const auto remove = [&](int row, MessageAnswer answer) {
            messages.clearShown();
            messages.queueAnswer(answer);
            return ClickRow(c, "dxDBGrid6", row) && Press(c, "DBNavigator3", NavButton::Delete);
        };

        QVERIFY(remove(0, MessageAnswer::No));
        QCOMPARE(messages.shown().size(), size_t(1));
        QCOMPARE(messages.shown().front().caption, QStringLiteral("подтверждение"));
        QCOMPARE(messages.shown().front().buttons, MessageButtons::YesNo);
        QCOMPARE(messages.shown().front().text,
                 QStringLiteral("Удалить культуру «Тест» вместе с её целями (2) и сохранёнными растворами (1)?"));
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")), std::vector<double>{2});

        QVERIFY(remove(0, MessageAnswer::Yes));
        QCOMPARE(f.column(QStringLiteral("SELECT id_kult FROM T_kult ORDER BY id_kult")),
                 (std::vector<double>{2, 3, 4}));
        QCOMPARE(f.column(QStringLiteral("SELECT id_kult FROM t_konc")), std::vector<double>{2});
        QCOMPARE(f.column(QStringLiteral("SELECT id_head_rar FROM t_head_rar ORDER BY 1")),
                 (std::vector<double>{2, 3}));
        QCOMPARE(f.column(QStringLiteral("SELECT kol FROM t_save_rar ORDER BY 1")), (std::vector<double>{3, 4}));
        QCOMPARE(f.data().crops.fieldByName(QStringLiteral("id_kult"))->asInteger(), 2);
        QCOMPARE(f.data().savedSolutions.recordCount(), 1);

        // Only saved solutions: the question names them alone.
        QVERIFY(remove(2, MessageAnswer::Yes));
        QCOMPARE(messages.shown().front().text,
                 QStringLiteral("Удалить культуру «Архив» вместе с её сохранёнными растворами (1)?"));
        QCOMPARE(f.column(QStringLiteral("SELECT count(*) FROM t_save_rar")), std::vector<double>{1});
        // Nothing with it: the standard question.
        QVERIFY(remove(1, MessageAnswer::Ok));
        QCOMPARE(messages.shown().front().text, QStringLiteral("Delete record?"));
        QCOMPARE(f.column(QStringLiteral("SELECT id_kult FROM T_kult")), std::vector<double>{2});
        // The crop left shows its own targets' total, not the deleted one's.
        QCOMPARE(Child<QLabel>(c, QStringLiteral("Label5"))->text(), Shown(QStringLiteral("   80")));
        QVERIFY(f.errors().isEmpty());
    }

    // The crop, the saved solution and the composition's line stay current
    // across a directory's close (every set read again), and the crop in use
    // is the one the calculator opens on at the next start; a remembered crop
    // that is gone opens the first.
    void theCropStaysAcrossADirectoryAndAStart() {
        CalculatorFixture f(
            Rows(QStringLiteral("(100, 1, 1, 0), (80, 2, 1, 0)")) +
            QStringLiteral("INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (11, 'Второе', 0);"
                           "INSERT INTO t_rachet (id_udobra) VALUES (11);"
                           "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES"
                           " (1, 'А', 2, 1, 100), (2, 'Б', 2, 1, 100);"));
        f.start();
        CalculatorWindow& c = f.calc();
        QVERIFY(ClickRow(c, "dxDBGrid6", 1));
        QVERIFY(ClickRow(c, "dxDBGrid5", 1));
        QVERIFY(ClickRow(c, "dxDBGrid2", 1));
        const auto where = [&f] {
            return QStringLiteral("%1 %2 %3")
                .arg(f.data().crops.fieldByName(QStringLiteral("id_kult"))->asInteger())
                .arg(f.data().savedSolutions.fieldByName(QStringLiteral("id_head_rar"))->asInteger())
                .arg(f.data().composition.fieldByName(QStringLiteral("id_udobra"))->asInteger());
        };
        QCOMPARE(where(), QStringLiteral("2 2 11"));
        QCOMPARE(f.column(QStringLiteral("SELECT id_kult_last FROM t_opt")), std::vector<double>{2});

        f.program().launcher().openFertilizers();
        QVERIFY(f.program().fertilizerDirectory().close());
        QCOMPARE(where(), QStringLiteral("2 2 11"));

        f.stop();
        f.start();
        QCOMPARE(f.data().crops.fieldByName(QStringLiteral("id_kult"))->asInteger(), 2);

        f.stop();
        f.sql().exec(QStringLiteral("UPDATE t_opt SET id_kult_last = 99"));
        f.start();
        QCOMPARE(f.data().crops.fieldByName(QStringLiteral("id_kult"))->asInteger(), 1);
        QVERIFY(f.errors().isEmpty());
    }
};

QTEST_MAIN(CropsTargetsTest)
#include "test_crops_targets.moc"
