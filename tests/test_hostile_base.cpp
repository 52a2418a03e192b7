// SPDX-License-Identifier: GPL-3.0-or-later
// A base.mdb from someone else cannot harm the grower. Each hostile file is
// built here and the whole program is started on it: what it says, that a
// refused file (and what lies beside it) is left exactly as it was, and that
// the windows work on a file that is taken. Also size.ini linked elsewhere or
// to a device.

#include "app/launcher_window.h"
#include "app/program.h"
#include "controls/message_service.h"
#include "core/error.h"
#include "store/database.h"
#include "store/open_base.h"
#include "support/test_base.h"
#include "support/test_dir.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/composition_pane.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QtTest>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace solvane;
using namespace solvane::test;

namespace {

// A small base: three elements, two fertilizers with their content, one crop
// with three targets, the options row; more rows or schema by extra.
void MakeBase(const QString& extra = QString()) {
    CreateBaseFile();
    SqlFile(QStringLiteral("base.mdb"))
        .script(QStringLiteral(
                    "INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof) VALUES"
                    " (1, 'N', 'Азот', 0), (2, 'P', 'Фосфор', 0), (3, 'K', 'Калий', 0);"
                    "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES (1, 'Селитра', 800), (2, 'Монофосфат', "
                    "600);"
                    "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                    " (1, 1, 15), (3, 1, 30), (2, 2, 22), (3, 2, 28);"
                    "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Томат', '6');"
                    "INSERT INTO t_konc (id_konc, vega, cvet, id_kult, id_el, rachet, weight) VALUES"
                    " (1, 150, 150, 1, 1, 0, 1), (2, 50, 50, 1, 2, 0, 1), (3, 200, 200, 1, 3, 0, 1);"
                    "INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
                    " avto, ppm1, ppm2, kult, maxim, fit_mode) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250, "
                    "0);") +
                extra);
}

// The base and the files beside it, with their bytes (a FIFO or a device by
// its kind only; the "-shm", the engine's shared memory, by its presence):
// what "left as it was" compares.
QMap<QString, QByteArray> BaseFiles() {
    QMap<QString, QByteArray> files;
    for (const QFileInfo& info :
         QDir().entryInfoList({QStringLiteral("base.mdb*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs)) {
        struct stat st {};
        if (info.fileName().endsWith(QLatin1String("-shm")))
            files.insert(info.fileName(), QByteArray());
        else if (::lstat(QFile::encodeName(info.fileName()).constData(), &st) == 0 && S_ISREG(st.st_mode))
            files.insert(info.fileName(), FileBytes(info.fileName()));
        else
            files.insert(info.fileName(), QByteArray::number(st.st_mode, 8));
    }
    return files;
}

// The program started in the working directory, answering its boxes
// silently; empty, with the refusal, when it does not start.
std::unique_ptr<Program> Start(QString* refusal = nullptr) {
    try {
        auto program = std::make_unique<Program>();
        program->messages().setMode(MessageService::Mode::Headless);
        QObject::disconnect(program.get(), &Program::ending, nullptr, nullptr);
        program->launcher().show();
        return program;
    } catch (const Error& e) {
        if (refusal)
            *refusal = e.message();
        return nullptr;
    }
}

QStringList Shown(Program& program, MessageKind kind) {
    QStringList texts;
    for (const ShownMessage& m : program.messages().shown())
        if (m.kind == kind)
            texts << m.text;
    return texts;
}

// ">" for a fertilizer, as a user's click; false when it failed.
bool Add(Program& program, int fertilizer) {
    DataSet& list = program.data().fertilizers;
    Field* id = list.fieldByName(QStringLiteral("id_udobra"));
    for (list.first(); !list.eof() && id->asInteger() != fertilizer; list.next()) {
    }
    CalculatorWindow& calc = program.calculator();
    return calc.runGuarded([&calc] { calc.compositionPane()->addFertilizer(); });
}

// Puts the file's modification time this many seconds before the base's.
bool MakeOlder(const QString& name, int seconds) {
    QFile file(name);
    const QDateTime base = QFileInfo(QStringLiteral("base.mdb")).lastModified();
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(base.addSecs(-seconds), QFileDevice::FileModificationTime);
}

// Another base's write-ahead log with its frames still in it.
QByteArray ForeignWal() {
    sqlite3* db = nullptr;
    sqlite3_open("other.mdb", &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int*>(nullptr));
    sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES (1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray wal = FileBytes(QStringLiteral("other.mdb-wal"));
    for (const char* name : {"other.mdb", "other.mdb-wal", "other.mdb-shm"})
        QFile::remove(QString::fromLatin1(name));
    return wal;
}

bool WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Writes garbage over a page of the file (1-based), past its header on page 1.
bool Scribble(const QString& name, int page) {
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(qint64(page - 1) * 4096 + (page == 1 ? 100 : 0)))
        return false;
    return file.write(QByteArray(64, '\xA5')) == 64;
}

// For a while the process has a grower's rights, not root's (file
// permissions are then what they are for the grower); nothing for a user
// who is not root.
class AsGrower {
public:
    AsGrower() {
        if (::geteuid() != 0)
            return;
        dropped_ = ::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0;
    }
    ~AsGrower() {
        if (dropped_ && ::setresuid(0, 0, 0) == 0)
            ::setresgid(0, 0, 0);
    }
    AsGrower(const AsGrower&) = delete;
    AsGrower& operator=(const AsGrower&) = delete;
    bool ok() const { return dropped_ || ::geteuid() != 0; }

private:
    bool dropped_ = false;
};

// A statement made slow by the test, as a file could make one before its
// triggers were switched off: test_slow() runs a query that never ends on the
// connection it is called on, unless it is let off.
bool gSlowLetOff = false;
void TestSlow(sqlite3_context* context, int, sqlite3_value**) {
    if (!gSlowLetOff) {
        const int rc = sqlite3_exec(sqlite3_context_db_handle(context),
                                    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) "
                                    "FROM c",
                                    nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_result_error_code(context, rc);
            return;
        }
    }
    sqlite3_result_int(context, 1);
}
int RegisterTestSlow(sqlite3* db) {
    return sqlite3_create_function(db, "test_slow", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   &TestSlow, nullptr, nullptr);
}

} // namespace

class HostileBaseTest : public QObject {
    Q_OBJECT
private slots:
    void init() { dir_ = std::make_unique<WorkingDirectory>(); }
    void cleanup() {
        QFile::setPermissions(QDir::currentPath(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        dir_.reset();
    }

    // Each file the program must refuse: the refusal names the file and the
    // cause, no window is made, and the file and what lies beside it are
    // exactly as they were, byte for byte, with nothing new beside them.
    void aRefusedFileIsLeftAsItWas_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("exactly");
        const auto row = [](const char* kind, const QString& said, bool exactly) {
            QTest::newRow(kind) << QString::fromLatin1(kind) << said << exactly;
        };
        row("fifo", QStringLiteral("base.mdb»: это именованный канал (FIFO), а не файл."), false);
        row("device", QStringLiteral("base.mdb»: это устройство, а не файл."), false);
        for (const char* side : {"-wal", "-journal"})
            row(side,
                QStringLiteral("Рядом с «base.mdb» лежит файл «base.mdb%1», который старше самой базы: вероятно, он "
                               "остался от другой базы. Если базу заменили копией, переместите «base.mdb%1» в "
                               "другую папку.")
                    .arg(QLatin1String(side)),
                true);
        row("damaged",
            QStringLiteral("Файл «base.mdb» повреждён: Solvane его не открывает и ничего в него не записывает. "
                           "Восстановите базу из копии."),
            true);
        row("negative version",
            QStringLiteral("Файл «base.mdb» создан не Solvane или повреждён: версия схемы -2 не бывает "
                           "отрицательной."),
            true);
        // A file in the rollback journal: switching it to WAL would change its header.
        row("newer version", QStringLiteral("Файл «base.mdb» создан более новой версией Solvane (версия схемы 9)."),
            true);
        row("virtual table", QStringLiteral(": таблица «T_kult» в ней виртуальная, а не обычная."), false);
        row("without rowid",
            QStringLiteral(": таблица «t_kof» в ней устроена иначе: без номеров строк (WITHOUT "
                           "ROWID) или с другим первичным ключом."),
            false);
        row("view", QStringLiteral(": «T_kult» в ней — представление, а не таблица."), false);
        row("missing column", QStringLiteral(": в таблице «t_konc» нет столбца «rachet»."), false);
        row("key",
            QStringLiteral(": столбец «id_head_rar» таблицы «t_head_rar» не является её ключом (INTEGER "
                           "PRIMARY KEY)."),
            false);
        row("upgrade collides",
            QStringLiteral(": в ней уже есть «t_water», а эту таблицу добавит обновление до версии "
                           "схемы 1."),
            false);
        row("unreadable", QStringLiteral("base.mdb»: нет прав доступа."), false);
        row("read-only, older",
            QStringLiteral("База «base.mdb» создана прежней версией Solvane и открыта только для "
                           "чтения: её нельзя обновить. Разрешите запись в файл и папку."),
            true);
    }
    void aRefusedFileIsLeftAsItWas() {
        QFETCH(QString, kind);
        QFETCH(QString, said);
        QFETCH(bool, exactly);
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo("base.mdb", 0600), 0);
        } else if (kind == QLatin1String("device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("base.mdb")));
        } else if (kind.startsWith(QLatin1Char('-'))) {
            MakeBase();
            const QString side = QStringLiteral("base.mdb") + kind;
            QVERIFY(WriteFile(side, kind == QLatin1String("-wal") ? ForeignWal() : QByteArray(512, '\x01')));
            QVERIFY(MakeOlder(side, 60));
        } else if (kind == QLatin1String("damaged")) {
            MakeBase();
            QVERIFY(Scribble(QStringLiteral("base.mdb"), 3));
        } else if (kind == QLatin1String("negative version")) {
            MakeBase(QStringLiteral("PRAGMA user_version = -2;"));
        } else if (kind == QLatin1String("newer version")) {
            MakeBase(QStringLiteral("PRAGMA user_version = 9;"));
        } else if (kind == QLatin1String("virtual table")) {
            MakeBase(
                QStringLiteral("DROP TABLE T_kult; CREATE VIRTUAL TABLE T_kult USING fts5(id_kult, name_kult, ph);"));
        } else if (kind == QLatin1String("without rowid")) {
            MakeBase(QStringLiteral("DROP TABLE t_kof; CREATE TABLE t_kof (id_kof INTEGER PRIMARY KEY, name_kof TEXT, "
                                    "kof REAL, id_element INTEGER) WITHOUT ROWID;"));
        } else if (kind == QLatin1String("view")) {
            MakeBase(QStringLiteral("DROP TABLE T_kult; CREATE VIEW T_kult AS SELECT 1 AS id_kult, 'x' AS name_kult, "
                                    "'' AS ph;"));
        } else if (kind == QLatin1String("missing column")) {
            MakeBase(QStringLiteral("ALTER TABLE t_konc DROP COLUMN rachet;"));
        } else if (kind == QLatin1String("key")) {
            MakeBase(QStringLiteral("DROP TABLE t_head_rar; CREATE TABLE t_head_rar (id_head_rar INTEGER, name_rar "
                                    "TEXT, id_konc INTEGER, kol_l REAL, konc INTEGER);"));
        } else if (kind == QLatin1String("unreadable")) {
            MakeBase();
            QVERIFY(
                QFile::setPermissions(QStringLiteral("base.mdb"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        } else if (kind == QLatin1String("upgrade collides") || kind == QLatin1String("read-only, older")) {
            QVERIFY(QFile::copy(QStringLiteral(SOLVANE_FIXTURES "/base-v0.mdb"), QStringLiteral("base.mdb")));
            QVERIFY(QFile::setPermissions(QStringLiteral("base.mdb"),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
            if (kind == QLatin1String("upgrade collides"))
                SqlFile(QStringLiteral("base.mdb")).exec(QStringLiteral("CREATE TABLE t_water (x INTEGER)"));
        }
        const QMap<QString, QByteArray> before = BaseFiles();

        // The older base is the grower's to read, not to write (nor its
        // folder); the unreadable one is not the grower's to read.
        const bool readOnly = kind == QLatin1String("read-only, older") || kind == QLatin1String("unreadable");
        QVERIFY(QFile::setPermissions(QDir::currentPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                               QFileDevice::ExeOther));
        QString refusal;
        std::unique_ptr<Program> program;
        {
            std::unique_ptr<AsGrower> grower(readOnly ? new AsGrower : nullptr);
            QVERIFY(!grower || grower->ok());
            program = Start(&refusal);
        }
        QVERIFY2(!program, "the program started");
        if (exactly)
            QCOMPARE(refusal, said);
        else
            QVERIFY2(refusal.contains(said), qPrintable(refusal));
        QCOMPARE(BaseFiles(), before);
    }

    // Triggers and views in the file never run, whatever the user does; the
    // start-up box says so once, and they stay in the file as they were.
    void aTriggerInTheFileNeverRuns() {
        MakeBase(QStringLiteral(
            "CREATE TRIGGER wipe AFTER INSERT ON t_rachet BEGIN DELETE FROM T_sostav_udobra; END;"
            "CREATE TRIGGER triple AFTER UPDATE ON t_konc BEGIN UPDATE t_konc SET vega = vega * 3; END;"
            "CREATE TRIGGER endless BEFORE UPDATE ON t_rachet BEGIN WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
            "SELECT x + 1 FROM c) SELECT count(*) FROM c; END;"
            "CREATE VIEW everything AS SELECT * FROM t_udobra;"));
        const auto objects = [] {
            return SqlFile().rows(QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN ('trigger', "
                                                 "'view') ORDER BY name"));
        };
        const auto before = objects();
        auto program = Start();
        QVERIFY(program);
        QCOMPARE(Shown(*program, MessageKind::Warning),
                 QStringList{QStringLiteral("В базе «base.mdb» есть триггеры и представления, которые Solvane не "
                                            "выполняет: endless, everything, triple, wipe.")});
        program->calculator().show();
        QVERIFY(Add(*program, 1));
        QVERIFY(Add(*program, 2));
        QVERIFY(Shown(*program, MessageKind::Error).isEmpty());
        SqlFile file;
        QCOMPARE(file.value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 2);
        QCOMPARE(file.value(QStringLiteral("SELECT count(*) FROM T_sostav_udobra")).toInt(), 4);
        QCOMPARE(file.numbers(QStringLiteral("SELECT vega FROM t_konc ORDER BY id_konc")),
                 (std::vector<double>{150, 50, 200}));
        QVERIFY(file.value(QStringLiteral("SELECT rachet FROM t_konc WHERE id_konc = 1")).toDouble() > 0);
        // Closing the calculator opens the base again: the box is not shown again.
        program->calculator().close();
        QCOMPARE(program->messages().shown().size(), size_t(1));
        QCOMPARE(objects(), before);
    }

    // A statement that runs too long is stopped; the action fails with what
    // happened, and the data sets hold what the file holds.
    void aQueryThatRunsTooLongIsStopped() {
        MakeBase();
        {
            SqlFile file;
            QCOMPARE(RegisterTestSlow(file.handle()), SQLITE_OK);
            file.exec(QStringLiteral("CREATE INDEX slow_amounts ON t_rachet (test_slow(kol))"));
        }
        auto program = Start();
        QVERIFY(program);
        Connection& connection = program->data().connection();
        QCOMPARE(RegisterTestSlow(connection.handle()), SQLITE_OK);
        connection.setStatementTimeLimit(std::chrono::milliseconds(200));
        program->calculator().show();
        gSlowLetOff = false;
        QVERIFY(!Add(*program, 1));
        QCOMPARE(Shown(*program, MessageKind::Error),
                 QStringList{QStringLiteral("Запрос к базе выполнялся слишком долго и был прерван: последнее действие "
                                            "не сохранено (base.mdb)")});
        QCOMPARE(SqlFile().value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 0);
        QCOMPARE(program->data().composition.recordCount(), 0);
        // Quick again, the same action works.
        gSlowLetOff = true;
        QVERIFY(Add(*program, 1));
        QCOMPARE(SqlFile().value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 1);
        QCOMPARE(program->data().composition.recordCount(), 1);
    }

    // A file that turns out damaged while the program works is never written
    // again: the failure is reported, every later action that would write
    // says why it cannot, and neither the file nor its log change any more.
    void aFileDamagedInUseIsNeverWrittenAgain() {
        MakeBase();
        auto program = Start();
        QVERIFY(program);
        program->calculator().show();
        QVERIFY(Add(*program, 1));
        const int root =
            SqlFile().value(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 't_rachet'")).toInt();
        // The disk fails under the program: the composition's page is garbage now.
        Connection& connection = program->data().connection();
        QCOMPARE(sqlite3_wal_checkpoint_v2(connection.handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(Scribble(QStringLiteral("base.mdb"), root));
        sqlite3_db_release_memory(connection.handle());
        QVERIFY(!Add(*program, 2));
        QCOMPARE(Shown(*program, MessageKind::Error).size(), 1);
        QVERIFY2(Shown(*program, MessageKind::Error).front().startsWith(QStringLiteral("Файл базы данных повреждён")),
                 qPrintable(Shown(*program, MessageKind::Error).front()));
        QVERIFY(!connection.writable());
        const QMap<QString, QByteArray> reported = BaseFiles();
        program->messages().clearShown();

        const QString refusal = QStringLiteral("Файл «base.mdb» повреждён: Solvane больше ничего в него не "
                                               "записывает. Закройте программу и восстановите базу из копии.");
        CalculatorWindow& calc = program->calculator();
        const auto edit = [&](DataSet& set, const char* field, const QVariant& value) {
            return calc.runGuarded([&] {
                set.edit();
                set.fieldByName(QString::fromLatin1(field))->setValue(value);
                set.post();
            });
        };
        QVERIFY(!edit(program->data().crops, "name_kult", QStringLiteral("Огурец")));
        QVERIFY(!edit(program->data().targets, "vega", 120));
        QCOMPARE(Shown(*program, MessageKind::Error), (QStringList{refusal, refusal}));
        // Closing the calculator opens the base again, read-only.
        calc.close();
        program.reset();
        QCOMPARE(BaseFiles(), reported);
    }

    // A "-wal" newer than the base is the log of a crash, applied as usual.
    void aLogNewerThanTheBaseIsApplied() {
        MakeBase();
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open("base.mdb", &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int*>(nullptr));
        QCOMPARE(sqlite3_exec(db, "INSERT INTO T_kult (name_kult) VALUES ('Огурец')", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QVERIFY(QFileInfo(QStringLiteral("base.mdb-wal")).size() > 0);
        auto program = Start();
        QVERIFY(program);
        QCOMPARE(program->data().crops.recordCount(), 2);
    }

    // A base that cannot be written opens read-only and says so once; the
    // windows work and calculate in memory; every action that would write is
    // refused with the same words; nothing is made beside the file and the
    // file is not changed.
    void aBaseThatCannotBeWrittenOpensReadOnly_data() {
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("file read-only") << true;
        QTest::newRow("folder read-only") << false;
    }
    void aBaseThatCannotBeWrittenOpensReadOnly() {
        QFETCH(bool, folderWritable);
        MakeBase();
        {
            Connection connection; // in the program's journal mode, as a grower's base is
            connection.open();
        }
        QVERIFY(QFile::setPermissions(QStringLiteral("base.mdb"), QFileDevice::ReadOwner | QFileDevice::ReadOther));
        QVERIFY(WriteFile(
            QStringLiteral("size.ini"),
            "0\r\n0\r\n0\r\n630\r\n465\r\n603\r\n627\r\n738\r\n936\r\n230\r\n577\r\n355\r\n258\r\n307\r\n416\r\n"));
        QFile::Permissions folder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadOther | QFileDevice::ExeOther;
        if (folderWritable)
            folder |= QFileDevice::WriteOther;
        QVERIFY(QFile::setPermissions(QDir::currentPath(), folder));
        const QByteArray bytes = FileBytes();
        const AsGrower grower;
        QVERIFY(grower.ok());
        auto program = Start();
        QVERIFY(program);
        const QString readOnly = QStringLiteral("База «base.mdb» открыта только для чтения: изменения не сохранятся.");
        QCOMPARE(Shown(*program, MessageKind::Warning), QStringList{readOnly});
        CalculatorWindow& calc = program->calculator();
        calc.show();
        // The calculation runs in memory and says nothing.
        DataSet& targets = program->data().targets;
        QVERIFY(calc.runGuarded([&] {
            targets.first();
            targets.edit();
            targets.fieldByName(QStringLiteral("rachet"))->setAsFloat(12.5);
            targets.post();
        }));
        QCOMPARE(targets.fieldByName(QStringLiteral("rachet"))->asFloat(), 12.5);
        // So is the crop in use, remembered for this run only.
        QVERIFY(calc.runGuarded([&] {
            program->data().crops.next();
            calc.cropPane()->cropPosted();
        }));
        QVERIFY(Shown(*program, MessageKind::Error).isEmpty());
        QVERIFY(!Add(*program, 1));
        QVERIFY(!calc.runGuarded([&] {
            targets.edit();
            targets.fieldByName(QStringLiteral("vega"))->setAsFloat(99);
            targets.post();
        }));
        QCOMPARE(Shown(*program, MessageKind::Error), (QStringList{readOnly, readOnly}));
        QCOMPARE(program->data().composition.recordCount(), 0);
        program.reset();
        QCOMPARE(FileBytes(), bytes);
        for (const char* side : {"base.mdb-wal", "base.mdb-shm", "base.mdb-journal"})
            QVERIFY2(!QFileInfo::exists(QString::fromLatin1(side)), side);
    }

    // Cells that are not what their column says read as empty (or their
    // column's default), are listed once at start-up, and stay in the file as
    // they are until the user changes them; the windows work as usual.
    void cellsThatAreNotWhatTheirColumnSays() {
        QString extra = QStringLiteral(
            "UPDATE T_sostav_udobra SET kol_element = 'abc' WHERE id_sostav_udobra = 1;"
            "UPDATE T_sostav_udobra SET kol_element = '30.5' WHERE id_sostav_udobra = 2;"
            "UPDATE t_konc SET vega = x'00ff' WHERE id_konc = 2;"
            "UPDATE t_konc SET weight = 1e308 WHERE id_konc = 1;"
            "UPDATE t_konc SET cvet = 9e999 WHERE id_konc = 3;"
            "UPDATE t_udobra SET ppm = -5 WHERE id_udobra = 2;"
            "UPDATE t_opt SET fit_mode = 7;"
            "INSERT INTO t_rachet (id_rachet, id_udobra, kol, kol_min, kol_max) VALUES (1, 'один', -3, 5, 2);");
        for (int i = 0; i < 20; ++i)
            extra += QStringLiteral("INSERT INTO T_kult (name_kult, ph) VALUES ('Культура', 'x');"
                                    "INSERT INTO t_head_rar (name_rar, id_konc, kol_l, konc) VALUES ('Р', 1, 0, 100);");
        MakeBase(extra);
        auto program = Start();
        QVERIFY(program);
        const QStringList box = Shown(*program, MessageKind::Warning);
        QCOMPARE(box.size(), 1);
        QStringList lines = box.front().split(QLatin1Char('\n'));
        QCOMPARE(lines.takeFirst(),
                 QStringLiteral("В базе «base.mdb» есть значения, которых не бывает в их полях. "
                                "Solvane читает их как пустые (поле берёт значение по умолчанию) и не "
                                "меняет в файле, пока эти строки не изменят:"));
        QCOMPARE(lines.mid(0, 10), (QStringList{
                                       QStringLiteral("t_udobra.ppm, id_udobra = 2: -5"),
                                       QStringLiteral("T_sostav_udobra.kol_element, id_sostav_udobra = 1: «abc»"),
                                       QStringLiteral("t_konc.weight, id_konc = 1: 1E308"),
                                       QStringLiteral("t_konc.vega, id_konc = 2: двоичные данные (байт: 2)"),
                                       QStringLiteral("t_konc.cvet, id_konc = 3: INF"),
                                       QStringLiteral("t_rachet.id_udobra, id_rachet = 1: «один»"),
                                       QStringLiteral("t_rachet.kol_min, id_rachet = 1: 5"),
                                       QStringLiteral("t_head_rar.kol_l, id_head_rar = 1: 0"),
                                       QStringLiteral("t_head_rar.kol_l, id_head_rar = 2: 0"),
                                       QStringLiteral("t_head_rar.kol_l, id_head_rar = 3: 0"),
                                   }));
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.last(), QStringLiteral("и ещё 8"));

        // As read: the text "30.5" is a number, the rest take their defaults.
        Database& data = program->data();
        QCOMPARE(data.fertilizerContent.snapshot().at(1).at(3).toDouble(), 30.5);
        QVERIFY(data.fertilizerContent.snapshot().at(0).at(3).isNull());
        QCOMPARE(data.targets.snapshot().at(0).at(6).toDouble(), 1.0);
        QCOMPARE(program->solution().fitMode(), 0);
        // The windows work; the target read as empty is not removed.
        CalculatorWindow& calc = program->calculator();
        calc.show();
        QVERIFY(Add(*program, 2));
        QVERIFY(Shown(*program, MessageKind::Error).isEmpty());
        QCOMPARE(data.targets.recordCount(), 3);
        SqlFile file;
        QCOMPARE(file.value(QStringLiteral("SELECT typeof(vega) FROM t_konc WHERE id_konc = 2")).toString(),
                 QStringLiteral("blob"));
        QCOMPARE(
            file.value(QStringLiteral("SELECT kol_element FROM T_sostav_udobra WHERE id_sostav_udobra = 1")).toString(),
            QStringLiteral("abc"));
        QCOMPARE(file.value(QStringLiteral("SELECT weight FROM t_konc WHERE id_konc = 1")).toDouble(), 1e308);
        QCOMPARE(file.value(QStringLiteral("SELECT fit_mode FROM t_opt")).toInt(), 7);
        // The base opened again (the calculator closed) tells nothing more.
        program->calculator().close();
        QCOMPARE(Shown(*program, MessageKind::Warning).size(), 1);
    }

    // size.ini is read only as a regular file, and only its start; it is
    // written as a new file, so a link in its place is replaced, never followed.
    void aSizeFileLinkedElsewhereIsNeverFollowed() {
        MakeBase();
        QVERIFY(WriteFile(QStringLiteral("notes.txt"), "мои заметки\n"));
        QVERIFY(QFile::link(QStringLiteral("notes.txt"), QStringLiteral("size.ini")));
        {
            auto program = Start();
            QVERIFY(program);
            program->calculator().show();
            program->calculator().close();
            QVERIFY(!program->calculator().isVisible());
        }
        QCOMPARE(FileBytes(QStringLiteral("notes.txt")), QByteArray("мои заметки\n"));
        QVERIFY(!QFileInfo(QStringLiteral("size.ini")).isSymLink());
        QCOMPARE(FileBytes(QStringLiteral("size.ini")).count('\n'), 15);

        // A device in its place: the start is not held up, the defaults apply.
        QVERIFY(QFile::remove(QStringLiteral("size.ini")));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("size.ini")));
        auto program = Start();
        QVERIFY(program);
        QVERIFY(program->launcher().isVisible());
        QVERIFY(Shown(*program, MessageKind::Error).isEmpty());
        QCOMPARE(FileBytes(QStringLiteral("size.ini")).count('\n'), 15);
    }

private:
    std::unique_ptr<WorkingDirectory> dir_;
};

QTEST_MAIN(HostileBaseTest)
#include "test_hostile_base.moc"
