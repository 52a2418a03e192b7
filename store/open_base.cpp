// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/open_base.h"

#include "core/error.h"
#include "core/file_io.h"
#include "store/access_header.h"
#include "store/schema.h"
#include "store/schema_upgrade.h"
#include "store/sqlite_value.h"
#include "store/statement_watch.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <array>
#include <functional>
#include <sqlite3.h>
#include <unistd.h>

namespace solvane {

namespace {

constexpr int kBusyTimeoutMs = 2000;
// A checkpoint follows the last write to a "-wal" within milliseconds, and
// FAT keeps file times to 2 s only: a side file older than its base by more
// than this belongs to another base.
constexpr qint64 kLeftoverAgeMs = 10000;
// The cells the start-up box names one by one.
constexpr int kUnreadableListed = 20;
const std::array<const char*, 3> kSideSuffixes = {"-wal", "-shm", "-journal"};

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString CannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось открыть базу данных «%1»: %2.").arg(Native(path), reason);
}

QString DamagedAtOpen(const QString& shown) {
    return QStringLiteral("Файл «%1» повреждён: Solvane его не открывает и ничего в него не записывает. "
                          "Восстановите базу из копии.")
        .arg(shown);
}

bool Exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The side files beside the base as they were before it was opened: those
// that the open makes are removed again when the base is refused.
class SideFiles {
public:
    explicit SideFiles(const QString& base) : base_(base) {
        for (size_t i = 0; i < kSideSuffixes.size(); ++i)
            existed_[i] = Exists(base_ + QLatin1String(kSideSuffixes[i]));
    }
    void removeMade() const {
        for (size_t i = 0; i < kSideSuffixes.size(); ++i) {
            const QString name = base_ + QLatin1String(kSideSuffixes[i]);
            if (!existed_[i] && Exists(name))
                QFile::remove(name);
        }
    }

private:
    QString base_;
    std::array<bool, kSideSuffixes.size()> existed_{};
};

// A handle being checked: closed without a checkpoint, and what the open made
// beside the file removed, unless it is kept.
class CheckedHandle {
public:
    explicit CheckedHandle(const SideFiles* sides) : sides_(sides) {}
    ~CheckedHandle() {
        if (!db_)
            return;
        sqlite3_close_v2(db_);
        if (sides_)
            sides_->removeMade();
    }
    CheckedHandle(const CheckedHandle&) = delete;
    CheckedHandle& operator=(const CheckedHandle&) = delete;
    sqlite3*& db() { return db_; }
    // Swaps the handle for another (the one refused goes as above).
    void replace(sqlite3* other, const SideFiles* sides) {
        CheckedHandle old(sides_);
        old.db_ = db_;
        db_ = other;
        sides_ = sides;
    }
    sqlite3* release() {
        sqlite3* db = db_;
        db_ = nullptr;
        return db;
    }

private:
    sqlite3* db_ = nullptr;
    const SideFiles* sides_;
};

// Why the engine failed while the file was being opened and checked.
QString EngineReason(sqlite3* db, int rc) {
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
        return QStringLiteral("файл не является базой данных");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("файл занят другой программой");
    case SQLITE_INTERRUPT:
        return QStringLiteral("запрос к базе выполнялся слишком долго и был прерван");
    case SQLITE_READONLY:
        return QStringLiteral("файл доступен только для чтения, а базу нужно восстановить после сбоя");
    case SQLITE_CANTOPEN:
        return QStringLiteral("файл не удаётся открыть");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("нет прав доступа");
    case SQLITE_IOERR:
        return QStringLiteral("ошибка чтения с диска");
    case SQLITE_NOMEM:
        return QStringLiteral("недостаточно памяти");
    case SQLITE_FULL:
        return QStringLiteral("недостаточно места на диске");
    default:
        return QStringLiteral("ошибка базы данных (%1)")
            .arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    }
}

// Checks what the engine says while the file is checked: a damaged file and
// every other failure are refused by name.
class Checker {
public:
    Checker(sqlite3* db, QString path, QString shown) : db_(db), path_(std::move(path)), shown_(std::move(shown)) {}

