// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a base of 10,000 fertilizers (three content rows each) with every
// check the program makes: prints the median time of the whole open, of the
// quick_check alone, and of the first open of a run, which also looks through
// every table for cells that read as empty.
#include "bench_support.h"
#include "store/open_base.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <vector>

using namespace solvane;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The milliseconds each run of the action takes.
template <typename Action> double Timed(int rounds, Action action) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        action();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return Median(times);
}

double Open(int rounds, bool listCells) {
    return Timed(rounds, [listCells] {
        OpenBaseOptions options;
        options.listUnreadableCells = listCells;
        sqlite3_close(OpenBase(QStringLiteral("base.mdb"), options).db);
    });
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = bench::Rounds(argc, argv, 21);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    bench::BuildDatabase(QStringLiteral("base.mdb"), {10000, 14, 2, 1});
    Open(1, false); // the file in WAL mode and in the disk cache

    const double open = Open(rounds, false);
    const double first = Open(rounds, true);
    sqlite3* db = nullptr;
    sqlite3_open_v2("base.mdb", &db, SQLITE_OPEN_READONLY, nullptr);
    const double check = Timed(rounds, [db] { sqlite3_exec(db, "PRAGMA quick_check", nullptr, nullptr, nullptr); });
    sqlite3_close(db);
    std::printf("OpenBase, 10000 fertilizers, %d rounds (median):\n", rounds);
    std::printf("  open with every check          %8.2f ms\n", open);
    std::printf("  of which PRAGMA quick_check    %8.2f ms\n", check);
    std::printf("  first open (cells looked over) %8.2f ms\n", first);
    return 0;
}
