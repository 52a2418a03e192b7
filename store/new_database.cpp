// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/new_database.h"

#include "core/error.h"
#include "core/file_io.h"
#include "store/schema.h"
#include "store/sqlite_value.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sqlite3.h>

namespace solvane {

QStringList NewDatabase::files(const QString& path) {
    QStringList names{path};
    for (const char* side : {"-wal", "-shm", "-journal"})
        names << path + QString::fromLatin1(side);
    return names;
}

NewDatabase::NewDatabase(const QString& path) : path_(path) {
    for (const QString& name : files(path_))
        if (QFileInfo::exists(name))
            throw Error(QStringLiteral("Файл «%1» уже существует; он не перезаписывается.").arg(name));
    // Made here, and only if there is no such file, so that no file is
    // ever overwritten, even one that appeared a moment ago.
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Error(QStringLiteral("Не удалось создать файл «%1»: %2.").arg(path, FileErrorReason(file)));
    file.close();
    created_ = true;
    const QByteArray p = path.toUtf8();
    const int rc = sqlite3_open_v2(p.constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    exec("PRAGMA journal_mode=WAL");
    exec("BEGIN");
    exec(SchemaSql().toUtf8().constData());
}

NewDatabase::~NewDatabase() {
    discard();
}

void NewDatabase::exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

long long NewDatabase::insert(const char* sql, const std::vector<QVariant>& params) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
    for (size_t i = 0; rc == SQLITE_OK && i < params.size(); ++i)
        rc = BindValue(stmt, static_cast<int>(i) + 1, params[i]);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK)
        fail(rc);
    return sqlite3_last_insert_rowid(db_);
}

void NewDatabase::finish() {
    exec("COMMIT");
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    // The row says whether the checkpoint could not run to its end.
    const bool busy = rc == SQLITE_ROW && sqlite3_column_int(stmt, 0) != 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW)
        fail(rc);
    if (busy)
        fail(SQLITE_BUSY);
    rc = sqlite3_close(db_);
    if (rc != SQLITE_OK)
        fail(rc);
    db_ = nullptr;
    created_ = false;
}

bool NewDatabase::discard() noexcept {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    if (!created_)
        return true;
    created_ = false;
    bool removed = true;
    for (const QString& name : files(path_))
        if (QFileInfo::exists(name) && !QFile::remove(name))
            removed = false;
    return removed;
}

QString NewDatabase::reason(int rc) const {
    switch (rc & 0xFF) {
    case SQLITE_FULL:
        return SystemErrorText(ENOSPC);
    case SQLITE_IOERR:
        return QStringLiteral("ошибка записи на диск");
    case SQLITE_CANTOPEN:
        return QStringLiteral("файл не удаётся открыть");
    case SQLITE_READONLY:
        return QStringLiteral("файл доступен только для чтения");
    case SQLITE_PERM:
        return SystemErrorText(EACCES);
    default:
        return QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    }
}

void NewDatabase::fail(int rc) {
    const QString message = QStringLiteral("Не удалось записать «%1»: %2.").arg(path_, reason(rc));
    throw Error(message + (discard() ? QStringLiteral(" Недописанный файл удалён.")
                                     : QStringLiteral(" Недописанный файл удалить не удалось: удалите его.")));
}

} // namespace solvane
