// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

struct sqlite3;

namespace solvane {

// A new base.mdb being written, with the current schema. The file is made
// new (never one that exists, nor one whose side files exist), and the
// database is complete only once finish() has returned: until then a
// failure, discard() or leaving the scope removes the file and its side
// files, so no partial database stays behind. Every SQLite call is checked;
// a failure throws Error naming the file and the reason.
class NewDatabase {
public:
    explicit NewDatabase(const QString& path);
    ~NewDatabase();
    NewDatabase(const NewDatabase&) = delete;
    NewDatabase& operator=(const NewDatabase&) = delete;

    void exec(const char* sql);
    // Runs one parameterised statement; returns the last inserted row id.
    long long insert(const char* sql, const std::vector<QVariant>& params);
    // Commits, moves everything from the write-ahead log into the file
    // itself and closes it: the file alone is then the whole database.
    void finish();
    // Closes the database and removes what was written of it; returns
    // whether nothing of it is left.
    bool discard() noexcept;

    // The file and the side files SQLite may write beside it.
    static QStringList files(const QString& path);

private:
    // Why SQLite failed: in Russian for the failures of the disk and the
    // file, SQLite's own text for the others.
    QString reason(int rc) const;
    [[noreturn]] void fail(int rc);

    QString path_;
    sqlite3* db_ = nullptr;
    bool created_ = false; // the file is ours to remove
};

} // namespace solvane
