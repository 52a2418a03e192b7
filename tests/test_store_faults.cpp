// SPDX-License-Identifier: GPL-3.0-or-later
// The store under faults, through the real windows: for each kind of user
// action, writes to the disk fail from the N-th one on (a full disk, an I/O
// error), for every N until the action no longer reaches the fault. After
// each failure the box names the cause and the file, every open data set
// holds exactly what the file holds, and with the fault gone the same action
// succeeds. Also: a write that meets another program holding the file's
// write lock past the busy timeout.

#include "directories_fixture.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/number_spin_box.h"
#include "store/database.h"
#include "support/fault_vfs.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/composition_pane.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/solutions/solution_name_dialog.h"

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

// The whole program on the starter database; open() shows the calculator as
// the launcher's "Калькулятор" does. Every step that needs a widget returns
// whether it found it, for the test to check.
class Scene : public DirectorySession {
public:
    Scene() : DirectorySession(Base::Starter, AddBareCrop) {}

    bool open() {
        auto* button = Child<QPushButton>(p().launcher(), QStringLiteral("RzButton2"));
        if (!button)
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return calc().isVisible();
    }

    CalculatorWindow& calc() { return p().calculator(); }
    template <typename T> T* inCalc(const char* objectName) {
        return Child<T>(calc(), QString::fromLatin1(objectName));
    }
    DBGrid* grid(const char* objectName) { return inCalc<DBGrid>(objectName); }
    // A menu entry of the calculator, chosen.
    bool trigger(const char* objectName) {
        auto* item = inCalc<QAction>(objectName);
        if (item)
            item->trigger();
        return item != nullptr;
    }
    QLineEdit* nameBox() { return Child<QLineEdit>(p().nameDialog(), QStringLiteral("Edit1")); }