    void check(int rc) const {
        if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
            return;
        if ((rc & 0xFF) == SQLITE_CORRUPT)
            throw Error(DamagedAtOpen(shown_));
        refuse(EngineReason(db_, rc));
    }
    [[noreturn]] void refuse(const QString& reason) const { throw Error(CannotOpen(path_, reason)); }

    // Runs a statement of the program's own; row receives each result row.
    void query(const QString& sql, const std::function<void(sqlite3_stmt*)>& row = {}) const {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray text = sql.toUtf8();
        int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                if (row)
                    row(stmt);
        }
        sqlite3_finalize(stmt);
        check(rc);
    }
    QString text(sqlite3_stmt* stmt, int column) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
    }

    const QString& shown() const { return shown_; }

private:
    sqlite3* db_;
    QString path_;
    QString shown_;
};

// 3. A side file much older than the base was left by another one.
void CheckLeftovers(const QString& resolved, const QString& shown) {
    const QDateTime base = QFileInfo(resolved).lastModified();
    for (const char* suffix : {"-wal", "-journal"}) {
        const QFileInfo side(resolved + QLatin1String(suffix));
        if (!side.exists() || side.lastModified().msecsTo(base) <= kLeftoverAgeMs)
            continue;
        const QString sideShown = shown + QLatin1String(suffix);
        throw Error(QStringLiteral("Рядом с «%1» лежит файл «%2», который старше самой базы: вероятно, он остался "
                                   "от другой базы. Если базу заменили копией, переместите «%2» в другую папку.")
                        .arg(shown, sideShown));
    }
}

