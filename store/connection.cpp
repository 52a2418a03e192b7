// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/connection.h"

#include "store/dataset.h"
#include "store/sqlite_value.h"

#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace solvane {

namespace {

// Failures of the file or of the engine itself, after which the engine may
// have dropped the transaction or left it half done: the action is lost.
bool IsFault(int code) {
    switch (code) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM:
    case SQLITE_PROTOCOL:
    case SQLITE_ABORT:
    case SQLITE_INTERRUPT:
        return true;
    default:
        return false;
    }
}

// The text shown for an engine failure: what happened and what it means,
// naming the file.
QString StoreFailureText(int code, int extendedCode, const QString& engineText, const QString& fileName,
                         FailureMeaning meaning) {
    QString cause;
    switch (code) {
    case SQLITE_FULL:
        cause = QStringLiteral("Недостаточно места на диске");
        break;
    case SQLITE_IOERR:
        cause = QStringLiteral("Ошибка чтения или записи на диске (%1)").arg(engineText);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        cause = QStringLiteral("База данных занята другой программой");
        break;
    case SQLITE_READONLY:
        cause = extendedCode == SQLITE_READONLY_DBMOVED ? QStringLiteral("Файл базы данных удалён или перемещён")
                                                        : QStringLiteral("Файл базы данных доступен только для чтения");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        cause = QStringLiteral("Файл базы данных повреждён");
        break;
    case SQLITE_CANTOPEN:
        cause = QStringLiteral("Файл базы данных недоступен (%1)").arg(engineText);
        break;
    case SQLITE_NOMEM:
        cause = QStringLiteral("Недостаточно памяти");
        break;
    case SQLITE_INTERRUPT:
        cause = QStringLiteral("Запрос к базе выполнялся слишком долго и был прерван");
        break;
    default:
        cause = QStringLiteral("Ошибка базы данных: %1").arg(engineText);
    }
    QString means;
    switch (meaning) {
    case FailureMeaning::ActionLost:
        means = QStringLiteral("последнее действие не сохранено");
        break;
    case FailureMeaning::ChangeLost:
        means = QStringLiteral("изменение не сохранено");
        break;
    case FailureMeaning::NotRead:
        means = QStringLiteral("данные не прочитаны");
        break;
    }
    return QStringLiteral("%1: %2 (%3)").arg(cause, means, fileName);
}
} // namespace

// ---------------------------------------------------------------- connection

Connection::Connection(QString fileName) : fileName_(std::move(fileName)) {}

Connection::Connection(QString fileName, ReadingOnly) : fileName_(std::move(fileName)), readingOnly_(true) {}

Connection::~Connection() {
    for (DataSet* set : dataSets_)
        set->connectionGone();
    dataSets_.clear();
    if (!db_)
        return;
    // The program is ending: what a running action wrote is kept if the
    // engine can still commit it; there is nobody left to tell otherwise.
    if (inTransaction_ && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK &&
        !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    finalizeStatements();
    sqlite3_close(db_);
}

void Connection::open() {
    if (db_)
        return;
    OpenBaseOptions options;
    options.knownDamaged = damaged_;
    options.readOnly = readingOnly_;
    options.upgradeInMemory = readingOnly_;
    // The start-up box tells of the cells read as empty once, at the first open.
    options.listUnreadableCells = !openedBefore_;
    options.watch = &watch_;
    const OpenedBase base = OpenBase(fileName_, options);
    db_ = base.db;
    readOnly_ = base.readOnly;
    if (!openedBefore_)
        notes_ = base.notes;
    openedBefore_ = true;
}

QString Connection::writeRefusal() const {
    const QString shown = QFileInfo(fileName_).fileName();
    return damaged_ ? DamagedBaseText(shown) : ReadOnlyBaseText(shown);
}

void Connection::close() {
    if (!db_)
        return;
    commitPending();
    finalizeStatements();
    if (sqlite3_close(db_) != SQLITE_OK)
        throw Error(QStringLiteral("Не удалось закрыть базу данных (%1): %2")
                        .arg(fileName_, QString::fromUtf8(sqlite3_errmsg(db_))));
    db_ = nullptr;
}

sqlite3* Connection::handle() {
    if (!db_)
        open();
    return db_;
}

void Connection::noteDamage(int code) {
    if (code != SQLITE_CORRUPT && code != SQLITE_NOTADB)
        return;
    // Nothing more goes into the file, not even a checkpoint when it closes.
    damaged_ = true;
    if (db_)
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, static_cast<int*>(nullptr));
}

