// SPDX-License-Identifier: GPL-3.0-or-later
// Store benchmark: a database of 10,000 fertilizers with 5 content rows each.
// Prints the median time of OpenTables, of a name-search filter switched on
// and off on the shared fertilizer list, and of 1,000 single-row posts run as
// one user action.
#include "app/program.h"
#include "store/database.h"
#include "store/action_scope.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/sqlite_value.h"
#include "store/starter_database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

using namespace solvane;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs a prepared insert with these parameters.
void insertRow(sqlite3_stmt* stmt, const std::vector<QVariant>& params) {
    for (size_t i = 0; i < params.size(); ++i)
        BindValue(stmt, static_cast<int>(i) + 1, params[i]);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
}

void fill(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* fert = nullptr;
    sqlite3_stmt* content = nullptr;
    sqlite3_stmt* line = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t_udobra (name_udobra, ppm) VALUES (?, ?)", -1, &fert, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES (?, ?, ?)", -1,
                       &content, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO t_rachet (id_udobra, kol) VALUES (?, ?)", -1, &line, nullptr);
    const char* words[] = {"Сульфат", "Нитрат", "Хелат", "Фосфат", "Калий", "Магний", "Кальций", "Аммоний"};
    for (int i = 0; i < 10000; ++i) {
        const QString name = QStringLiteral("%1 %2 №%3")
                                 .arg(QString::fromUtf8(words[i % 8]), QString::fromUtf8(words[(i / 8) % 8]))
                                 .arg(i);
        insertRow(fert, {name, 100 + i % 700});
        const qlonglong id = sqlite3_last_insert_rowid(db);
        for (int k = 0; k < 5; ++k)
            insertRow(content, {1 + (i + k) % 17, id, 1.5 + k * 3.25});
    }
    for (int i = 0; i < 1000; ++i)
        insertRow(line, {20 + i, 0.5});
    sqlite3_finalize(fert);
    sqlite3_finalize(content);
    sqlite3_finalize(line);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SOLVANE_DIALOGS", "stderr");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    CreateEmptyDatabase(QStringLiteral("base.mdb"));
    fill(QStringLiteral("base.mdb"));

    Program program;
    std::vector<double> open, filterOn, filterOff, posts;
    QElapsedTimer t;
    for (int run = 0; run < 11; ++run) {
        program.CloseTables();
        t.start();
        program.OpenTables();
        open.push_back(t.nsecsElapsed() / 1e6);
    }
    DataSet& list = program.data().fertilizers;
    const QString searches[] = {QStringLiteral("нитрат"), QStringLiteral("калий №9"), QStringLiteral("Хелат"),
                                QStringLiteral("зz")};
    for (int run = 0; run < 41; ++run) {
        t.start();
        list.setFilter(QStringLiteral("name_udobra like %") + searches[run % 4] + QStringLiteral("%"));
        list.setFiltered(true);
        filterOn.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        list.setFiltered(false);
        filterOff.push_back(t.nsecsElapsed() / 1e6);
    }
    DataSet& lines = program.data().composition;
    Field* kol = lines.fieldByName(QStringLiteral("kol"));
    Connection& connection = program.data().connection();
    long long commits = 0;
    for (int run = 0; run < 7; ++run) {
        const long long before = connection.commitCount();
        t.start();
        {
            ActionScope action(&connection);
            lines.first();
            while (!lines.eof()) {
                lines.edit();
                kol->setAsFloat(0.25 * (run + 1) + lines.recNo() * 0.001);
                lines.post();
                lines.next();
            }
        }
        posts.push_back(t.nsecsElapsed() / 1e6);
        commits = connection.commitCount() - before;
    }
    std::printf("store benchmark: %d fertilizers, %d content rows, %d composition lines\n",
                program.data().fertilizers.recordCount(), 50000, lines.recordCount());
    std::printf("OpenTables                       median %8.2f ms   (target < 100 ms)\n", median(open));
    std::printf("name search filter on            median %8.2f ms   (target < 5 ms)\n", median(filterOn));
    std::printf("name search filter off           median %8.2f ms   (target < 5 ms)\n", median(filterOff));
    std::printf("1000 posts in one action         median %8.2f ms   (target < 50 ms), %lld commit(s) per action\n",
                median(posts), commits);
    return 0;
}
