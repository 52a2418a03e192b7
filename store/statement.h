// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <string>

struct sqlite3_stmt;

namespace solvane {

class Connection;

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

} // namespace solvane