StoreError Connection::engineFailure(bool reading, bool lost) {
    const int code = db_ ? sqlite3_errcode(db_) : SQLITE_MISUSE;
    noteDamage(code);
    const int extended = db_ ? sqlite3_extended_errcode(db_) : code;
    const QString text = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("нет соединения");
    FailureMeaning meaning = FailureMeaning::ChangeLost;
    if (lost)
        meaning = FailureMeaning::ActionLost;
    else if (reading)
        meaning = FailureMeaning::NotRead;
    return StoreError(StoreFailureText(code, extended, text, fileName_, meaning), code);
}

std::optional<StoreError> Connection::fileGone(FailureMeaning meaning) const {
    int moved = 0;
    if (!db_ || sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved)
        return std::nullopt;
    return StoreError(StoreFailureText(SQLITE_READONLY, SQLITE_READONLY_DBMOVED, QString(), fileName_, meaning),
                      SQLITE_READONLY);
}

void Connection::fail(bool reading) {
    // The engine may have rolled the whole transaction back by itself.
    const bool dropped = inTransaction_ && db_ && sqlite3_get_autocommit(db_);
    const bool lost = inTransaction_ && (dropped || IsFault(db_ ? sqlite3_errcode(db_) : SQLITE_MISUSE));
    const StoreError failure = engineFailure(reading, lost);
    if (lost && !lost_)
        lost_ = failure;
    throw failure;
}

void Connection::returnStatement(Statement* statement) {
    live_.erase(statement);
    sqlite3_stmt* stmt = statement->stmt_;
    statement->stmt_ = nullptr;
    if (!stmt)
        return;
    // A failed run leaves its error in the statement; it is reported already.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    idle_.emplace(statement->sql_, stmt);
}

void Connection::finalizeStatements() {
    for (auto& entry : idle_)
        sqlite3_finalize(entry.second);
    idle_.clear();
    for (Statement* statement : live_) {
        sqlite3_finalize(statement->stmt_);
        statement->stmt_ = nullptr;
        statement->connection_ = nullptr;
    }
    live_.clear();
}

std::unique_ptr<Statement> Connection::statementFor(const QString& sql, bool reading) {
    std::string text = sql.toStdString();
    sqlite3_stmt* stmt = nullptr;
    auto it = idle_.find(text);
    if (it != idle_.end()) {
        stmt = it->second;
        idle_.erase(it);
    } else if (sqlite3_prepare_v2(handle(), text.c_str(), static_cast<int>(text.size()), &stmt, nullptr) != SQLITE_OK) {
        fail(reading);
    }
    std::unique_ptr<Statement> statement(new Statement(*this, stmt, std::move(text)));
    live_.insert(statement.get());
    return statement;
}

std::unique_ptr<Statement> Connection::read(const QString& sql) {
    std::unique_ptr<Statement> statement = statementFor(sql, true);
    // Every write goes through write(), where a base that cannot be written
    // refuses it.
    if (!sqlite3_stmt_readonly(statement->stmt_))
        throw Error(QStringLiteral("Запрос, который меняет базу, не может быть запросом на чтение: %1").arg(sql));
    return statement;
}

int Connection::write(const QString& sql, const std::vector<QVariant>& params) {
    handle();
    if (lost_)
        throw *lost_;
    if (!writable())
        throw StoreError(writeRefusal(), SQLITE_READONLY);
    if (actionDepth_ > 0 && !inTransaction_) {
        if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail();
        inTransaction_ = true;
    } else if (!inTransaction_) {
        if (const auto gone = fileGone(FailureMeaning::ChangeLost))
            throw *gone;
    }
    const std::unique_ptr<Statement> stmt = statementFor(sql, false);
    for (size_t i = 0; i < params.size(); ++i)
        stmt->bind(static_cast<int>(i) + 1, params[i]);
    const int changed = stmt->execute();
    if (!inTransaction_)
        ++commits_;
    return changed;
}

