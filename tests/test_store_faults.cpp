// The store under faults, through the real windows: for each kind of user
// action, writes to the disk fail from the N-th one on (a full disk, an I/O
// error), for every N until the action no longer reaches the fault. After
// each failure the box names the cause and the file, every open data set
// holds exactly what the file holds, and with the fault gone the same action
// succeeds. Also: a write that meets another program holding the file's
// write lock past the busy timeout.

#include "directories_fixture.h"

#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/number_spin_box.h"
#include "windows/directories/fertilizer_form.h"
#include "windows/solutions/name_dialog.h"
#include "support/fault_vfs.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <sqlite3.h>

using namespace solvane;
using namespace solvane::test;

namespace {

// A crop without targets: clicking it completes its list.
void AddBareCrop(SqlFile& sql) {
    sql.exec(QStringLiteral("INSERT INTO T_kult (name_kult, ph) VALUES ('Без целей', '')"));
}

// The whole program with the calculator open on the starter database.
class Scene : public DirectorySession {
public:
    Scene() : DirectorySession(Base::Starter, AddBareCrop) { QTest::mouseClick(p().Form1->RzButton2, Qt::LeftButton); }

    TForm4& calc() { return *p().Form4; }

    // Puts a fertilizer into the composition with ">", as a user does.
    void add(const QString& fertilizer) {
        QVERIFY(locate(p().Form2->T_Udobra, QStringLiteral("name_udobra"), fertilizer));
        QTest::mouseClick(calc().Button1, Qt::LeftButton);
    }

    // Saves the composition under a name through the name dialog.
    void save(const QString& name) {
        QTest::mouseClick(calc().Button5, Qt::LeftButton);
        p().Form5->Edit1->setText(name);
        QTest::keyClick(p().Form5->Edit1, Qt::Key_Return);
    }

    // Types a value into a grid cell (row, column) and leaves the editor open.
    static void type(DBGrid* grid, int row, int column, const QString& text) {
        grid->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(grid->window()));
        const QModelIndex index = grid->model()->index(row, column);
        // A click on the current cell would open its editor only after the
        // double-click interval.
        if (grid->currentIndex() != index)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        grid->edit(index);
        QWidget* editor = nullptr;
        for (auto* spin : grid->findChildren<NumberSpinBox*>())
            if (spin->isVisible())
                editor = spin;
        for (auto* line : grid->findChildren<QLineEdit*>())
            if (!editor && line->isVisible())
                editor = line;
        QVERIFY2(editor, "no cell editor opened");
        if (auto* spin = qobject_cast<NumberSpinBox*>(editor))
            spin->selectAll();
        else
            static_cast<QLineEdit*>(editor)->selectAll();
        TypeText(editor, text);
    }

