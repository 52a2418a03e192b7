// SPDX-License-Identifier: GPL-3.0-or-later
// solvane-newbase, run as a grower would run it: a starter base.mdb is
// written whole or not at all, and never over an existing file.

#include "support/file_size_limit.h"
#include "support/test_dir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <sqlite3.h>

using namespace solvane;

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
};

// Runs the tool on base.mdb in the working directory; a limit of 0 or more makes the
// tool's writes beyond that many bytes fail.
Run NewBase(long long limit = -1) {
    QProcess process;
    if (limit >= 0)
        process.setChildProcessModifier([limit] { test::LimitFileSizeForGood(static_cast<rlim_t>(limit)); });
    process.start(QStringLiteral(SOLVANE_NEWBASE), {QStringLiteral("base.mdb")});
    Run run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return run;
}

QStringList Files() {
    return QDir().entryList(QDir::Files | QDir::Hidden);
}

// The number of fertilizers the file holds, after a check of the whole file.
int Fertilizers(const QString& file) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW &&
            QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) == "ok") {
            sqlite3_finalize(stmt);
            stmt = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT count(*) FROM t_udobra", -1, &stmt, nullptr) == SQLITE_OK &&
                sqlite3_step(stmt) == SQLITE_ROW)
                count = sqlite3_column_int(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return count;
}

} // namespace

class NewBaseTest : public QObject {
    Q_OBJECT
private slots:
    // A disk that takes no more bytes at each stage of the writing (the empty
    // file, the shared-memory file, the log, the commit): the tool says why
    // and leaves nothing; with room, the same run writes the whole database.
    void aWriteThatFailsLeavesNothing() {
        test::WorkingDirectory dir;
        for (const long long limit : {0LL, 4096LL, 16384LL, 40960LL, 53247LL}) {
            const Run run = NewBase(limit);
            QVERIFY2(run.exitCode == 1, qPrintable(QStringLiteral("%1: %2").arg(limit).arg(run.exitCode)));
            QCOMPARE(run.errors, QStringLiteral("Не удалось записать «base.mdb»: ошибка записи на диск. "
                                                "Недописанный файл удалён."));
            QCOMPARE(Files(), QStringList());
        }
        const Run run = NewBase();
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(Files(), QStringList{QStringLiteral("base.mdb")});
        QCOMPARE(Fertilizers(QStringLiteral("base.mdb")), 34);
    }

    // An existing file, or one of its side files, is left as it is.
    void anExistingFileIsNeverOverwritten() {
        test::WorkingDirectory dir;
        for (const QString& name : {QStringLiteral("base.mdb"), QStringLiteral("base.mdb-wal")}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("не база");
            file.close();
            const Run run = NewBase();
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.errors, QStringLiteral("Файл «%1» уже существует; он не перезаписывается.").arg(name));
            QCOMPARE(Files(), QStringList{name});
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("не база"));
            file.close();
            QVERIFY(file.remove());
        }
    }
};

QTEST_GUILESS_MAIN(NewBaseTest)
#include "test_newbase.moc"
