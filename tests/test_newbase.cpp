// SPDX-License-Identifier: GPL-3.0-or-later
// solvane-newbase, run as a grower would run it: a starter base.mdb is
// written whole or not at all, and never over an existing file.

#include "store/schema.h"
#include "support/file_size_limit.h"
#include "support/test_base.h"
#include "support/test_dir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cmath>
#include <map>
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
        QCOMPARE(Fertilizers(QStringLiteral("base.mdb")), 36);
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

    // The starter base's nitrogen is given by its forms, each fertilizer's
    // adding up to the N its label gives in all, with no plain N beside them;
    // the elements stand for their ions; the salts with sodium or chloride
    // carry it as their formulas give it; the acids and the liquid are
    // liquids; lettuce alone targets ammonium.
    void theStarterBaseGivesNitrogenByItsFormsAndTheIons() {
        test::WorkingDirectory dir;
        QCOMPARE(NewBase().exitCode, 0);
        test::SqlFile sql;
        QCOMPARE(sql.value(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
        const auto pairs = [&sql](const QString& query) {
            std::map<QString, QVariant> found;
            for (const std::vector<QVariant>& row : sql.rows(query))
                found.emplace(row.at(0).toString(), row.at(1));
            return found;
        };
        // The key elements first, then every element with an ion or a total.
        QCOMPARE(sql.rows(QStringLiteral("SELECT Smallname_element FROM T_element WHERE id_element <= 6")),
                 (std::vector<std::vector<QVariant>>{{QStringLiteral("N")},
                                                     {QStringLiteral("P")},
                                                     {QStringLiteral("K")},
                                                     {QStringLiteral("Ca")},
                                                     {QStringLiteral("Mg")},
                                                     {QStringLiteral("S")}}));
        const std::map<QString, QVariant> ions = {
            {QStringLiteral("N"), QStringLiteral("NO3-")},     {QStringLiteral("P"), QStringLiteral("H2PO4-")},
            {QStringLiteral("K"), QStringLiteral("K+")},       {QStringLiteral("Ca"), QStringLiteral("Ca+2")},
            {QStringLiteral("Mg"), QStringLiteral("Mg+2")},    {QStringLiteral("S"), QStringLiteral("SO4-2")},
            {QStringLiteral("N-NO3"), QStringLiteral("NO3-")}, {QStringLiteral("N-NH4"), QStringLiteral("NH4+")},
            {QStringLiteral("Na"), QStringLiteral("Na+")},     {QStringLiteral("Cl"), QStringLiteral("Cl-")},
            {QStringLiteral("HCO3"), QStringLiteral("HCO3-")}};
        QCOMPARE(pairs(QStringLiteral("SELECT Smallname_element, ion FROM T_element WHERE ion IS NOT NULL")), ions);
        QCOMPARE(pairs(QStringLiteral("SELECT f.Smallname_element, t.Smallname_element FROM T_element f "
                                      "JOIN T_element t ON t.id_element = f.id_total")),
                 (std::map<QString, QVariant>{{QStringLiteral("N-NH2"), QStringLiteral("N")},
                                              {QStringLiteral("N-NH4"), QStringLiteral("N")},
                                              {QStringLiteral("N-NO3"), QStringLiteral("N")}}));

        // Each fertilizer's N in all, as its label gives it.
        const std::map<QString, QVariant> nitrogen = {{QStringLiteral("Кальциевая селитра"), 15.5},
                                                      {QStringLiteral("Калиевая селитра"), 13.7},
                                                      {QStringLiteral("Аммиачная селитра"), 34.4},
                                                      {QStringLiteral("Нитрат магния"), 10.9},
                                                      {QStringLiteral("Моноаммонийфосфат"), 12.0},
                                                      {QStringLiteral("Сульфат аммония"), 21.2},
                                                      {QStringLiteral("Мочевина"), 46.2},
                                                      {QStringLiteral("Нитрат кальция (4-водный)"), 11.8},
                                                      {QStringLiteral("Диаммонийфосфат"), 21.2},
                                                      {QStringLiteral("Молибдат аммония"), 6.8},
                                                      {QStringLiteral("Азотная кислота 60 %"), 13.3},
                                                      {QStringLiteral("Кальциевая селитра жидкая"), 9.0}};
        std::map<QString, QVariant> summed;
        for (const auto& [name, percent] :
             pairs(QStringLiteral("SELECT u.name_udobra, round(sum(c.kol_element), 6) FROM T_sostav_udobra c "
                                  "JOIN t_udobra u ON u.id_udobra = c.id_udobra JOIN T_element e ON "
                                  "e.id_element = c.id_element WHERE e.id_total = 1 GROUP BY u.id_udobra")))
            summed.emplace(name, percent.toDouble());
        QCOMPARE(summed, nitrogen);
        QCOMPARE(sql.value(QStringLiteral("SELECT count(*) FROM T_sostav_udobra WHERE id_element = 1")).toInt(), 0);
        QCOMPARE(pairs(QStringLiteral("SELECT e.Smallname_element, c.kol_element FROM T_sostav_udobra c JOIN t_udobra "
                                      "u ON u.id_udobra = c.id_udobra JOIN T_element e ON e.id_element = "
                                      "c.id_element WHERE u.name_udobra = 'Кальциевая селитра' AND e.id_total = 1")),
                 (std::map<QString, QVariant>{{QStringLiteral("N-NH4"), 1.1}, {QStringLiteral("N-NO3"), 14.4}}));

        // Sodium, chloride and sulfur as the formulas give them, from the
        // standard atomic weights, to the label's one decimal.
        const double h = 1.008, b = 10.81, o = 15.999, na = 22.990, s = 32.06, cl = 35.45, k = 39.098, ca = 40.078,
                     mo = 95.95, water = 2 * h + o;
        const double k2oToK = 2 * k / (2 * k + o);
        const std::map<QString, double> formulas = {
            {QStringLiteral("Молибдат натрия Na"), 2 * na / (2 * na + mo + 4 * o + 2 * water) * 100},
            {QStringLiteral("Бура Na"), 2 * na / (2 * na + 4 * b + 7 * o + 10 * water) * 100},
            {QStringLiteral("Хлорид кальция (2-водный) Cl"), 2 * cl / (ca + 2 * cl + 2 * water) * 100},
            // At its 60 % K2O: the chloride of that potassium.
            {QStringLiteral("Хлорид калия Cl"), 60 * k2oToK * cl / k},
            {QStringLiteral("Серная кислота 96 % S"), s / (2 * h + s + 4 * o) * 96}};
        const std::map<QString, QVariant> stored =
            pairs(QStringLiteral("SELECT u.name_udobra || ' ' || e.Smallname_element, c.kol_element FROM "
                                 "T_sostav_udobra c JOIN t_udobra u ON u.id_udobra = c.id_udobra JOIN T_element e "
                                 "ON e.id_element = c.id_element WHERE e.Smallname_element IN ('Na', 'Cl') OR "
                                 "u.name_udobra LIKE 'Серная%'"));
        QCOMPARE(stored.size(), formulas.size());
        for (const auto& [row, share] : formulas)
            QVERIFY2(stored.count(row) && stored.at(row).toDouble() == std::round(share * 10) / 10,
                     qPrintable(row + QStringLiteral(": %1").arg(share)));

        // Liquids and acids; no prices.
        QCOMPARE(sql.rows(QStringLiteral("SELECT name_udobra, density, acid FROM t_udobra WHERE density IS NOT NULL "
                                         "OR acid <> 0 ORDER BY id_udobra")),
                 (std::vector<std::vector<QVariant>>{{QStringLiteral("Азотная кислота 60 %"), 1.367, 1},
                                                     {QStringLiteral("Ортофосфорная кислота 85 %"), 1.685, 1},
                                                     {QStringLiteral("Серная кислота 96 %"), 1.835, 1},
                                                     {QStringLiteral("Кальциевая селитра жидкая"), 1.6, 0}}));
        QCOMPARE(sql.value(QStringLiteral("SELECT count(*) FROM t_udobra WHERE price IS NOT NULL")).toInt(), 0);

        // Lettuce's ammonium, 15 of its 180 mg/l of N, in both phases.
        QCOMPARE(sql.rows(QStringLiteral("SELECT k.name_kult, t.vega, t.cvet FROM t_konc t JOIN T_kult k ON "
                                         "k.id_kult = t.id_kult JOIN T_element e ON e.id_element = t.id_el "
                                         "WHERE e.id_total IS NOT NULL")),
                 (std::vector<std::vector<QVariant>>{{QStringLiteral("Салат"), 15.0, 15.0}}));
    }
};

QTEST_GUILESS_MAIN(NewBaseTest)
#include "test_newbase.moc"
