// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/connection.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

struct sqlite3;

namespace solvane::test {

// Column values of one row, in the order they are written.
using RowValues = std::vector<std::pair<QString, QVariant>>;

// Writes a new database file holding the ten empty tables (base.mdb in the
// current directory unless another name is given). Throws solvane::Error if
// the file cannot be made.
void CreateBaseFile(const QString& fileName = QStringLiteral("base.mdb"));

// The whole content of a file, to check that something left it untouched.
QByteArray FileBytes(const QString& fileName = QStringLiteral("base.mdb"));

// A database file reached through a handle of its own, as another program
// would reach it: for filling tables before a test and checking them after.
// Every statement is parameterised and commits by itself unless the caller
// began a transaction.
class SqlFile {
public:
    explicit SqlFile(const QString& fileName = QStringLiteral("base.mdb"));
    ~SqlFile();
    SqlFile(const SqlFile&) = delete;
    SqlFile& operator=(const SqlFile&) = delete;

    sqlite3* handle() const { return db_; }
    // Runs one statement (writing or not); throws solvane::Error on failure.
    void exec(const QString& sql, const std::vector<QVariant>& params = {});
    // Inserts one row and returns its rowid (the auto-increment key).
    long long insert(const QString& table, const RowValues& values);
    // The first column of the first result row, or an invalid value if none.
    QVariant value(const QString& sql, const std::vector<QVariant>& params = {});
    // Every result row.
    std::vector<std::vector<QVariant>> rows(const QString& sql, const std::vector<QVariant>& params = {});
    // The first column of every result row as numbers, an empty one as NaN.
    std::vector<double> numbers(const QString& sql, const std::vector<QVariant>& params = {});
    // Runs a script of several statements, without parameters (fixtures'
    // rows written as SQL); throws solvane::Error on failure.
    void script(const QString& sql);

private:
    sqlite3* db_ = nullptr;
};

// A fresh base.mdb in the current directory with the program's connection
// opened on it, and a second handle for filling and checking the tables.
class TestBase {
public:
    explicit TestBase(const QString& fileName = QStringLiteral("base.mdb"));

    Connection& connection() { return connection_; }
    SqlFile& sql() { return sql_; }
    long long insert(const QString& table, const RowValues& values) { return sql_.insert(table, values); }
    QVariant value(const QString& sql, const std::vector<QVariant>& params = {}) { return sql_.value(sql, params); }

private:
    struct Created {
        explicit Created(const QString& fileName) { CreateBaseFile(fileName); }
    } created_;
    SqlFile sql_;
    Connection connection_;
};

} // namespace solvane::test
