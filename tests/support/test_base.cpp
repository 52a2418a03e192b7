// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_base.h"

#include "core/error.h"
#include "store/schema.h"
#include "store/sqlite_value.h"

#include <QFile>
#include <cmath>
#include <QStringList>
#include <sqlite3.h>

namespace solvane::test {

namespace {

[[noreturn]] void failSql(sqlite3* db, const QString& sql) {
    throw Error(QStringLiteral("%1: %2").arg(sql, QString::fromUtf8(db ? sqlite3_errmsg(db) : "no database")));
}

void bindAll(sqlite3* db, sqlite3_stmt* stmt, const QString& sql, const std::vector<QVariant>& params) {
    for (size_t i = 0; i < params.size(); ++i)
        if (BindValue(stmt, static_cast<int>(i) + 1, params[i]) != SQLITE_OK)
            failSql(db, sql);
}

} // namespace

void CreateBaseFile(const QString& fileName) {
    sqlite3* db = nullptr;
    const QByteArray path = fileName.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        throw Error(QStringLiteral("cannot create %1: %2").arg(fileName, reason));
    }
    try {
        CreateSchema(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

QByteArray FileBytes(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

SqlFile::SqlFile(const QString& fileName) {
    const QByteArray path = fileName.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(QStringLiteral("cannot open %1: %2").arg(fileName, reason));
    }
    sqlite3_busy_timeout(db_, 5000);
}

SqlFile::~SqlFile() {
    sqlite3_close(db_);
}

std::vector<std::vector<QVariant>> SqlFile::rows(const QString& sql, const std::vector<QVariant>& params) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt, nullptr) != SQLITE_OK)
        failSql(db_, sql);
    std::vector<std::vector<QVariant>> result;
    try {
        bindAll(db_, stmt, sql, params);
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::vector<QVariant> row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row.push_back(ColumnValue(stmt, c));
            result.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            failSql(db_, sql);
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    sqlite3_finalize(stmt);
    return result;
}

void SqlFile::exec(const QString& sql, const std::vector<QVariant>& params) {
    rows(sql, params);
}

std::vector<double> SqlFile::numbers(const QString& sql, const std::vector<QVariant>& params) {
    std::vector<double> values;
    for (const std::vector<QVariant>& row : rows(sql, params))
        values.push_back(row.empty() || row.front().isNull() ? std::nan("") : row.front().toDouble());
    return values;
}

void SqlFile::script(const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : "unknown error");
        sqlite3_free(error);
        throw Error(QStringLiteral("%1: %2").arg(sql, text));
    }
}

QVariant SqlFile::value(const QString& sql, const std::vector<QVariant>& params) {
    const auto result = rows(sql, params);
    if (result.empty() || result.front().empty())
        return QVariant();
    return result.front().front();
}

long long SqlFile::insert(const QString& table, const RowValues& values) {
    QStringList columns, marks;
    std::vector<QVariant> params;
    for (const auto& [column, value] : values) {
        columns << QStringLiteral("\"%1\"").arg(column);
        marks << QStringLiteral("?");
        params.push_back(value);
    }
    if (columns.isEmpty())
        exec(QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table));
    else
        exec(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                 .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
             params);
    return sqlite3_last_insert_rowid(db_);
}

TestBase::TestBase(const QString& fileName) : created_(fileName), sql_(fileName), connection_(fileName) {
    connection_.open();
}

} // namespace solvane::test
