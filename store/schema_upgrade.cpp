// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/schema_upgrade.h"

#include "core/error.h"
#include "store/schema.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace solvane {

int SchemaVersionOf(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    if (version < 0)
        throw Error(QStringLiteral("Не удалось прочитать версию схемы базы данных: %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(db))));
    return version;
}

void UpgradeSchema(sqlite3* db, const QString& fileName) {
    const int version = SchemaVersionOf(db);
    const QString shown = QFileInfo(fileName).fileName();
    if (version > kSchemaVersion)
        throw Error(
            QStringLiteral("Файл «%1» создан более новой версией Solvane (версия схемы %2).").arg(shown).arg(version));
    if (version == kSchemaVersion)
        return;
    const QByteArray sql = (QStringLiteral("BEGIN IMMEDIATE;\n") + UpgradeSql(version) +
                            QStringLiteral("PRAGMA user_version=%1;\nCOMMIT;\n").arg(kSchemaVersion))
                               .toUtf8();
    char* message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw Error(QStringLiteral("Не удалось обновить базу данных «%1» до версии схемы %2: %3")
                        .arg(shown)
                        .arg(kSchemaVersion)
                        .arg(reason));
    }
}

} // namespace solvane
