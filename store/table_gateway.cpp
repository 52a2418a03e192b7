// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/table_gateway.h"

#include "store/connection.h"
#include "core/error.h"

#include <QStringList>

namespace solvane {

QString RowChangedText() {
    return QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last "
                          "read.");
}

namespace {

QString Quoted(const QString& name) {
    return QStringLiteral("\"%1\"").arg(name);
}
} // namespace

void TableGateway::setTable(const QString& table, const QString& keyColumn) {
    table_ = table;
    keyColumn_ = keyColumn;
}

void TableGateway::addColumn(const QString& name, bool generated) {
    if (name == keyColumn_)
        keyIndex_ = static_cast<int>(columns_.size());
    columns_.push_back({name, generated});
}

QString TableGateway::selectSql() const {
    if (!query_.isEmpty())
        return query_;
    QStringList cols;
    for (const Column& c : columns_)
        cols << Quoted(c.name);
    if (keyIndex_ < 0)
        cols << QStringLiteral("rowid");
    return QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(cols.join(QStringLiteral(", ")), table_);
}

QString TableGateway::rowCondition() const {
    return keyColumn_.isEmpty() ? QStringLiteral("rowid = ?") : QStringLiteral("\"%1\" = ?").arg(keyColumn_);
}

void TableGateway::select(Connection& connection,
                          const std::function<void(std::vector<QVariant>& stored, long long rowid)>& row) const {
    auto stmt = connection.read(selectSql());
    const int resultColumns = stmt->columnCount();
    std::vector<int> columnOf(columns_.size(), -1);
    int rowidColumn = -1;
    for (int c = 0; c < resultColumns; ++c) {
        const QString col = stmt->columnName(c);
        bool matched = false;
        for (size_t i = 0; i < columns_.size(); ++i)
            if (columnOf[i] < 0 && columns_[i].name.compare(col, Qt::CaseInsensitive) == 0) {
                columnOf[i] = c;
                matched = true;
                break;
            }
        if (!matched && col.compare(QStringLiteral("rowid"), Qt::CaseInsensitive) == 0)
            rowidColumn = c;
    }
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columnOf[i] < 0)
            throw Error(owner_ + QStringLiteral(": Field '%1' not found").arg(columns_[i].name));

    std::vector<QVariant> stored(columns_.size());
    while (stmt->step()) {
        for (size_t i = 0; i < columns_.size(); ++i)
            stored[i] = stmt->column(columnOf[i]);
        row(stored, rowidColumn >= 0 ? stmt->column(rowidColumn).toLongLong() : 0);
    }
}

long long TableGateway::insert(Connection& connection, const std::vector<QVariant>& values) const {
    QStringList cols, marks;
    std::vector<QVariant> params;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].generated)
            continue;
        cols << Quoted(columns_[i].name);
        marks << QStringLiteral("?");
        params.push_back(values[i]);
    }
    QString sql;
    if (cols.isEmpty())
        sql = QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table_);
    else
        sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                  .arg(table_, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    connection.write(sql, params);
    return connection.lastInsertId();
}

void TableGateway::update(Connection& connection, long long rowid, const std::vector<Change>& changes) const {
    if (changes.empty())
        return;
    QStringList sets, checks;
    std::vector<QVariant> params;
    params.reserve(2 * changes.size() + 1);
    for (const Change& change : changes) {
        const QString& name = columns_[static_cast<size_t>(change.column)].name;
        sets << QStringLiteral("\"%1\" = ?").arg(name);
        checks << QStringLiteral("\"%1\" IS ?").arg(name);
        params.push_back(change.value);
    }
    params.push_back(static_cast<qlonglong>(rowid));
    for (const Change& change : changes)
        params.push_back(change.stored);
    const QString sql =
        QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3 AND %4")
            .arg(table_, sets.join(QStringLiteral(", ")), rowCondition(), checks.join(QStringLiteral(" AND ")));
    if (connection.write(sql, params) == 0)
        throw Error(RowChangedText());
}

void TableGateway::remove(Connection& connection, long long rowid, const std::vector<QVariant>& stored) const {
    QStringList checks;
    std::vector<QVariant> params{static_cast<qlonglong>(rowid)};
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].generated)
            continue;
        checks << QStringLiteral("\"%1\" IS ?").arg(columns_[i].name);
        params.push_back(stored[i]);
    }
    QString sql = QStringLiteral("DELETE FROM \"%1\" WHERE %2").arg(table_, rowCondition());
    if (!checks.isEmpty())
        sql += QStringLiteral(" AND ") + checks.join(QStringLiteral(" AND "));
    if (connection.write(sql, params) == 0)
        throw Error(RowChangedText());
}

} // namespace solvane