    // Puts a fertilizer into the composition with ">", as a user does.
    bool add(const QString& fertilizer) {
        auto* button = inCalc<QPushButton>("Button1");
        if (!button || !locate(data().fertilizers, QStringLiteral("name_udobra"), fertilizer))
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // Saves the composition under a name through the name dialog.
    bool save(const QString& name) {
        auto* button = inCalc<QPushButton>("Button5");
        QLineEdit* box = nameBox();
        if (!button || !box)
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        box->setText(name);
        QTest::keyClick(box, Qt::Key_Return);
        return true;
    }

    // Types a value into a grid cell (row, column) and leaves the editor
    // open; false when the grid is missing or no cell editor opened.
    static bool type(DBGrid* grid, int row, int column, const QString& text) {
        if (!grid)
            return false;
        grid->window()->activateWindow();
        if (!QTest::qWaitForWindowActive(grid->window()))
            return false;
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
        if (!editor)
            return false;
        if (auto* spin = qobject_cast<NumberSpinBox*>(editor))
            spin->selectAll();
        else
            static_cast<QLineEdit*>(editor)->selectAll();
        TypeText(editor, text);
        return true;
    }

    static bool clickRow(DBGrid* grid, int row) {
        if (!grid)
            return false;
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        return true;
    }
};

// Where an open data set differs from a fresh read of its table; empty when
// every one holds exactly the file's rows.
QString DifferenceFromFile(Program& program, SqlFile& sql) {
    for (DataSet* set : program.data().connection().dataSets()) {
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
    std::function<bool(Scene&)> prepare; // runs before the fault is armed; false: a widget was not found
    std::function<bool(Scene&)> act;     // the user's action; run again once the fault is gone
    std::function<bool(Scene&)> done;    // the action's effect is there
    bool leavesTrace = true;             // the effect is a change of the file
};

std::vector<ActionKind> Kinds() {
    const QString potassium = QStringLiteral("Калиевая селитра");
    return {
        {"add a fertilizer, fit and calculate",
         [](Scene& s) {
             return s.add(QStringLiteral("Кальциевая селитра")) && s.add(QStringLiteral("Монофосфат калия"));
         },
         [potassium](Scene& s) { return s.add(potassium); },
         [potassium](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_rachet r JOIN t_udobra u USING (id_udobra) "
                                            "WHERE u.name_udobra = ?"),
                             {potassium})
                        .toInt() == 1;
         }},
        {"click a crop without targets", [](Scene&) { return true; },
         [](Scene& s) {
             // The list is completed on every click of the crop.
             return Scene::clickRow(s.grid("dxDBGrid6"), s.data().crops.recordCount() - 1);
         },
         // Each row appended goes again by the zero-target rule: only the cursor moves.
         [](Scene& s) { return s.data().crops.fieldByName(QStringLiteral("name_kult"))->asString() == "Без целей"; },
         false},
        {"edit a target", [](Scene&) { return true; },
         [](Scene& s) {
             auto* timer = s.inCalc<QTimer>("Timer1");
             if (!timer || !Scene::type(s.grid("dxDBGrid3"), 0, 1, QStringLiteral("75")) ||
                 !Scene::clickRow(s.grid("dxDBGrid3"), 1))
                 return false;
             // The recipe the edit arms is not part of the action.
             timer->stop();
             return true;
         },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE vega = 75")).toInt() == 1; }},
        {"save the composition under a name", [](Scene& s) { return s.add(QStringLiteral("Сульфат магния")); },
         [](Scene& s) { return s.save(QStringLiteral("Весенний")); },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_head_rar h JOIN t_save_rar l USING (id_head_rar) "
                                            "WHERE h.name_rar = 'Весенний'"))
                        .toInt() == 1;
         }},
        {"rename a saved solution",
         [](Scene& s) { return s.add(QStringLiteral("Сульфат магния")) && s.save(QStringLiteral("Весенний")); },
         [](Scene& s) {
             QLineEdit* box = s.nameBox();
             if (!box || !s.trigger("N1"))
                 return false;
             box->setText(QStringLiteral("Летний"));
             QTest::keyClick(box, Qt::Key_Return);
             return true;
         },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT name_rar FROM t_head_rar")).toString() == "Летний"; }},
        {"delete a saved solution",
         [](Scene& s) { return s.add(QStringLiteral("Сульфат магния")) && s.save(QStringLiteral("Весенний")); },
         [](Scene& s) { return s.trigger("N5"); },
         [](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_head_rar")).toInt() == 0; }},
        {"delete a target after the question", [](Scene& s) { return s.add(QStringLiteral("Кальциевая селитра")); },
         // The answer is asked for in the middle of the action, after the
         // typed target is posted: what came before the question is committed.
         [](Scene& s) {
             if (s.data().targets.state() == DataSetState::Browse &&
                 !Scene::type(s.grid("dxDBGrid3"), 0, 1, QStringLiteral("75")))
                 return false;
             return s.trigger("N10");
         },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt() == 11 &&
                    s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE vega = 75")).toInt() == 0;
         }},
        {"a handler's handler fails inside the action",
         [](Scene& s) { return s.add(QStringLiteral("Кальциевая селитра")); },
         // The inner run reports nothing: the action that owns it does, once.
         [potassium](Scene& s) {
             if (!Scene::locate(s.data().fertilizers, QStringLiteral("name_udobra"), potassium))
                 return false;
             s.calc().runGuarded([&] {
                 s.calc().runGuarded([&] { s.calc().compositionPane()->addFertilizer(); });
                 s.calc().solution().recipe();
             });
             return true;
         },
         [potassium](Scene& s) { return s.scalar(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt() == 2; }},
        {"rename a fertilizer in its directory",
         [](Scene& s) {
             auto* button = Child<QPushButton>(s.p().launcher(), QStringLiteral("RzButton1"));
             if (button)
                 QTest::mouseClick(button, Qt::LeftButton);
             return button != nullptr;
         },
         [](Scene& s) {
             auto* list = Child<DBGrid>(s.p().fertilizerDirectory(), QStringLiteral("dxDBGrid2"));
             return Scene::type(list, 0, 0, QStringLiteral("Селитра")) && Scene::clickRow(list, 1);
         },
         [](Scene& s) {
             return s.scalar(QStringLiteral("SELECT count(*) FROM t_udobra WHERE name_udobra = 'Селитра'")).toInt() ==
                    1;
         }},
        {"close the calculator with a target typed",
         [](Scene& s) { return s.add(QStringLiteral("Кальциевая селитра")); },
         [](Scene& s) {
             if (s.data().targets.state() == DataSetState::Browse &&
                 !Scene::type(s.grid("dxDBGrid3"), 0, 1, QStringLiteral("75")))
                 return false;
             s.calc().close();
             return true;
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
                QVERIFY(s.open());
                QVERIFY2(kind.prepare(s), kind.name);
                QVERIFY2(s.errors().isEmpty(), qPrintable(s.errors().join('\n')));
                if (spill)
                    QCOMPARE(
                        sqlite3_exec(s.data().connection().handle(), "PRAGMA cache_size=2", nullptr, nullptr, nullptr),
                        SQLITE_OK);
                faults.arm(n, code);
                const bool acted = kind.act(s);
                faults.disarm();
                QVERIFY2(acted, kind.name);
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
                QVERIFY2(kind.act(s), qPrintable(at + ", again"));
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
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра")));
        QVERIFY(s.save(QStringLiteral("Весенний")));
        const int targets = s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt();
        QVERIFY(Scene::type(s.grid("dxDBGrid3"), 0, 1, QStringLiteral("0")));
        QVERIFY(s.calc().close());
        QVERIFY(s.errors().isEmpty());
        QCOMPARE(s.scalar(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = 1")).toInt(), targets - 1);
        QVERIFY(s.open());
        QVERIFY(s.grid("dxDBGrid1")->model()->rowCount() > 0);
        QCOMPARE(s.data().targets.recordCount(), targets - 1);

        auto* litres = s.inCalc<DBSpinBox>("dxDBSpinEdit1");
        QVERIFY(litres);
        s.calc().activateWindow();
        litres->setFocus();
        litres->selectAll();
        TypeText(litres, QStringLiteral("25"));
        QVERIFY(s.calc().close());
        QVERIFY(s.errors().isEmpty());
        QCOMPARE(s.scalar(QStringLiteral("SELECT kol_l FROM t_head_rar")).toDouble(), 25.0);
    }

    // A save that fails on the name leaves no half-made header behind: the
    // next save, with a good name, goes through.
    void aFailedSaveLeavesNothingHalfMade() {
        Scene s;
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра")));
        auto* saveButton = s.inCalc<QPushButton>("Button5");
        QLineEdit* name = s.nameBox();
        QVERIFY(saveButton && name);
        QTest::mouseClick(saveButton, Qt::LeftButton);
        name->setMaxLength(32767); // as if the box let a longer name through
        name->setText(QString(51, QLatin1Char('x')));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(s.errors().size(), 1);
        QCOMPARE(s.data().savedSolutions.state(), DataSetState::Browse);
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
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра")));
        QVERIFY(QFile::rename(QStringLiteral("base.mdb"), QStringLiteral("moved.mdb")));
        QVERIFY(s.add(QStringLiteral("Калиевая селитра")));
        QCOMPARE(s.errors().size(), 1);
        QVERIFY2(s.errors().front().contains(QStringLiteral("удалён или перемещён")), qPrintable(s.errors().front()));
        QCOMPARE(s.data().composition.recordCount(), 1);
    }

    // Another program holds the write lock longer than the busy timeout: the
    // action is refused with that cause, nothing of it stays, and it goes
    // through once the lock is released.
    void aWriteLockHeldByAnotherProgram() {
        Scene s;
        QVERIFY(s.open());
        QVERIFY(s.add(QStringLiteral("Кальциевая селитра")));
        SqlFile other;
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES ('Чужая')"));
        QVERIFY(s.add(QStringLiteral("Калиевая селитра")));
        QCOMPARE(s.errors().size(), 1);
        QVERIFY2(s.errors().front().contains(QStringLiteral("занята другой программой")),
                 qPrintable(s.errors().front()));
        QVERIFY(DifferenceFromFile(s.p(), s.sql()).isEmpty());
        QCOMPARE(s.data().composition.recordCount(), 1);
        other.exec(QStringLiteral("ROLLBACK"));
        QVERIFY(s.add(QStringLiteral("Калиевая селитра")));
        QCOMPARE(s.errors().size(), 1);
        QCOMPARE(s.data().composition.recordCount(), 2);
        QVERIFY(DifferenceFromFile(s.p(), s.sql()).isEmpty());
    }
};

QTEST_MAIN(StoreFaultsTest)
#include "test_store_faults.moc"
