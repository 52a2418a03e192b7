#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace solvane {

class Connection;

// A prepared statement of the connection; parameters are bound by position
// (1-based), never spliced into the SQL text.
class Statement {
public:
    Statement(Connection& connection, sqlite3_stmt* stmt) : connection_(connection), stmt_(stmt) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    void bind(int index, const QVariant& value);
    // Advances to the next result row; false when done. Throws Error on failure.
    bool step();
    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    // Runs the statement to its end and returns the number of rows changed.
    int execute();

private:
    Connection& connection_;
    sqlite3_stmt* stmt_;
};

// The one connection to base.mdb. Opening never creates the file: it must
// already be an SQLite database that holds the ten tables.
//
// Writes are grouped per user action: while an action is running (see
// ActionScope) the first write begins a transaction, and the end of the
// outermost action commits it, so the disk is synced once per action.
// Outside an action every statement commits by itself.
class Connection {
public:
    explicit Connection(QString fileName = QStringLiteral("base.mdb"));
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens and checks the file; throws Error naming the file and the reason.
    void open();
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const QString& fileName() const { return fileName_; }
    sqlite3* handle();

    // A statement for one run. Throws Error when it cannot be prepared.
    std::unique_ptr<Statement> prepare(const QString& sql);
    // Runs a writing statement with its parameters inside the action's
    // transaction and returns the number of rows changed.
    int write(const QString& sql, const std::vector<QVariant>& params);
    long long lastInsertId() const;

    void beginAction();
    void endAction();
    // Commits what the running action has written so far (before a message box
    // waits for the user, so that no other process is locked out meanwhile).
    void commitPending();
    bool inTransaction() const { return inTransaction_; }
    int actionDepth() const { return actionDepth_; }
    void setActionDepth(int depth) { actionDepth_ = depth; }
    // Number of transactions committed so far (one disk sync each).
    long long commitCount() const { return commits_; }

    [[noreturn]] void fail(const QString& context) const;

private:
    sqlite3_stmt* cachedStatement(const QString& sql);
    void clearCache();

    QString fileName_;
    sqlite3* db_ = nullptr;
    int actionDepth_ = 0;
    bool inTransaction_ = false;
    long long commits_ = 0;
    std::unordered_map<std::string, sqlite3_stmt*> cache_;
};

// Marks one user action: everything it writes is committed together when the
// outermost scope ends, also when it ends by an exception.
class ActionScope {
public:
    explicit ActionScope(Connection* connection);
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    Connection* connection_;
};

// Around a modal wait: commits the running action's writes, and lets what runs
// during the wait (a timer, say) use transactions of its own.
class ModalPause {
public:
    explicit ModalPause(Connection* connection);
    ~ModalPause();
    ModalPause(const ModalPause&) = delete;
    ModalPause& operator=(const ModalPause&) = delete;

private:
    Connection* connection_;
    int savedDepth_ = 0;
};

} // namespace solvane
