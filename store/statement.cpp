// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/statement.h"

#include "core/error.h"
#include "store/connection.h"
#include "store/sqlite_value.h"

#include <sqlite3.h>

namespace solvane {

Statement::Statement(Connection& connection, sqlite3_stmt* stmt, std::string sql)
    : connection_(&connection), stmt_(stmt), sql_(std::move(sql)) {}

Statement::~Statement() {
    if (connection_)
        connection_->returnStatement(this);
}

sqlite3_stmt* Statement::live() const {
    if (!stmt_)
        throw Error(QStringLiteral("Соединение с базой данных закрыто"));
    return stmt_;
}

void Statement::bind(int index, const QVariant& value) {
    if (BindValue(live(), index, value) != SQLITE_OK)
        connection_->fail();
}

bool Statement::step() {
    sqlite3_stmt* stmt = live();
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    connection_->fail(sqlite3_stmt_readonly(stmt) != 0);
}

int Statement::columnCount() const {
    return sqlite3_column_count(live());
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(live(), column));
}

QVariant Statement::column(int column) const {
    return ColumnValue(live(), column);
}

int Statement::execute() {
    while (step()) {
    }
    return sqlite3_changes(connection_->handle());
}

} // namespace solvane
