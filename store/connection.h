#pragma once

#include "store/store_error.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace solvane {

class Connection;
class DataSet;

// What an engine failure means for the user's work.
enum class FailureMeaning {
    ActionLost, // the running action's changes were not saved
    ChangeLost, // the one change was not saved
    NotRead     // data could not be read
};

// A prepared statement of the connection, owned by this object alone;
// parameters are bound by position (1-based), never spliced into the SQL
// text. When the connection closes under a live statement, the statement is
// finalized and any later use of it throws.
class Statement {
public:
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    // Hands the engine's statement back to the connection for the next run.
    ~Statement();

    void bind(int index, const QVariant& value);
    // Advances to the next result row; false when done. Throws StoreError on failure.
    bool step();
    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    // Runs the statement to its end and returns the number of rows changed.
    int execute();

private:
    friend class Connection;
    Statement(Connection& connection, sqlite3_stmt* stmt, std::string sql);
    sqlite3_stmt* live() const;

    Connection* connection_;
    sqlite3_stmt* stmt_;
    std::string sql_;
};

// The one connection to base.mdb. Opening never creates the file: it must
// already be an SQLite database that holds the ten tables.
//
// Writes are grouped per user action (see ActionScope, the owner of an
// action's transaction): while an action runs, its first write begins a
// transaction and the end of the outermost action commits it, so the disk is
// synced once per action. Outside an action every statement commits by itself.
//
// An engine failure (a full disk, an I/O error, the file locked past the busy
// timeout, the file removed) is never swallowed: its text is read at once,
// and when it costs the action its transaction the action is lost as a whole
// (no later write of it reaches the file); its owner then rolls it back, reads
// every open data set on this connection again and reports the failure.
class Connection {
public:
    explicit Connection(QString fileName = QStringLiteral("base.mdb"));
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens and checks the file; throws Error naming the file and the reason.
    void open();
    // Closes the file. What a running action wrote so far is committed first
    // (a failed commit throws before anything is closed); statements still
    // alive are finalized. Throws when the engine refuses to close.
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const QString& fileName() const { return fileName_; }
    sqlite3* handle();

    // A statement for one run. Throws StoreError when it cannot be prepared.
    std::unique_ptr<Statement> prepare(const QString& sql);
    // Runs a writing statement with its parameters inside the action's
    // transaction and returns the number of rows changed.
    int write(const QString& sql, const std::vector<QVariant>& params);
    long long lastInsertId() const;

    // ---- actions (begun and ended by ActionScope, split by ModalPause) ----
    bool inAction() const { return actionDepth_ > 0; }
    bool inTransaction() const { return inTransaction_; }
    // The number of the innermost running action, 0 outside any; an action
    // begun later has a larger number.
    unsigned long long actionSerial() const { return actionSerial_; }
    // The running action was lost to an engine failure and is being unwound.
    bool actionLost() const { return lost_.has_value(); }
    // Commits what the running action wrote so far. A failure loses the
    // action: it is rolled back, the data sets are read again, and StoreError
    // is thrown. Throws the failure at once when the action is already lost.
    void commitPending();
    // Number of transactions committed so far (one disk sync each).
    long long commitCount() const { return commits_; }

    // ---- the data sets on this connection ----
    void addDataSet(DataSet* set);
    void removeDataSet(DataSet* set);
    const std::vector<DataSet*>& dataSets() const { return dataSets_; }

    // Runs after every outermost action, once its transaction is settled;
    // rolledBack tells that the data sets were read again. Returns an id for
    // removeActionEndHandler.
    int addActionEndHandler(std::function<void(bool rolledBack)> handler);
    void removeActionEndHandler(int id);

    // Throws StoreError for the engine's last failure (reading: a read
    // failed). When it cost the running action its transaction, the action
    // is marked lost first.
    [[noreturn]] void fail(bool reading = false);

private:
    friend class ActionScope;
    friend class ModalPause;
    friend class Statement;

    unsigned long long beginAction();
    // Ends the innermost action (outerSerial: the number of the action it
    // ran in); the outermost settles the transaction.
    void endAction(unsigned long long outerSerial);
    void settle();
    // Rolls back a lost or failed transaction and reads every open data set
    // again, then throws the failure.
    [[noreturn]] void loseAction(const StoreError& failure);
    // Returns what went wrong, empty when the rollback worked.
    QString rollbackTransaction();
    // Rolls the transaction back and reads every data set again (opening
    // those the action closed); returns what went wrong on the way, if anything.
    QString undoAction();
    // The failure to report when the file was removed or renamed since it was opened.
    std::optional<StoreError> fileGone(FailureMeaning meaning) const;
    void notifyActionEnd(bool rolledBack);
    StoreError engineFailure(bool reading, bool lost) const;

    sqlite3_stmt* takeStatement(const std::string& sql);
    void returnStatement(Statement* statement);
    void finalizeStatements();

    QString fileName_;
    sqlite3* db_ = nullptr;
    int actionDepth_ = 0;
    unsigned long long actionSerial_ = 0;
    unsigned long long nextSerial_ = 0;
    bool inTransaction_ = false;
    std::optional<StoreError> lost_;
    long long commits_ = 0;
    std::unordered_multimap<std::string, sqlite3_stmt*> idle_;
    std::unordered_set<Statement*> live_;
    std::vector<DataSet*> dataSets_;
    // The sets open when the outermost action began: a lost action leaves
    // them open again, whatever it closed.
    std::vector<DataSet*> openAtStart_;
    std::vector<std::pair<int, std::function<void(bool)>>> endHandlers_;
    int nextHandlerId_ = 0;
    bool notifying_ = false;
};

// The owner of one user action's transaction. Everything the action writes
// is committed together when the outermost scope finishes; nested scopes (a
// handler run from a handler) join it. finish() reports a failed or lost
// action by throwing StoreError, after the rollback and the new read of the
// data sets. A scope left by an exception settles the same way without
// throwing: what was posted before the error stays, as the program promises,
// unless the engine lost the action.
class ActionScope {
public:
    explicit ActionScope(Connection* connection);
    ~ActionScope();
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

    void finish();
    // The action's number (see Connection::actionSerial), 0 without a connection.
    unsigned long long serial() const { return serial_; }
    bool outermost() const { return outermost_; }

private:
    Connection* connection_;
    unsigned long long serial_ = 0;
    unsigned long long outerSerial_ = 0;
    bool outermost_ = false;
    bool finished_ = false;
};

// Around a modal wait inside an action: commits what the action wrote so far
// (throwing when that fails, so the box is not shown), and lets what runs
// during the wait (a timer, say) own actions of its own. The action goes on
// after the wait with a new transaction.
class ModalPause {
public:
    explicit ModalPause(Connection* connection);
    ~ModalPause();
    ModalPause(const ModalPause&) = delete;
    ModalPause& operator=(const ModalPause&) = delete;

private:
    Connection* connection_;
    int savedDepth_ = 0;
    unsigned long long savedSerial_ = 0;
    std::vector<DataSet*> savedOpenAtStart_;
};

// The text shown for an engine failure: what happened and what it means,
// naming the file.
QString StoreFailureText(int code, int extendedCode, const QString& engineText, const QString& fileName,
                         FailureMeaning meaning);

} // namespace solvane