// What every handle on a base is set up with before it reads anything: the
// file's own triggers and views never run, its schema is not trusted, and no
// statement runs for good.
void SetUpHandle(sqlite3* db, const Checker& checker, StatementWatch* watch) {
    checker.check(sqlite3_busy_timeout(db, kBusyTimeoutMs));
    checker.check(sqlite3_extended_result_codes(db, 0));
    // A quoted name that matches no column must be an error, not a string
    // constant: a missing column would otherwise read as its own name.
    for (const int option : {SQLITE_DBCONFIG_DQS_DML, SQLITE_DBCONFIG_DQS_DDL, SQLITE_DBCONFIG_ENABLE_TRIGGER,
                             SQLITE_DBCONFIG_ENABLE_VIEW})
        checker.check(sqlite3_db_config(db, option, 0, static_cast<int*>(nullptr)));
    checker.check(sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int*>(nullptr)));
    // Until the file is taken, closing it writes nothing into it.
    checker.check(sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int*>(nullptr)));
    if (watch)
        watch->attach(db);
    checker.check(sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// 7. Each described table of the file's version is an ordinary rowid table
// with its columns, its key the table's INTEGER PRIMARY KEY; what a later
// version adds is not there yet, so that the upgrade cannot fail on it.
void CheckSchema(const Checker& checker, int version) {
    struct Entry {
        QString type, name, sql;
    };
    std::vector<Entry> entries;
    checker.query(QStringLiteral("SELECT type, name, sql FROM sqlite_master"), [&](sqlite3_stmt* stmt) {
        entries.push_back({checker.text(stmt, 0), checker.text(stmt, 1), checker.text(stmt, 2)});
    });
    const auto find = [&](const QString& name, const QString& type) -> const Entry* {
        for (const Entry& e : entries)
            if (SameName(e.name, name) && (type.isEmpty() || e.type == type))
                return &e;
        return nullptr;
    };
    for (const TableDef& table : SchemaTables()) {
        if (table.version > version) {
            if (find(table.name, QStringLiteral("table")) || find(table.name, QStringLiteral("view")) ||
                find(table.name, QStringLiteral("index")))
                checker.refuse(
                    QStringLiteral("в ней уже есть «%1», а эту таблицу добавит обновление до версии схемы %2")
                        .arg(table.name)
                        .arg(table.version));
            continue;
        }
        const Entry* entry = find(table.name, QStringLiteral("table"));
        if (!entry) {
            if (find(table.name, QStringLiteral("view")))
                checker.refuse(QStringLiteral("«%1» в ней — представление, а не таблица").arg(table.name));
            checker.refuse(QStringLiteral("в ней нет таблицы «%1»").arg(table.name));
        }
        if (entry->sql.trimmed().startsWith(QStringLiteral("CREATE VIRTUAL"), Qt::CaseInsensitive))
            checker.refuse(QStringLiteral("таблица «%1» в ней виртуальная, а не обычная").arg(table.name));
        // An index made for a primary key: a table WITHOUT ROWID, or a key
        // other than the row's own number.
        bool otherKey = false;
        checker.query(QStringLiteral("PRAGMA index_list(\"%1\")").arg(table.name),
                      [&](sqlite3_stmt* stmt) { otherKey = otherKey || checker.text(stmt, 3) == QLatin1String("pk"); });
        if (otherKey)
            checker.refuse(QStringLiteral("таблица «%1» в ней устроена иначе: без номеров строк (WITHOUT ROWID) или "
                                          "с другим первичным ключом")
                               .arg(table.name));
        struct Column {
            QString name, type;
            int pk, hidden;
        };
        std::vector<Column> columns;
        checker.query(QStringLiteral("PRAGMA table_xinfo(\"%1\")").arg(table.name), [&](sqlite3_stmt* stmt) {
            columns.push_back({checker.text(stmt, 1), checker.text(stmt, 2), sqlite3_column_int(stmt, 5),
                               sqlite3_column_int(stmt, 6)});
        });
        const auto column = [&](const QString& name) -> const Column* {
            for (const Column& c : columns)
                if (SameName(c.name, name))
                    return &c;
            return nullptr;
        };
        const QString key = table.keyColumn();
        for (const ColumnDef& def : table.columns) {
            const Column* found = column(def.name);
            if (def.version > version) {
                if (found)
                    checker.refuse(QStringLiteral("в таблице «%1» уже есть столбец «%2», а его добавит обновление до "
                                                  "версии схемы %3")
                                       .arg(table.name, def.name)
                                       .arg(def.version));
                continue;
            }
            if (!found)
                checker.refuse(QStringLiteral("в таблице «%1» нет столбца «%2»").arg(table.name, def.name));
            if (found->hidden != 0)
                checker.refuse(QStringLiteral("столбец «%2» таблицы «%1» вычисляемый").arg(table.name, def.name));
        }
        for (const Column& c : columns) {
            const bool isKey = !key.isEmpty() && SameName(c.name, key);
            if (isKey && (c.pk != 1 || c.type.compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) != 0))
                checker.refuse(QStringLiteral("столбец «%2» таблицы «%1» не является её ключом (INTEGER PRIMARY KEY)")
                                   .arg(table.name, key));
            if (!isKey && c.pk != 0)
                checker.refuse(QStringLiteral("ключ таблицы «%1» — столбец «%2», а должен быть «%3»")
                                   .arg(table.name, c.name, key.isEmpty() ? QStringLiteral("rowid") : key));
            // A column under the name of the row's own number would hide it.
            if (key.isEmpty() &&
                (SameName(c.name, QStringLiteral("rowid")) || SameName(c.name, QStringLiteral("oid")) ||
                 SameName(c.name, QStringLiteral("_rowid_"))))
                checker.refuse(QStringLiteral("в таблице «%1» есть столбец «%2»").arg(table.name, c.name));
        }
    }
}

QStringList UnrunObjects(const Checker& checker) {
    QStringList names;
    checker.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('trigger', 'view') ORDER BY name"),
                  [&](sqlite3_stmt* stmt) { names << checker.text(stmt, 0); });
    return names;
}

// The cells of the described tables that are read as empty.
void FindUnreadableCells(const Checker& checker, int version, BaseNotes& notes) {
    for (const TableDef& table : SchemaTables()) {
        if (table.version > version)
            continue;
        std::vector<const ColumnDef*> columns;
        QStringList names;
        const QString key = table.keyColumn().isEmpty() ? QStringLiteral("rowid") : table.keyColumn();
        names << QStringLiteral("\"%1\"").arg(key);
        for (const ColumnDef& c : table.columns) {
            if (c.version > version)
                continue;
            columns.push_back(&c);
            names << QStringLiteral("\"%1\"").arg(c.name);
        }
        std::vector<QVariant> values(columns.size());
        checker.query(
            QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY 1").arg(names.join(QStringLiteral(", ")), table.name),
            [&](sqlite3_stmt* stmt) {
                for (size_t i = 0; i < columns.size(); ++i)
                    values[i] = ColumnValue(stmt, static_cast<int>(i) + 1);
                const std::vector<QVariant> stored = values;
                const std::vector<bool> unreadable = ReadStoredRow(columns, values);
                for (size_t i = 0; i < columns.size(); ++i) {
                    if (!unreadable[i])
                        continue;
                    if (notes.unreadableCount++ < kUnreadableListed)
                        notes.unreadableCells.push_back(
                            {table.name, columns[i]->name, key, sqlite3_column_int64(stmt, 0), stored[i]});
                }
            });
    }
}