    static void clickRow(DBGrid* grid, int row) {
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

// Where an open data set differs from a fresh read of its table; empty when
// every one holds exactly the file's rows.
QString DifferenceFromFile(Program& program, SqlFile& sql) {
    for (DataSet* set : program.Form1->ADOConnection1.dataSets()) {
        if (!set->isActive())
            continue;
        QStringList columns;
        std::vector<Field*> fields;
        for (const auto& f : set->fields())
            if (f->kind() == FieldKind::Data) {
                columns << QStringLiteral("\"%1\"").arg(f->name());
                fields.push_back(f.get());
            }
        const auto fileRows = sql.rows(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                           .arg(columns.join(QStringLiteral(", ")), set->tableName()));
        const auto setRows = set->snapshot();
        if (fileRows.size() != setRows.size())
            return QStringLiteral("%1: %2 rows, the file %3").arg(set->name()).arg(setRows.size()).arg(fileRows.size());
        for (size_t r = 0; r < fileRows.size(); ++r)
            for (size_t c = 0; c < fields.size(); ++c) {
                const QVariant inFile = fields[c]->coerce(fileRows[r][c]);
                const QVariant& shown = setRows[r][c];
                if (inFile.isNull() != shown.isNull() || (!inFile.isNull() && inFile != shown))
                    return QStringLiteral("%1 row %2 %3: %4, the file %5")
                        .arg(set->name())
                        .arg(r)
                        .arg(fields[c]->name(), shown.toString(), inFile.toString());
            }
    }
    return QString();
}

struct ActionKind {
    const char* name;
    std::function<void(Scene&)> prepare; // runs before the fault is armed
    std::function<void(Scene&)> act;     // the user's action; run again once the fault is gone
    std::function<bool(Scene&)> done;    // the action's effect is there
    bool leavesTrace = true;             // the effect is a change of the file
};

std::vector<ActionKind> Kinds() {
    const QString potassium = QStringLiteral("Калиевая селитра");
    return {
        {"add a fertilizer, fit and calculate",
         [](Scene& s) {
             s.add(QStringLiteral("Кальциевая селитра"));
             s.add(QStringLiteral("Монофосфат калия"));
         },
         [potassium](Scene& s) { s.add(potassium); },
         [potassium](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_rachet r JOIN t_udobra u USING (id_udobra) "
                                            "WHERE u.name_udobra = ?"),
                             {potassium})
                        .toInt() == 1;
         }},
        {"click a crop without targets", [](Scene&) {},
         [](Scene& s) {
             // The list is completed on every click of the crop.
             Scene::clickRow(s.calc().dxDBGrid6, s.calc().ADOTable3.recordCount() - 1);
         },
         // Each row appended goes again by the zero-target rule: only the cursor moves.
         [](Scene& s) {
             return s.calc().ADOTable3.fieldByName(QStringLiteral("name_kult"))->asString() == "Без целей";
         },
         false},
        {"edit a target", [](Scene&) {},
         [](Scene& s) {
             Scene::type(s.calc().dxDBGrid3, 0, 1, QStringLiteral("75"));
             Scene::clickRow(s.calc().dxDBGrid3, 1);
             s.calc().Timer1->stop();
         },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE vega = 75")).toInt() == 1; }},
        {"save the composition under a name", [](Scene& s) { s.add(QStringLiteral("Сульфат магния")); },
         [](Scene& s) { s.save(QStringLiteral("Весенний")); },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_head_rar h JOIN t_save_rar l USING (id_head_rar) "
                                            "WHERE h.name_rar = 'Весенний'"))
                        .toInt() == 1;
         }},
        {"rename a saved solution",
         [](Scene& s) {
             s.add(QStringLiteral("Сульфат магния"));
             s.save(QStringLiteral("Весенний"));
         },
         [](Scene& s) {
             s.calc().N1->trigger();
             s.p().Form5->Edit1->setText(QStringLiteral("Летний"));
             QTest::keyClick(s.p().Form5->Edit1, Qt::Key_Return);
         },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT name_rar FROM t_head_rar")).toString() == "Летний"; }},
        {"delete a saved solution",
         [](Scene& s) {
             s.add(QStringLiteral("Сульфат магния"));
             s.save(QStringLiteral("Весенний"));
         },
         [](Scene& s) { s.calc().N5->trigger(); },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_head_rar")).toInt() == 0; }},
        {"delete a target after the question", [](Scene& s) { s.add(QStringLiteral("Кальциевая селитра")); },
         // The answer is asked for in the middle of the action, after the
         // typed target is posted: what came before the question is committed.
         [](Scene& s) {
             if (s.calc().ADOTable2.state() == DataSetState::Browse)
                 Scene::type(s.calc().dxDBGrid3, 0, 1, QStringLiteral("75"));
             s.calc().N10->trigger();
         },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt() == 11 &&
                    s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE vega = 75")).toInt() == 0;
         }},
        {"a handler's handler fails inside the action", [](Scene& s) { s.add(QStringLiteral("Кальциевая селитра")); },
         // The inner run reports nothing: the action that owns it does, once.
         [potassium](Scene& s) {
             s.calc().runGuarded([&] {
                 QVERIFY(Scene::locate(s.p().Form2->T_Udobra, QStringLiteral("name_udobra"), potassium));
                 s.calc().runGuarded([&] { s.calc().Button1Click(); });
                 s.calc().Button10Click();
             });
         },
         [potassium](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt() == 2; }},
        {"rename a fertilizer in its directory",
         [](Scene& s) { QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton); },
         [](Scene& s) {
             Scene::type(s.p().Form2->dxDBGrid2, 0, 0, QStringLiteral("Селитра"));
             Scene::clickRow(s.p().Form2->dxDBGrid2, 1);
         },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_udobra WHERE name_udobra = 'Селитра'")).toInt() ==
                    1;
         }},
        {"close the calculator with a target typed", [](Scene& s) { s.add(QStringLiteral("Кальциевая селитра")); },
         [](Scene& s) {
             if (s.calc().ADOTable2.state() == DataSetState::Browse)
                 Scene::type(s.calc().dxDBGrid3, 0, 1, QStringLiteral("75"));
             s.calc().close();
         },
         [](Scene& s) {
             return !s.calc().isVisible() &&
                    s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE vega = 75")).toInt() == 1;
         }},
    };
}

} // namespace

class StoreFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { FaultVfs::install(); }

    // spill: a page cache of two pages, so that the engine writes while a
    // statement runs (and the failure stops a handler half-way), not only
    // when the action commits.
    void everyActionSurvivesAFailingDisk_data() {
        QTest::addColumn<bool>("spill");
        QTest::newRow("at the commit") << false;
        QTest::newRow("inside statements") << true;
    }
    void everyActionSurvivesAFailingDisk() {
        QFETCH(bool, spill);
        FaultVfs& faults = FaultVfs::install();
        for (const ActionKind& kind : Kinds()) {
            int failures = 0;
            for (int n = 1;; ++n) {
                QVERIFY2(n < 400, kind.name);
                const int code = n % 2 ? SQLITE_FULL : SQLITE_IOERR;
                Scene s;
                kind.prepare(s);
                QVERIFY2(s.errors().isEmpty(), qPrintable(s.errors().join('\n')));
                if (spill)
                    QCOMPARE(sqlite3_exec(s.p().Form1->ADOConnection1.handle(), "PRAGMA cache_size=2", nullptr, nullptr,
                                          nullptr),
                             SQLITE_OK);
                faults.arm(n, code);
                kind.act(s);
                faults.disarm();
                const QString at = QStringLiteral("%1, write %2").arg(QString::fromUtf8(kind.name)).arg(n);
                if (s.errors().isEmpty()) {
                    // The fault came after the last write that mattered (a checkpoint), or never.
                    QVERIFY2(kind.done(s), qPrintable(at));
                    if (!faults.fired())
                        break;
                    continue;
                }
                ++failures;
                const QString shown = s.errors().last();
                const QString cause = code == SQLITE_FULL ? QStringLiteral("Недостаточно места на диске")
                                                          : QStringLiteral("Ошибка чтения или записи");
                QVERIFY2(shown.contains(cause) && shown.contains(QStringLiteral("(base.mdb")),
                         qPrintable(at + ": " + shown));
                QVERIFY2(!kind.leavesTrace || !kind.done(s), qPrintable(at + ": reported, yet in the file"));
                const QString difference = DifferenceFromFile(s.p(), s.sql());
                QVERIFY2(difference.isEmpty(), qPrintable(at + ": " + difference));

                const qsizetype errorsBefore = s.errors().size();
                kind.act(s);
                QVERIFY2(s.errors().size() == errorsBefore, qPrintable(at + ", again: " + s.errors().join('\n')));
                QVERIFY2(kind.done(s), qPrintable(at + ", again"));
                QVERIFY2(DifferenceFromFile(s.p(), s.sql()).isEmpty(), qPrintable(at + ", again"));
            }
            QVERIFY2(failures > 0, kind.name);
            qDebug("%s: %d failing writes", kind.name, failures);
        }
    }

    // A target typed as 0 and the litres typed into their box are stored when
    // the calculator closes, before its data sets are closed: the zero-target
    // rule deletes the row, the litres reach the file, and the window closes.
    void typedValuesAreStoredWhenTheCalculatorCloses() {
        Scene s;
        s.add(QStringLiteral("Кальциевая селитра"));
        s.save(QStringLiteral("Весенний"));
        const int targets = s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt();
        Scene::type(s.calc().dxDBGrid3, 0, 1, QStringLiteral("0"));
        QVERIFY(s.calc().close());
        QVERIFY(s.errors().isEmpty());
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt(), targets - 1);
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(s.calc().dxDBGrid1->model()->rowCount() > 0);
        QCOMPARE(s.calc().ADOTable2.recordCount(), targets - 1);

        s.calc().activateWindow();
        s.calc().dxDBSpinEdit1->setFocus();
        s.calc().dxDBSpinEdit1->selectAll();
        TypeText(s.calc().dxDBSpinEdit1, QStringLiteral("25"));
        QVERIFY(s.calc().close());
        QVERIFY(s.errors().isEmpty());
        QCOMPARE(s.scalar(QStringLiteral("SELECT kol_l FROM t_head_rar")).toDouble(), 25.0);
    }

    // A save that fails on the name leaves no half-made header behind: the
    // next save, with a good name, goes through.
    void aFailedSaveLeavesNothingHalfMade() {
        Scene s;
        s.add(QStringLiteral("Кальциевая селитра"));
        QTest::mouseClick(s.calc().Button5, Qt::LeftButton);
        QLineEdit* name = s.p().Form5->Edit1;
        name->setMaxLength(32767); // as if the box let a longer name through
        name->setText(QString(51, QLatin1Char('x')));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(s.errors().size(), 1);
        QCOMPARE(s.calc().T_HEAD_RAR.state(), DataSetState::Browse);
        name->setText(QStringLiteral("Весенний"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(s.errors().size(), 1);
        QCOMPARE(s.scalar(QStringLiteral("SELECT group_concat(name_rar) FROM t_head_rar")).toString(),
                 QStringLiteral("Весенний"));
        QVERIFY(DifferenceFromFile(s.p(), s.sql()).isEmpty());
    }

    // The file is renamed (or removed) while the program runs: nothing is
    // written into the old file as if it were saved; the action is refused
    // with that cause and the composition stays as it was.
    void theFileRemovedUnderTheProgram() {
        Scene s;
        s.add(QStringLiteral("Кальциевая селитра"));
        QVERIFY(QFile::rename(QStringLiteral("base.mdb"), QStringLiteral("moved.mdb")));
        s.add(QStringLiteral("Калиевая селитра"));
        QCOMPARE(s.errors().size(), 1);
        QVERIFY2(s.errors().front().contains(QStringLiteral("удалён или перемещён")), qPrintable(s.errors().front()));
        QCOMPARE(s.calc().T_rachet.recordCount(), 1);
    }

    // Another program holds the write lock longer than the busy timeout: the
    // action is refused with that cause, nothing of it stays, and it goes
    // through once the lock is released.
    void aWriteLockHeldByAnotherProgram() {
        Scene s;
        s.add(QStringLiteral("Кальциевая селитра"));
        SqlFile other;
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES ('Чужая')"));
        s.add(QStringLiteral("Калиевая селитра"));
        QCOMPARE(s.errors().size(), 1);
        QVERIFY2(s.errors().front().contains(QStringLiteral("занята другой программой")),
                 qPrintable(s.errors().front()));
        QVERIFY(DifferenceFromFile(s.p(), s.sql()).isEmpty());
        QCOMPARE(s.calc().T_rachet.recordCount(), 1);
        other.exec(QStringLiteral("ROLLBACK"));
        s.add(QStringLiteral("Калиевая селитра"));
        QCOMPARE(s.errors().size(), 1);
        QCOMPARE(s.calc().T_rachet.recordCount(), 2);
        QVERIFY(DifferenceFromFile(s.p(), s.sql()).isEmpty());
    }
};

QTEST_MAIN(StoreFaultsTest)
#include "test_store_faults.moc"
