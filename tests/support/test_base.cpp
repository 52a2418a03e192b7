#include "support/test_base.h"

#include "store/error.h"
#include "store/schema.h"

#include <QFile>
#include <QStringList>
#include <sqlite3.h>

namespace solvane::test {

namespace {

[[noreturn]] void failSql(sqlite3* db, const QString& sql) {
    throw Error(QStringLiteral("%1: %2").arg(sql, QString::fromUtf8(db ? sqlite3_errmsg(db) : "no database")));
}

void bindAll(sqlite3* db, sqlite3_stmt* stmt, const QString& sql, const std::vector<QVariant>& params) {
    for (size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const QVariant& v = params[i];
        int rc = SQLITE_OK;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(stmt, index);
        } else {
            switch (v.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt, index, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = v.toByteArray();
                rc =
                    sqlite3_bind_blob(stmt, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray utf8 = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK)
            failSql(db, sql);
    }
}

QVariant columnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return static_cast<qlonglong>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return QVariant();
    }
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
                row.push_back(columnValue(stmt, c));
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