// An older base that cannot be written, read as upgraded: a copy of it in
// memory, upgraded there.
sqlite3* UpgradedCopy(sqlite3* file, const QString& base, const QString& shown, StatementWatch* watch) {
    CheckedHandle copy(nullptr);
    const int rc = sqlite3_open_v2(":memory:", &copy.db(),
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    const Checker checker(copy.db(), base, shown);
    checker.check(rc);
    SetUpHandle(copy.db(), checker, watch);
    sqlite3_backup* backup = sqlite3_backup_init(copy.db(), "main", file, "main");
    if (!backup)
        checker.check(sqlite3_errcode(copy.db()));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    checker.check(stepped == SQLITE_DONE ? finished : stepped);
    UpgradeSchema(copy.db(), base);
    return copy.release();
}

} // namespace

void RequireRegularBaseFile(const QString& base) {
    const QString reason = NotRegularFileReason(base);
    if (!reason.isEmpty())
        throw Error(CannotOpen(QFileInfo(base).absoluteFilePath(), reason));
}

OpenedBase OpenBase(const QString& base, const OpenBaseOptions& options) {
    // 1. A regular file, named as the user knows it: base.mdb, or the whole
    // path of the file a symbolic link leads to.
    RequireRegularBaseFile(base);
    const QFileInfo info(base);
    const QString path = info.absoluteFilePath();
    const QString resolved = info.canonicalFilePath();
    const QString shown = info.isSymLink() ? Native(resolved) : info.fileName();
    // The engine would take an empty file for an empty database.
    if (QFileInfo(resolved).size() == 0)
        throw Error(CannotOpen(
            path,
            QStringLiteral("файл пуст: это не база данных, в нём нет таблицы «%1»").arg(SchemaTables().front().name)));
    // 2. The program asks about an Access file before it gets here.
    if (IsAccessDatabase(resolved))
        throw Error(QStringLiteral("Файл «%1» — база данных Access, а не Solvane: переведите её командой "
                                   "solvane-newbase --from.")
                        .arg(shown));
    // 3. Leftovers of another base.
    CheckLeftovers(resolved, shown);

    // 4. Read-only when the file or its folder cannot be written; a WAL file
    // whose side files are not both there then read as it stands, so that
    // nothing is made beside it.
    const QByteArray file = QFile::encodeName(resolved);
    const QByteArray folder = QFile::encodeName(QFileInfo(resolved).absolutePath());
    const bool writable = ::access(file.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK | X_OK) == 0;
    OpenedBase opened;
    opened.readOnly = options.readOnly || options.knownDamaged || !writable;
    QByteArray header;
    const QString unread = ReadFileStart(resolved, 100, header);
    if (!unread.isEmpty())
        throw Error(CannotOpen(path, unread));
    const bool walFile = header.size() >= 20 && (header.at(18) == 2 || header.at(19) == 2);
    const bool immutable = opened.readOnly && walFile &&
                           !(Exists(resolved + QStringLiteral("-wal")) && Exists(resolved + QStringLiteral("-shm")));
    int flags = (opened.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_FULLMUTEX;
    QByteArray name = file;
    if (immutable) {
        name = QUrl::fromLocalFile(resolved).toEncoded() + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    const SideFiles sides(resolved);
    CheckedHandle handle(&sides);
    const int rc = sqlite3_open_v2(name.constData(), &handle.db(), flags, nullptr);
    const Checker checker(handle.db(), path, shown);
    checker.check(rc);
    SetUpHandle(handle.db(), checker, options.watch);

    // 5. Damage.
    if (!options.knownDamaged) {
        QStringList found;
        checker.query(QStringLiteral("PRAGMA quick_check"),
                      [&](sqlite3_stmt* stmt) { found << checker.text(stmt, 0); });
        if (found != QStringList{QStringLiteral("ok")})
            throw Error(DamagedAtOpen(shown));
    }
    // 6. The version.
    int version = 0;
    checker.query(QStringLiteral("PRAGMA user_version"),
                  [&](sqlite3_stmt* stmt) { version = sqlite3_column_int(stmt, 0); });
    if (version < 0)
        throw Error(
            QStringLiteral("Файл «%1» создан не Solvane или повреждён: версия схемы %2 не бывает отрицательной.")
                .arg(shown)
                .arg(version));
    if (version > kSchemaVersion)
        throw Error(
            QStringLiteral("Файл «%1» создан более новой версией Solvane (версия схемы %2).").arg(shown).arg(version));
    opened.fileVersion = version;
    // 7. The schema, and what the start-up box tells about it.
    CheckSchema(checker, version);
    opened.notes.readOnly = opened.readOnly;
    opened.notes.unrunObjects = UnrunObjects(checker);
    if (options.listUnreadableCells)
        FindUnreadableCells(checker, version, opened.notes);

    // 8. The upgrade.
    if (opened.readOnly) {
        if (version < kSchemaVersion) {
            if (!options.upgradeInMemory)
                throw Error(QStringLiteral("База «%1» создана прежней версией Solvane и открыта только для чтения: её "
                                           "нельзя обновить. Разрешите запись в файл и папку.")
                                .arg(shown));
            handle.replace(UpgradedCopy(handle.db(), path, shown, options.watch), nullptr);
            opened.inMemory = true;
        }
    } else {
        checker.check(sqlite3_db_config(handle.db(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, static_cast<int*>(nullptr)));
        // Other processes may read and write the file at the same time; a
        // posted change is on disk when its action commits.
        QString mode;
        checker.query(QStringLiteral("PRAGMA journal_mode=WAL"),
                      [&](sqlite3_stmt* stmt) { mode = checker.text(stmt, 0); });
        if (mode.compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
            checker.refuse(QStringLiteral("файл занят другой программой"));
        checker.query(QStringLiteral("PRAGMA synchronous=FULL"));
        // An older base gains what this version needs before any data set reads it.
        UpgradeSchema(handle.db(), base);
    }
    opened.db = handle.release();
    return opened;
}

void CheckBase(const QString& base) {
    OpenBaseOptions options;
    options.readOnly = true;
    options.upgradeInMemory = true;
    sqlite3_close(OpenBase(base, options).db);
}

QString ReadOnlyBaseText(const QString& base) {
    return QStringLiteral("База «%1» открыта только для чтения: изменения не сохранятся.").arg(base);
}

QString DamagedBaseText(const QString& base) {
    return QStringLiteral("Файл «%1» повреждён: Solvane больше ничего в него не записывает. Закройте программу и "
                          "восстановите базу из копии.")
        .arg(base);
}

QString BaseNotesText(const BaseNotes& notes, const QString& base) {
    QStringList paragraphs;
    if (notes.readOnly)
        paragraphs << ReadOnlyBaseText(base);
    if (!notes.unrunObjects.isEmpty())
        paragraphs << QStringLiteral("В базе «%1» есть триггеры и представления, которые Solvane не выполняет: %2.")
                          .arg(base, notes.unrunObjects.join(QStringLiteral(", ")));
    if (notes.unreadableCount > 0) {
        QStringList lines;
        lines << QStringLiteral("В базе «%1» есть значения, которых не бывает в их полях. Solvane читает их как "
                                "пустые (поле берёт значение по умолчанию) и не меняет в файле, пока эти строки не "
                                "изменят:")
                     .arg(base);
        for (const UnreadableCell& cell : notes.unreadableCells)
            lines << UnreadableCellText(cell);
        const int more = notes.unreadableCount - static_cast<int>(notes.unreadableCells.size());
        if (more > 0)
            lines << QStringLiteral("и ещё %1").arg(more);
        paragraphs << lines.join(QLatin1Char('\n'));
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}

} // namespace solvane
