// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/action_scope.h"
#include "store/connection.h"
#include "store/modal_pause.h"
#include "store/open_base.h"
#include "store/dataset.h"
#include "core/error.h"
#include "store/schema.h"
#include "support/test_base.h"
#include "support/test_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

using namespace solvane;
using namespace solvane::test;

namespace {

const QString kRowChanged =
    QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");

// The error of opening base.mdb; fails the test when the open succeeds.
QString openError(const QString& fileName = QStringLiteral("base.mdb")) {
    Connection connection(fileName);
    try {
        connection.open();
    } catch (const Error& e) {
        if (connection.isOpen())
            return QStringLiteral("connection left open after: ") + e.message();
        return e.message();
    }
    return QString();
}

// Writes a file with exactly these bytes; false when it cannot.
bool writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The engine's busy handler, watched: while one of these lives, the default
// file layer of the process is a copy of the real one whose sleep is
// counted. The handler sleeps between its retries, so the sleeps it asked
// for say how long it waited for a lock without reading a clock.
class BusySleeps {
public:
    BusySleeps() : real_(sqlite3_vfs_find(nullptr)) {
        // Everything else, the file methods' finder (pAppData) included, is
        // the real layer's.
        layer_ = *real_;
        layer_.zName = "solvane-busy-sleeps";
        layer_.xSleep = &sleep;
        sleeps_ = 0;
        sleptMicroseconds_ = 0;
        realSleep_ = real_->xSleep;
        sqlite3_vfs_register(&layer_, 1);
    }
    ~BusySleeps() {
        sqlite3_vfs_unregister(&layer_);
        sqlite3_vfs_register(real_, 1);
    }
    BusySleeps(const BusySleeps&) = delete;
    BusySleeps& operator=(const BusySleeps&) = delete;

    int sleeps() const { return sleeps_; }
    long long sleptMilliseconds() const { return sleptMicroseconds_ / 1000; }

private:
    static int sleep(sqlite3_vfs* vfs, int microseconds) {
        ++sleeps_;
        sleptMicroseconds_ += microseconds;
        return realSleep_(vfs, microseconds);
    }
    static inline int sleeps_ = 0;
    static inline long long sleptMicroseconds_ = 0;
    static inline int (*realSleep_)(sqlite3_vfs*, int) = nullptr;
    sqlite3_vfs* real_;
    sqlite3_vfs layer_{};
};

} // namespace

class ConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void init() { dir_ = std::make_unique<WorkingDirectory>(); }
    void cleanup() { dir_.reset(); }

    // ------------------------------------------------------------ opening

    void opensAFileWithTheTenTables() {
        CreateBaseFile();
        Connection connection;
        connection.open();
        QVERIFY(connection.isOpen());
        // Other programs may use the file meanwhile.
        QCOMPARE(SqlFile().value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    }

    void tableNamesMatchWithoutRegardToCase() {
        QString sql = SchemaSql();
        for (const TableDef& t : SchemaTables())
            sql.replace(QLatin1Char('"') + t.name + QLatin1Char('"'),
                        QLatin1Char('"') + t.name.toUpper() + QLatin1Char('"'));
        // The engine takes an empty file for a new database.
        QVERIFY(writeFile(QStringLiteral("base.mdb"), QByteArray()));
        SqlFile().script(sql);
        SqlFile().exec(QStringLiteral("INSERT INTO T_KULT (NAME_KULT) VALUES ('Томат')"));

        Connection connection;
        connection.open();
        DataSet crops(&connection, QStringLiteral("T_KULT"));
        crops.setTable(QStringLiteral("T_kult"));
        crops.open();
        QCOMPARE(crops.fieldByName(QStringLiteral("name_kult"))->asString(), QStringLiteral("Томат"));
    }

    // A base of each older version passes the checks at open, gains what
    // every later version brought on opening, in one step each, and keeps
    // every row and value it had (bit for bit); one from a newer program is
    // refused and left as it was. The bases of versions 1 to 4 are the
    // version-0 base taken up to that version, as its upgrade wrote it, with
    // values of its own in each version's columns.
    void anOlderBaseIsUpgradedAndANewerOneRefused_data() {
        QTest::addColumn<int>("version");
        for (int version = 0; version < kSchemaVersion; ++version)
            QTest::newRow(qPrintable(QStringLiteral("version %1").arg(version))) << version;
    }
    void anOlderBaseIsUpgradedAndANewerOneRefused() {
        QFETCH(int, version);
        QVERIFY(QFile::copy(QStringLiteral(SOLVANE_FIXTURES "/base-v0.mdb"), QStringLiteral("base.mdb")));
        QFile::setPermissions(QStringLiteral("base.mdb"), QFile::ReadOwner | QFile::WriteOwner);
        // What each version's own columns held in a base that version wrote.
        const char* const ownValues[] = {
            "",
            "UPDATE t_opt SET fit_mode = 1, id_water = 1; UPDATE t_konc SET weight = 0.3 WHERE id_konc = 2;"
            "INSERT INTO t_water (name_water) VALUES ('Скважина');"
            "INSERT INTO t_water_el (id_water, id_element, kol) VALUES (1, 4, 41.7);",
            "UPDATE t_opt SET id_kult_last = 2;",
            "INSERT INTO T_element (Smallname_element, kof, id_total, ion) VALUES ('N-NH4', 0, 1, 'NH4+');"
            "UPDATE T_element SET ion = NULL WHERE id_element = 6; UPDATE T_kult SET ec = 2.5 WHERE id_kult = 1;",
            "UPDATE t_udobra SET density = 1.367, acid = 1 WHERE id_udobra = 33; UPDATE t_water SET hco3_left = 61;"
            "UPDATE t_opt SET id_acid = 33;"};
        if (version > 0) {
            QString script = QStringLiteral("BEGIN;") + UpgradeSql(0, version);
            for (int v = 1; v <= version; ++v)
                script += QString::fromUtf8(ownValues[v]);
            SqlFile().script(script + QStringLiteral("PRAGMA user_version=%1; COMMIT;").arg(version));
        }
        // Every column the base had, row by row, as stored.
        const auto contents = [version] {
            SqlFile file;
            std::vector<std::vector<QVariant>> all;
            for (const TableDef& t : SchemaTables()) {
                if (t.version > version)
                    continue;
                QStringList columns;
                for (const ColumnDef& c : t.columns)
                    if (c.version <= version)
                        columns << QStringLiteral("\"%1\"").arg(c.name);
                for (auto& row : file.rows(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                               .arg(columns.join(QStringLiteral(", ")), t.name)))
                    all.push_back(std::move(row));
            }
            return all;
        };
        const std::vector<std::vector<QVariant>> before = contents();
        const QByteArray bytes = FileBytes();
        // A tool that only reads finds nothing to refuse, and changes nothing.
        CheckBase(QStringLiteral("base.mdb"));
        QCOMPARE(FileBytes(), bytes);
        {
            Connection connection;
            connection.open();
        }
        QCOMPARE(contents(), before);
        {
            SqlFile file;
            QCOMPARE(file.value(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
            const auto count = [&file](const char* where) {
                return file.value(QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromUtf8(where))).toInt();
            };
            if (version < 1) {
                QCOMPARE(file.value(QStringLiteral("SELECT fit_mode FROM t_opt")).toInt(), 0);
                QVERIFY(file.value(QStringLiteral("SELECT id_water FROM t_opt")).isNull());
                QCOMPARE(count("t_konc WHERE weight = 1"), count("t_konc"));
                QCOMPARE(count("t_rachet WHERE kol_min IS NOT NULL OR kol_max IS NOT NULL"), 0);
                QCOMPARE(count("t_water"), 0);
            }
            if (version < 2)
                QVERIFY(file.value(QStringLiteral("SELECT id_kult_last FROM t_opt")).isNull());
            // The key elements stand for their ions, and no element is a form.
            if (version < 3) {
                QCOMPARE(file.rows(QStringLiteral("SELECT ion FROM T_element WHERE ion IS NOT NULL ORDER BY 1")),
                         (std::vector<std::vector<QVariant>>{{QStringLiteral("Ca+2")},
                                                             {QStringLiteral("H2PO4-")},
                                                             {QStringLiteral("K+")},
                                                             {QStringLiteral("Mg+2")},
                                                             {QStringLiteral("NO3-")},
                                                             {QStringLiteral("SO4-2")}}));
                QCOMPARE(count("T_element WHERE ion = 'NO3-' AND id_element = 1"), 1);
                QCOMPARE(count("T_element WHERE ion = 'SO4-2' AND id_element = 6"), 1);
                QCOMPARE(count("T_element WHERE id_total IS NOT NULL"), 0);
                QCOMPARE(count("T_kult WHERE ec IS NOT NULL"), 0);
            }
            if (version < 4) {
                QCOMPARE(count("t_udobra WHERE density IS NOT NULL OR acid <> 0"), 0);
                QCOMPARE(count("t_water WHERE hco3_left = 30.5"), count("t_water"));
                QVERIFY(file.value(QStringLiteral("SELECT id_acid FROM t_opt")).isNull());
            }
            QCOMPARE(count("t_udobra WHERE price IS NOT NULL"), 0);
            QCOMPARE(count("t_konc WHERE tolerance = 10"), count("t_konc"));
            QCOMPARE(count("t_udobra"), 34);
            file.exec(QStringLiteral("PRAGMA user_version=7"));
        }
        const QByteArray newer = FileBytes();
        QCOMPARE(openError(), QStringLiteral("Файл «base.mdb» создан более новой версией Solvane (версия схемы 7)."));
        QCOMPARE(FileBytes(), newer);
    }

    void refusesAFileThatFailsTheCheck_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "не найден";
        QTest::newRow("empty") << "empty"
                               << "это не база данных";
        QTest::newRow("random bytes") << "random"
                                      << "не является базой данных";
        QTest::newRow("text file") << "text"
                                   << "не является базой данных";
        QTest::newRow("directory") << "directory"
                                   << "папка";
        QTest::newRow("missing table") << "missing table"
                                       << "T_kult";
        QTest::newRow("other database") << "other"
                                        << "t_udobra";
    }
    void refusesAFileThatFailsTheCheck() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == QLatin1String("empty")) {
            QVERIFY(writeFile(QStringLiteral("base.mdb"), QByteArray()));
        } else if (kind == QLatin1String("random")) {
            QByteArray bytes(8192, '\0');
            QRandomGenerator gen(42);
            for (char& c : bytes)
                c = static_cast<char>(gen.bounded(256));
            QVERIFY(writeFile(QStringLiteral("base.mdb"), bytes));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(writeFile(QStringLiteral("base.mdb"), QByteArrayLiteral("id;name\n1;Сульфат калия\n")));
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkdir(QStringLiteral("base.mdb")));
        } else if (kind == QLatin1String("missing table")) {
            CreateBaseFile();
            SqlFile().exec(QStringLiteral("DROP TABLE T_kult"));
        } else if (kind == QLatin1String("other")) {
            QVERIFY(writeFile(QStringLiteral("base.mdb"), QByteArray()));
            SqlFile().exec(QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)"));
        }
        const QFileInfo before(QStringLiteral("base.mdb"));
        const QByteArray bytes = FileBytes();

        const QString error = openError();
        QVERIFY2(!error.isEmpty(), "the open succeeded");
        QVERIFY2(error.contains(QFileInfo(QStringLiteral("base.mdb")).absoluteFilePath()), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));

        // Nothing was created or written.
        QCOMPARE(QFileInfo::exists(QStringLiteral("base.mdb")), before.exists());
        QCOMPARE(FileBytes(), bytes);
        QVERIFY(!QFileInfo::exists(QStringLiteral("base.mdb-wal")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("base.mdb-journal")));
    }

    void refusesAFileLockedByAnotherProgram_data() {
        QTest::addColumn<bool>("wal");
        QTest::newRow("rollback journal, exclusive transaction") << false;
        QTest::newRow("wal, exclusive locking") << true;
    }
    void refusesAFileLockedByAnotherProgram() {
        QFETCH(bool, wal);
        CreateBaseFile();
        if (wal)
            Connection().open(); // switches the file to its shared journal
        SqlFile other;
        if (wal)
            other.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        other.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        other.exec(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES ('Томат')"));
        const QByteArray bytes = FileBytes();

        const BusySleeps busy;
        const QString error = openError();
        QVERIFY2(!error.isEmpty(), "the open succeeded");
        QVERIFY2(error.contains(QFileInfo(QStringLiteral("base.mdb")).absoluteFilePath()), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("занят")), qPrintable(error));
        // It waited for the other program for a short while, retrying, not
        // for good: the engine's busy handler slept between its retries.
        QVERIFY2(busy.sleeps() > 1, qPrintable(QString::number(busy.sleeps())));
        QVERIFY2(busy.sleptMilliseconds() >= 500, qPrintable(QString::number(busy.sleptMilliseconds())));
        QVERIFY2(busy.sleptMilliseconds() < 10000, qPrintable(QString::number(busy.sleptMilliseconds())));
        QCOMPARE(FileBytes(), bytes);

        other.exec(QStringLiteral("COMMIT"));
        if (wal)
            other.exec(QStringLiteral("PRAGMA locking_mode=NORMAL"));
    }

    // A tool that only reads may read an older base as upgraded: the upgrade
    // is made on a copy in memory, and the file stays as it was.
    void anOlderBaseCanBeReadAsUpgradedInMemory() {
        QVERIFY(QFile::copy(QStringLiteral(SOLVANE_FIXTURES "/base-v0.mdb"), QStringLiteral("base.mdb")));
        const QByteArray before = FileBytes();
        OpenBaseOptions options;
        options.readOnly = true;
        options.upgradeInMemory = true;
        const OpenedBase base = OpenBase(QStringLiteral("base.mdb"), options);
        QVERIFY(base.readOnly);
        QVERIFY(base.inMemory);
        QCOMPARE(base.fileVersion, 0);
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(base.db, "SELECT fit_mode, (SELECT count(*) FROM t_udobra) FROM t_opt", -1, &stmt,
                                    nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(stmt, 0), 0);
        QCOMPARE(sqlite3_column_int(stmt, 1), 34);
        sqlite3_finalize(stmt);
        sqlite3_close(base.db);
        QCOMPARE(FileBytes(), before);
        QCOMPARE(QDir().entryList(QDir::Files), QStringList{QStringLiteral("base.mdb")});
    }

    void neverCreatesTheFile() {
        QVERIFY(!openError(QStringLiteral("sub/base.mdb")).isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("sub/base.mdb")));
        QVERIFY(!openError().isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("base.mdb")));
    }

    // ------------------------------------------------------------ transactions

    void oneActionIsOneCommit() {
        TestBase base;
        Connection& connection = base.connection();
        const long long before = connection.commitCount();
        {
            ActionScope action(&connection);
            for (int i = 0; i < 100; ++i)
                connection.write(QStringLiteral("INSERT INTO t_rachet (id_udobra, kol) VALUES (?, ?)"),
                                 {QVariant(i), QVariant(i * 0.5)});
            {
                ActionScope nested(&connection); // a handler called from a handler
                connection.write(QStringLiteral("UPDATE t_rachet SET kol = ? WHERE id_udobra = ?"),
                                 {QVariant(9.5), QVariant(3)});
            }
            QVERIFY(connection.inTransaction());
            QCOMPARE(connection.commitCount(), before);
            // Another program does not see the action's writes yet.
            QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 0);
        }
        QVERIFY(!connection.inTransaction());
        QCOMPARE(connection.commitCount(), before + 1);
        QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 100);
        QCOMPARE(base.value(QStringLiteral("SELECT kol FROM t_rachet WHERE id_udobra = 3")).toDouble(), 9.5);

        // Outside an action every write commits by itself.
        connection.write(QStringLiteral("DELETE FROM t_rachet WHERE id_udobra = ?"), {QVariant(1)});
        QCOMPARE(connection.commitCount(), before + 2);
        QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM t_rachet")).toInt(), 99);
    }

    void anActionThatReadsOnlyCommitsNothing() {
        TestBase base;
        const long long before = base.connection().commitCount();
        {
            ActionScope action(&base.connection());
            DataSet crops(&base.connection(), QStringLiteral("T_KULT"));
            crops.setTable(QStringLiteral("T_kult"));
            crops.open();
        }
        QCOMPARE(base.connection().commitCount(), before);
    }

    void anActionStoppedByAnErrorKeepsWhatItPosted() {
        TestBase base;
        DataSet crops(&base.connection(), QStringLiteral("T_KULT"));
        crops.setTable(QStringLiteral("T_kult"));
        crops.open();
        try {
            ActionScope action(&base.connection());
            crops.append();
            crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Огурец"));
            crops.post();
            crops.append();
            crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QString(51, QLatin1Char('x')));
            crops.post();
            QFAIL("a text longer than its column was posted");
        } catch (const Error&) {
        }
        QVERIFY(!base.connection().inTransaction());
        QCOMPARE(base.value(QStringLiteral("SELECT group_concat(name_kult) FROM T_kult")).toString(),
                 QStringLiteral("Огурец"));
    }

    void aModalPauseCommitsAndLetsATimerWriteOnItsOwn() {
        TestBase base;
        Connection& connection = base.connection();
        ActionScope action(&connection);
        connection.write(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES (?)"), {QStringLiteral("до")});
        {
            ModalPause pause(&connection);
            // The question is on screen: another program is not locked out.
            QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM T_kult")).toInt(), 1);
            base.sql().exec(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES ('чужой')"));
            {
                ActionScope timer(&connection);
                connection.write(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES (?)"),
                                 {QStringLiteral("таймер")});
            }
            QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM T_kult")).toInt(), 3);
        }
        const long long commits = connection.commitCount();
        connection.write(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES (?)"), {QStringLiteral("после")});
        QVERIFY(connection.inTransaction());
        QCOMPARE(connection.commitCount(), commits);
        QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM T_kult")).toInt(), 3);
    }

    void aPostWhileAnotherProgramWritesFailsAndCanBeRetried() {
        TestBase base;
        base.insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Томат")}});
        DataSet crops(&base.connection(), QStringLiteral("T_KULT"));
        crops.setTable(QStringLiteral("T_kult"));
        crops.open();
        SqlFile other;
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("INSERT INTO T_kult (name_kult) VALUES ('Перец')"));
        for (bool inAction : {false, true}) {
            ActionScope action(inAction ? &base.connection() : nullptr);
            crops.edit();
            crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Огурец"));
            try {
                crops.post();
                QFAIL("posted while another program was writing");
            } catch (const Error& e) {
                QVERIFY2(e.message().contains(QStringLiteral("занята")), qPrintable(e.message()));
            }
            QCOMPARE(crops.state(), DataSetState::Edit);
        }
        other.exec(QStringLiteral("COMMIT"));
        {
            ActionScope action(&base.connection());
            crops.post();
        }
        QCOMPARE(base.value(QStringLiteral("SELECT group_concat(name_kult) FROM T_kult")).toString(),
                 QStringLiteral("Огурец,Перец"));
    }

    // ------------------------------------------------------------ optimistic locking

    void aPostFailsWhenAnotherProgramChangedTheRow_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("changed the same column") << "UPDATE T_kult SET name_kult = 'Перец' WHERE id_kult = ?";
        QTest::newRow("deleted the row") << "DELETE FROM T_kult WHERE id_kult = ?";
    }
    void aPostFailsWhenAnotherProgramChangedTheRow() {
        QFETCH(QString, change);
        TestBase base;
        const long long id =
            base.insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Томат")},
                                                   {QStringLiteral("ph"), QStringLiteral("6")}});
        DataSet crops(&base.connection(), QStringLiteral("T_KULT"));
        crops.setTable(QStringLiteral("T_kult"));
        crops.open();
        crops.edit();
        crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Огурец"));

        SqlFile other;
        other.exec(change, {id});
        const auto afterOther = other.rows(QStringLiteral("SELECT * FROM T_kult"));

        try {
            crops.post();
            QFAIL("the post overwrote another program's change");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(kRowChanged), qPrintable(e.message()));
        }
        QCOMPARE(other.rows(QStringLiteral("SELECT * FROM T_kult")), afterOther);
        // The change stays pending: the user may cancel it.
        QCOMPARE(crops.state(), DataSetState::Edit);
        crops.cancel();
        QCOMPARE(crops.fieldByName(QStringLiteral("name_kult"))->asString(), QStringLiteral("Томат"));
    }

    void aPostKeepsAnotherProgramsChangeOfOtherColumns() {
        TestBase base;
        const long long id =
            base.insert(QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Томат")},
                                                   {QStringLiteral("ph"), QStringLiteral("6")}});
        DataSet crops(&base.connection(), QStringLiteral("T_KULT"));
        crops.setTable(QStringLiteral("T_kult"));
        crops.open();
        crops.edit();
        crops.fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Огурец"));
        base.sql().exec(QStringLiteral("UPDATE T_kult SET ph = '7' WHERE id_kult = ?"), {id});
        crops.post();
        const auto row = base.sql().rows(QStringLiteral("SELECT name_kult, ph FROM T_kult"));
        QCOMPARE(row.size(), size_t(1));
        QCOMPARE(row[0][0].toString(), QStringLiteral("Огурец"));
        QCOMPARE(row[0][1].toString(), QStringLiteral("7"));
    }

    void aDeleteFailsWhenAnotherProgramChangedTheRow_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("changed") << "UPDATE t_rachet SET kol = 7.25 WHERE id_rachet = ?";
        QTest::newRow("deleted") << "DELETE FROM t_rachet WHERE id_rachet = ?";
    }
    void aDeleteFailsWhenAnotherProgramChangedTheRow() {
        QFETCH(QString, change);
        TestBase base;
        const long long id =
            base.insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 4}, {QStringLiteral("kol"), 1.5}});
        base.insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 5}, {QStringLiteral("kol"), 2.5}});
        DataSet lines(&base.connection(), QStringLiteral("T_rachet"));
        lines.setTable(QStringLiteral("t_rachet"));
        lines.open();
        base.sql().exec(change, {id});
        const auto afterOther = base.sql().rows(QStringLiteral("SELECT * FROM t_rachet"));
        try {
            lines.deleteRecord();
            QFAIL("the delete went through");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(kRowChanged), qPrintable(e.message()));
        }
        QCOMPARE(base.sql().rows(QStringLiteral("SELECT * FROM t_rachet")), afterOther);
        QCOMPARE(lines.recordCount(), 2);
    }

    void rowsOfAnUnusualStoredFormCanBeChangedAndDeleted() {
        // Another program may store true as -1 and whole amounts as integers.
        TestBase base;
        base.insert(QStringLiteral("T_element"), {{QStringLiteral("Smallname_element"), QStringLiteral("K2O")},
                                                  {QStringLiteral("kof"), -1},
                                                  {QStringLiteral("id_kof"), 2}});
        base.insert(QStringLiteral("T_element"), {{QStringLiteral("Smallname_element"), QStringLiteral("P2O5")},
                                                  {QStringLiteral("kof"), 1},
                                                  {QStringLiteral("id_kof"), 3}});
        DataSet elements(&base.connection(), QStringLiteral("T_Element"));
        elements.setTable(QStringLiteral("T_element"));
        elements.open();
        Field* oxide = elements.fieldByName(QStringLiteral("kof"));
        QVERIFY(oxide->asBoolean());
        elements.edit();
        oxide->setAsBoolean(false);
        elements.post();
        QCOMPARE(base.value(QStringLiteral("SELECT kof FROM T_element WHERE Smallname_element = 'K2O'")).toInt(), 0);
        elements.next();
        elements.deleteRecord();
        QCOMPARE(base.value(QStringLiteral("SELECT count(*) FROM T_element")).toInt(), 1);
    }

private:
    std::unique_ptr<WorkingDirectory> dir_;
};

QTEST_GUILESS_MAIN(ConnectionTest)
#include "test_connection.moc"
