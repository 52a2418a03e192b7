// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/open_base.h"
#include "store/statement.h"
#include "store/statement_watch.h"
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

class DataSet;

// The one connection to base.mdb. Opening never creates the file: it must
// already be an SQLite database that holds the ten tables, and it is opened
// through OpenBase, which refuses a file that could harm the grower.
//
// A base that cannot be written is opened read-only; one found damaged while
// the program runs (the engine reported SQLITE_CORRUPT or SQLITE_NOTADB)
// becomes read-only for the rest of the run, and nothing more is written into
// it. Either way every write is refused with words that say why, except the
// results the program computes (see DataSet::post), which then live in the
// data sets only.
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
    // Opened for reading only: never written, an older schema read as
    // upgraded in memory (the file stays as it is).
    enum class ReadingOnly { Yes };
    Connection(QString fileName, ReadingOnly);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens and checks the file (OpenBase); throws Error naming the file and
    // the reason.
    void open();
    // Closes the file. What a running action wrote so far is committed first
    // (a failed commit throws before anything is closed); statements still
    // alive are finalized. Throws when the engine refuses to close.
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const QString& fileName() const { return fileName_; }
    sqlite3* handle();

    // A reading statement (a SELECT) for one run; a failure to prepare it is
    // reported as data not read. Throws StoreError.
    std::unique_ptr<Statement> read(const QString& sql);
    // Runs a writing statement with its parameters inside the action's
    // transaction and returns the number of rows changed.
    int write(const QString& sql, const std::vector<QVariant>& params);
    long long lastInsertId() const;

    // ---- what may be written ----
    // Whether writes reach the file: false for a base opened read-only and
    // for one found damaged.
    bool writable() const { return !readOnly_ && !damaged_; }
    bool damaged() const { return damaged_; }
    // Why a write is refused when the base is not writable.
    QString writeRefusal() const;
    // What the first open found for the start-up box.
    const BaseNotes& notes() const { return notes_; }
    // A statement running longer than this is interrupted (tests lower it).
    void setStatementTimeLimit(std::chrono::milliseconds limit) { watch_.setLimit(limit); }

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
    // The engine's last failure; a damaged file makes the base read-only.
    StoreError engineFailure(bool reading, bool lost);
    void noteDamage(int code);

    // A statement for one run, taken from the idle ones or prepared anew;
    // reading tells how a failure to prepare it is reported.
    std::unique_ptr<Statement> statementFor(const QString& sql, bool reading);
    void returnStatement(Statement* statement);
    void finalizeStatements();

    QString fileName_;
    sqlite3* db_ = nullptr;
    StatementWatch watch_;
    bool readOnly_ = false;
    bool readingOnly_ = false; // opened for reading only, whatever the file allows
    bool damaged_ = false;
    bool openedBefore_ = false;
    BaseNotes notes_;
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

} // namespace solvane
