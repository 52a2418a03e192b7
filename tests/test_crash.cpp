// SPDX-License-Identifier: GPL-3.0-or-later
// Kills a process that runs the calculator's handlers at chosen points of
// its work and checks that the database always holds the outcome of whole
// actions: the file is intact, and the amounts are exactly the fit of the
// current lines to the current crop's targets, the stored results exactly
// what those amounts give. A line added but not yet fitted, or amounts
// fitted but results not yet recalculated, would break it.
//
// The kill is timed by the worker's own progress, not by the clock: after a
// number of finished actions and then a number of writing statements of the
// actions that follow, both drawn from a fixed seed, so that it falls in the
// middle of an action's writes (or between two actions) on any machine.

#include "core/error.h"
#include "core/rounding.h"
#include "solver/least_squares.h"
#include "support/test_base.h"
#include "support/test_dir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <signal.h>

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
    long long total;   // the element a form counts toward as well, 0 if none
};

long long Id(const QVariant& v) {
    return v.isNull() ? 0 : std::llround(v.toDouble());
}
double Number(const QVariant& v) {
    return v.isNull() ? 0.0 : v.toDouble();
}

// Returns an empty string when the file holds a consistent state, otherwise
// what is wrong.
QString CheckState(test::SqlFile& db) {
    const auto integrity = db.rows(QStringLiteral("PRAGMA integrity_check"));
    if (integrity.size() != 1 || integrity[0][0].toString() != QStringLiteral("ok"))
        return QStringLiteral("integrity check failed");
    // The oracle below is the classic fit's, which the worker's base uses.
    if (db.value(QStringLiteral("SELECT fit_mode FROM t_opt")).toInt() != 0)
        return QStringLiteral("the base does not use the classic fit");

    const auto crop = db.rows(QStringLiteral("SELECT id_kult FROM T_kult ORDER BY rowid LIMIT 1"));
    const long long kult = Id(crop.at(0).at(0));
    const auto lines = db.rows(QStringLiteral("SELECT id_udobra, kol FROM t_rachet ORDER BY rowid"));
    const auto targets =
        db.rows(QStringLiteral("SELECT id_el, vega, rachet FROM t_konc WHERE id_kult = ? ORDER BY rowid"), {kult});
    for (const auto& t : targets)
        if (Number(t[1]) == 0.0)
            return QStringLiteral("a target row without a target");

    const QString contentSql =
        QStringLiteral("SELECT s.id_element, s.kol_element, k.id_element, k.kof, e.id_total FROM T_sostav_udobra s"
                       " LEFT JOIN T_element e ON e.id_element = s.id_element LEFT JOIN t_kof k ON k.id_kof = e.id_kof"
                       " WHERE s.id_udobra = ? ORDER BY s.rowid");
    std::vector<std::vector<Content>> contents;
    for (const auto& line : lines) {
        std::vector<Content> c;
        for (const auto& r : db.rows(contentSql, {Id(line[0])}))
            c.push_back({Id(r[0]), Number(r[1]), Id(r[2]), Number(r[3]),
                         r[3].isNull() ? Number(r[1]) : Number(r[1]) * Number(r[3]),
                         r[2].isNull() ? Id(r[0]) : Id(r[2]), Id(r[4])});
        contents.push_back(std::move(c));
    }

    // The fit: content in element terms, the last matching row winning, then
    // each row of a form of the element added.
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
            for (const Content& c : contents[static_cast<size_t>(i) - 1])
                if (c.total != 0 && c.total == Id(t[0]) && c.total != c.freeId)
                    entry = entry + c.free;
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
                if (c.element == element || (c.total == element && c.total != c.element))
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

// The same for a file; a file that cannot be read is wrong too.
QString CheckState(const QString& file) {
    try {
        test::SqlFile db(file);
        return CheckState(db);
    } catch (const Error& e) {
        return e.message();
    }
}

// Where a round's kill falls: after the worker has reported this many
// finished actions, and then this many writing statements.
struct KillPoint {
    int actions = 0;
    int writes = 0;
};

// What a worker has reported: the base it works on, whether the base holds
// its first fitted composition, the last finished action, and the writing
// statements started since the kill point's number of actions.
struct Progress {
    QString base;
    bool ready = false;
    int actions = 0;
    int writes = 0;
    bool reached(const KillPoint& point) const { return ready && actions >= point.actions && writes >= point.writes; }
};

// Reads the worker's lines until it reaches the kill point; false when it
// stops reporting first.
bool ReadUntil(QProcess& worker, const KillPoint& point, Progress& progress) {
    while (!progress.reached(point)) {
        if (!worker.canReadLine() && !worker.waitForReadyRead(30000))
            return false;
        while (worker.canReadLine() && !progress.reached(point)) {
            const QByteArray line = worker.readLine().trimmed();
            if (line.startsWith("base "))
                progress.base = QString::fromLocal8Bit(line.mid(5));
            else if (line == "ready")
                progress.ready = true;
            else if (line == "w")
                progress.writes += progress.actions >= point.actions ? 1 : 0;
            else if (progress.ready)
                progress.actions = line.toInt();
        }
    }
    return true;
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void killedAtRandomTheFileHoldsWholeActions() {
        // The worker's temporary bases are made here and go with it.
        test::WorkingDirectory dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), dir.path());
        QRandomGenerator random(20240611);
        for (int round = 0; round < 20; ++round) {
            const KillPoint point{static_cast<int>(random.bounded(12)), static_cast<int>(random.bounded(40))};
            const QString where = QStringLiteral("round %1, after %2 actions and %3 writes")
                                      .arg(round)
                                      .arg(point.actions)
                                      .arg(point.writes);
            QProcess worker;
            worker.setProcessEnvironment(environment);
            worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            worker.start(QStringLiteral(SOLVANE_CRASH_WORKER), {QString::number(round + 1)});
            QVERIFY2(worker.waitForStarted(10000), "the worker did not start");
            Progress progress;
            QVERIFY2(ReadUntil(worker, point, progress), qPrintable(where + QStringLiteral(": the worker stopped")));
            // It only ever stops by being killed: the kill falls on a
            // running action.
            QCOMPARE(worker.state(), QProcess::Running);
            ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
            QVERIFY(worker.waitForFinished(10000));
            QCOMPARE(worker.exitStatus(), QProcess::CrashExit);
            QVERIFY(!progress.base.isEmpty());
            const QString problem = CheckState(progress.base);
            QVERIFY2(problem.isEmpty(), qPrintable(where + QStringLiteral(": ") + problem));
        }
    }
};

QTEST_GUILESS_MAIN(CrashTest)
#include "test_crash.moc"
