#include "store/connection.h"

#include "store/error.h"
#include "store/schema.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace solvane {

namespace {
constexpr int kBusyTimeoutMs = 2000;
}

Statement::~Statement() {
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt_, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        connection_.fail(QStringLiteral("bind"));
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    connection_.fail(QString());
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QVariant Statement::column(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                                          sqlite3_column_bytes(stmt_, column)));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)),
                                   sqlite3_column_bytes(stmt_, column)));
    }
}

int Statement::execute() {
    while (step()) {
    }
    return sqlite3_changes(connection_.handle());
}

Connection::Connection(QString fileName) : fileName_(std::move(fileName)) {}

Connection::~Connection() {
    close();
}

void Connection::open() {
    if (db_)
        return;
    const QString shown = QDir::toNativeSeparators(QFileInfo(fileName_).absoluteFilePath());
    auto refuse = [&](const QString& reason) {
        throw Error(QStringLiteral("Не удалось открыть базу данных «%1»: %2.").arg(shown, reason));
    };
    const QFileInfo info(fileName_);
    if (!info.exists())
        refuse(QStringLiteral("файл не найден"));
    if (info.isDir())
        refuse(QStringLiteral("это папка, а не файл базы данных"));
    // The engine would take an empty file for an empty database.
    if (info.size() == 0)
        refuse(
            QStringLiteral("файл пуст: это не база данных, в нём нет таблицы «%1»").arg(SchemaTables().front().name));

    sqlite3* db = nullptr;
    const QByteArray path = fileName_.toUtf8();
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        refuse(reason);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 0);
    // A quoted name that matches no column must be an error, not a string
    // constant: a missing column would otherwise read as its own name.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);

    // Check the file before anything is written to it.
    QStringList tables;
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK) {
        QString reason;
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
            reason = QStringLiteral("файл не является базой данных");
        else if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            reason = QStringLiteral("файл занят другой программой");
        else
            reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        refuse(reason);
    }
    for (const TableDef& t : SchemaTables()) {
        bool found = false;
        for (const QString& name : tables)
            found = found || name.compare(t.name, Qt::CaseInsensitive) == 0;
        if (!found) {
            sqlite3_close(db);
            refuse(QStringLiteral("в ней нет таблицы «%1»").arg(t.name));
        }
    }
    // Other processes may read and write the file at the same time; a posted
    // change is on disk when its action commits.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    db_ = db;
}

void Connection::close() {
    if (!db_)
        return;
    if (inTransaction_) {
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        inTransaction_ = false;
        ++commits_;
    }
    clearCache();
    sqlite3_close(db_);
    db_ = nullptr;
}

sqlite3* Connection::handle() {
    if (!db_)
        open();
    return db_;
}

void Connection::fail(const QString& context) const {
    QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("нет соединения с базой данных");
    const int code = db_ ? sqlite3_errcode(db_) : SQLITE_ERROR;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        message = QStringLiteral("База данных занята другой программой (%1)").arg(message);
    else
        message = QStringLiteral("Ошибка базы данных: %1").arg(message);
    if (!context.isEmpty())
        message += QStringLiteral(" [%1]").arg(context);
    throw Error(message);
}

sqlite3_stmt* Connection::cachedStatement(const QString& sql) {
    const std::string key = sql.toStdString();
    auto it = cache_.find(key);
    if (it != cache_.end())
        return it->second;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle(), key.c_str(), static_cast<int>(key.size()), &stmt, nullptr) != SQLITE_OK)
        fail(QString());
    cache_.emplace(key, stmt);
    return stmt;
}

void Connection::clearCache() {
    for (auto& entry : cache_)
        sqlite3_finalize(entry.second);
    cache_.clear();
}

std::unique_ptr<Statement> Connection::prepare(const QString& sql) {
    return std::make_unique<Statement>(*this, cachedStatement(sql));
}

int Connection::write(const QString& sql, const std::vector<QVariant>& params) {
    handle();
    if (actionDepth_ > 0 && !inTransaction_) {
        if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(QString());
        inTransaction_ = true;
    }
    Statement stmt(*this, cachedStatement(sql));
    for (size_t i = 0; i < params.size(); ++i)
        stmt.bind(static_cast<int>(i) + 1, params[i]);
    const int changed = stmt.execute();
    if (!inTransaction_)
        ++commits_;
    return changed;
}

long long Connection::lastInsertId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

void Connection::beginAction() {
    ++actionDepth_;
}

void Connection::endAction() {
    if (actionDepth_ > 0)
        --actionDepth_;
    if (actionDepth_ == 0)
        commitPending();
}

void Connection::commitPending() {
    if (!inTransaction_ || !db_)
        return;
    inTransaction_ = false;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        fail(QStringLiteral("commit"));
    }
    ++commits_;
}

ActionScope::ActionScope(Connection* connection) : connection_(connection) {
    if (connection_)
        connection_->beginAction();
}

ActionScope::~ActionScope() {
    if (!connection_)
        return;
    try {
        connection_->endAction();
    } catch (const Error&) {
        // A failed commit has been rolled back; the error cannot leave a destructor.
    }
}

ModalPause::ModalPause(Connection* connection) : connection_(connection) {
    if (!connection_)
        return;
    try {
        connection_->commitPending();
    } catch (const Error&) {
    }
    savedDepth_ = connection_->actionDepth();
    connection_->setActionDepth(0);
}

ModalPause::~ModalPause() {
    if (!connection_)
        return;
    try {
        connection_->commitPending();
    } catch (const Error&) {
    }
    connection_->setActionDepth(savedDepth_);
}

} // namespace solvane
