// Kills a process that runs the calculator's handlers at random moments and
// checks that the database always holds the outcome of whole actions: the
// file is intact, and the amounts are exactly the fit of the current lines to
// the current crop's targets, the stored results exactly what those amounts
// give. A line added but not yet fitted, or amounts fitted but results not
// yet recalculated, would break it.

#include "core/rounding.h"
#include "solver/least_squares.h"
#include "store/sqlite_value.h"
#include "support/test_base.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <signal.h>
#include <sqlite3.h>

using namespace solvane;

namespace {

// A content row with what the fertilizer directory derives from it.
struct Content {
    long long element; // id_element
    double percent;    // kol_element
    long long yielded; // the conversion record's element, 0 if none
    double factor;     // the conversion record's kof, 0 if none
    double free;       // the percentage in terms of the yielded element
    long long freeId;  // the element it counts toward in the fit
};

class Database {
public:
    explicit Database(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Every row of a query as the file holds it (NULL as an empty value).
    std::vector<std::vector<QVariant>> rows(const QString& sql, long long param = 0) {
        std::vector<std::vector<QVariant>> out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return out;
        if (sqlite3_bind_parameter_count(stmt) > 0)
            BindValue(stmt, 1, static_cast<qlonglong>(param));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<QVariant> row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row.push_back(ColumnValue(stmt, c));
            out.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

long long Id(const QVariant& v) {
    return v.isNull() ? 0 : std::llround(v.toDouble());
}
double Number(const QVariant& v) {
    return v.isNull() ? 0.0 : v.toDouble();
}

// Returns an empty string when the file holds a consistent state, otherwise
// what is wrong.
QString CheckState(const QString& file) {
    Database db(file);
    const auto integrity = db.rows(QStringLiteral("PRAGMA integrity_check"));
    if (integrity.size() != 1 || integrity[0][0].toString() != QStringLiteral("ok"))
        return QStringLiteral("integrity check failed");

    const auto crop = db.rows(QStringLiteral("SELECT id_kult FROM T_kult ORDER BY rowid LIMIT 1"));
    const long long kult = Id(crop.at(0).at(0));
    const auto lines = db.rows(QStringLiteral("SELECT id_udobra, kol FROM t_rachet ORDER BY rowid"));
    const auto targets =
        db.rows(QStringLiteral("SELECT id_el, vega, rachet FROM t_konc WHERE id_kult = ? ORDER BY rowid"), kult);
    for (const auto& t : targets)
        if (Number(t[1]) == 0.0)
            return QStringLiteral("a target row without a target");

    const QString contentSql =
        QStringLiteral("SELECT s.id_element, s.kol_element, k.id_element, k.kof FROM T_sostav_udobra s"
                       " LEFT JOIN T_element e ON e.id_element = s.id_element LEFT JOIN t_kof k ON k.id_kof = e.id_kof"
                       " WHERE s.id_udobra = ? ORDER BY s.rowid");
    std::vector<std::vector<Content>> contents;
    for (const auto& line : lines) {
        std::vector<Content> c;
        for (const auto& r : db.rows(contentSql, Id(line[0])))
            c.push_back({Id(r[0]), Number(r[1]), Id(r[2]), Number(r[3]),
                         r[3].isNull() ? Number(r[1]) : Number(r[1]) * Number(r[3]),
                         r[2].isNull() ? Id(r[0]) : Id(r[2])});
        contents.push_back(std::move(c));
    }

    // The fit: content in element terms, the last matching row winning.
    const int m = static_cast<int>(targets.size());
    const int n = static_cast<int>(lines.size());
    Matrix a(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
    Vector x(static_cast<size_t>(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= m; ++j) {
            const auto& t = targets[static_cast<size_t>(j) - 1];
            double entry = 0.0;
            for (const Content& c : contents[static_cast<size_t>(i) - 1])
                if (c.freeId == Id(t[0]))
                    entry = c.free;
            a[static_cast<size_t>(j)][static_cast<size_t>(i)] = entry;
            a[static_cast<size_t>(j)][static_cast<size_t>(n) + 1] = Number(t[1]);
        }
    if (n > 0)
        SolveLeastSquares(a, m, n, x);
    for (int i = 1; i <= n; ++i) {
        const double expected = RoundToDecimals(x[static_cast<size_t>(i)], 2) / 10.0;
        const double stored = Number(lines[static_cast<size_t>(i) - 1][1]);
        if (lines[static_cast<size_t>(i) - 1][1].isNull() || stored != expected)
            return QStringLiteral("line %1 holds %2, the fit gives %3").arg(i).arg(stored).arg(expected);
    }

    // The results of those amounts.
    for (int j = 0; j < m; ++j) {
        const long long element = Id(targets[static_cast<size_t>(j)][0]);
        double sum = 0.0;
        for (int i = 0; i < n; ++i)
            for (const Content& c : contents[static_cast<size_t>(i)]) {
                const double share = (c.percent * 10.0) * Number(lines[static_cast<size_t>(i)][1]);
                if (c.element == element)
                    sum = share + sum;
                else if (c.yielded == element)
                    sum = share * c.factor + sum;
            }
        const double stored = Number(targets[static_cast<size_t>(j)][2]);
        if (std::fabs(RoundToDecimals(sum, 4) - stored) > 1e-9)
            return QStringLiteral("target %1 holds %2, the amounts give %3").arg(element).arg(stored).arg(sum);
    }
    return QString();
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void killedAtRandomTheFileHoldsWholeActions() {
        test::WorkingDirectory dir;
        const QString file = dir.file(QStringLiteral("base.mdb"));
        CreateStarterDatabase(file);
        // The oracle below is the classic fit's.
        test::SqlFile(file).exec(QStringLiteral("UPDATE t_opt SET fit_mode = 0"));
        int actions = 0;
        for (int round = 0; round < 20; ++round) {
            QProcess worker;
            worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            worker.start(QStringLiteral(SOLVANE_CRASH_WORKER), {dir.path(), QString::number(round + 1)});
            QVERIFY2(worker.waitForStarted(10000), "the worker did not start");
            QByteArray out;
            while (!out.contains("ready\n")) {
                QVERIFY2(worker.waitForReadyRead(20000), "the worker did not get ready");
                out += worker.readAllStandardOutput();
            }
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(20, 400)));
            QCOMPARE(worker.state(), QProcess::Running); // it only ever stops by being killed
            ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
            QVERIFY(worker.waitForFinished(10000));
            out += worker.readAllStandardOutput();
            actions += static_cast<int>(out.count('\n')) - 1;
            const QString problem = CheckState(file);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(problem)));
        }
        // The kills fell among running actions, not on an idle process.
        QVERIFY2(actions >= 20, qPrintable(QStringLiteral("only %1 actions ran").arg(actions)));
    }
};

QTEST_GUILESS_MAIN(CrashTest)
#include "test_crash.moc"