long long Connection::lastInsertId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

// ---------------------------------------------------------------- actions

unsigned long long Connection::beginAction() {
    if (actionDepth_ == 0) {
        openAtStart_.clear();
        for (DataSet* set : dataSets_)
            if (set->isActive())
                openAtStart_.push_back(set);
    }
    ++actionDepth_;
    actionSerial_ = ++nextSerial_;
    return actionSerial_;
}

void Connection::endAction(unsigned long long outerSerial) {
    if (actionDepth_ > 0)
        --actionDepth_;
    actionSerial_ = outerSerial;
    if (actionDepth_ == 0)
        settle();
}

void Connection::settle() {
    if (lost_)
        loseAction(*lost_);
    if (inTransaction_ && db_) {
        // Writing into a file that was removed or renamed would reach nothing
        // the user can open again.
        if (const auto gone = fileGone(FailureMeaning::ActionLost))
            loseAction(*gone);
        // The engine's own text is read before a rollback can replace it.
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            loseAction(engineFailure(false, true));
        inTransaction_ = false;
        ++commits_;
    }
    notifyActionEnd(false);
}

void Connection::commitPending() {
    if (lost_)
        throw *lost_;
    if (!inTransaction_ || !db_)
        return;
    std::optional<StoreError> gone = fileGone(FailureMeaning::ActionLost);
    if (gone || sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const StoreError failure = gone ? *gone : engineFailure(false, true);
        // The action stays lost until its owner ends it and reports it; the
        // data sets show what the file holds from now on.
        lost_ = failure;
        const QString more = undoAction();
        throw StoreError(failure.message() + more, failure.code());
    }
    inTransaction_ = false;
    ++commits_;
}

QString Connection::rollbackTransaction() {
    if (!inTransaction_)
        return QString();
    inTransaction_ = false;
    // The engine may have rolled back by itself already. A rollback that fails
    // is completed by the engine from its journal the next time the file is
    // read; the user is told all the same.
    if (db_ && !sqlite3_get_autocommit(db_) && sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        return QStringLiteral("Не удалось отменить изменения: %1").arg(QString::fromUtf8(sqlite3_errmsg(db_)));
    return QString();
}

void Connection::loseAction(const StoreError& failure) {
    const StoreError reported = failure;
    lost_.reset();
    const QString more = undoAction();
    notifyActionEnd(true);
    throw StoreError(reported.message() + more, reported.code());
}

QString Connection::undoAction() {
    QString more;
    const QString rollback = rollbackTransaction();
    if (!rollback.isEmpty())
        more += QLatin1Char('\n') + rollback;
    try {
        ReloadDataSets(dataSets_, openAtStart_);
    } catch (const Error& e) {
        more += QLatin1Char('\n') + e.message();
    }
    return more;
}

void Connection::notifyActionEnd(bool rolledBack) {
    // A handler's own action ends inside this loop: it is not announced again.
    if (notifying_)
        return;
    notifying_ = true;
    const auto handlers = endHandlers_;
    for (const auto& entry : handlers) {
        try {
            entry.second(rolledBack);
        } catch (...) {
            // The handlers refresh what windows show and report their own errors.
        }
    }
    notifying_ = false;
}

int Connection::addActionEndHandler(std::function<void(bool)> handler) {
    endHandlers_.emplace_back(++nextHandlerId_, std::move(handler));
    return nextHandlerId_;
}

void Connection::removeActionEndHandler(int id) {
    endHandlers_.erase(
        std::remove_if(endHandlers_.begin(), endHandlers_.end(), [id](const auto& entry) { return entry.first == id; }),
        endHandlers_.end());
}

void Connection::addDataSet(DataSet* set) {
    if (std::find(dataSets_.begin(), dataSets_.end(), set) == dataSets_.end())
        dataSets_.push_back(set);
}

void Connection::removeDataSet(DataSet* set) {
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), set), dataSets_.end());
}

} // namespace solvane
