#pragma once

#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;

namespace solvane {

// The five column types of the store.
enum class ColumnType { AutoIncrement, Integer, Double, Text, Boolean };

struct ColumnDef {
    QString name;
    ColumnType type;
    int size = 0;          // maximum length of a text column
    QVariant defaultValue; // value of a new row, null when none
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    // The auto-increment key, or empty for a table without one (t_opt).
    QString keyColumn() const;
    const ColumnDef* column(const QString& name) const; // case-insensitive
};

// The ten tables of base.mdb, in a fixed order.
const std::vector<TableDef>& SchemaTables();
const TableDef* FindTable(const QString& name); // case-insensitive

// The SQL that creates the schema (tables and the content index).
QString SchemaSql();

// Creates the schema in an empty database; throws Error on failure.
void CreateSchema(sqlite3* db);

} // namespace solvane
