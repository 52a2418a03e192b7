// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/number_text.h"

#include <QString>
#include <QVariant>
#include <optional>
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
    int version = 0;       // the schema version that brought the column
    // What a window lets the user type into the column; a stored value
    // outside it is read as empty. None for a column the program fills itself.
    std::optional<NumberLimits> limits{};
    // A column this one may not exceed (a minimum and its maximum): a stored
    // value above it is read as empty.
    QString notAbove{};
    // The program computes the column's values (the calculation's results,
    // the crop in use): on a base that cannot be written they live in memory
    // only.
    bool computed = false;
};

struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    int version = 0; // the schema version that brought the table
    // The auto-increment key, or empty for a table without one (t_opt).
    QString keyColumn() const;
    const ColumnDef* column(const QString& name) const; // case-insensitive
};

// The schema version this program writes and reads, kept in the file as
// PRAGMA user_version. Version 0 is the ten tables as they first were;
// version 1 adds the grower's fit (t_opt.fit_mode), the source water
// (t_opt.id_water, t_water, t_water_el), the target weights (t_konc.weight)
// and the amount limits (t_rachet.kol_min, kol_max); version 2 the crop in
// use across starts (t_opt.id_kult_last); version 3 the forms of elements
// and their ions (T_element.id_total, ion) and the crop's EC (T_kult.ec);
// version 4 liquids and acids (t_udobra.density, acid; t_water.hco3_left;
// t_opt.id_acid); version 5 prices and tolerances (t_udobra.price,
// t_konc.tolerance). A later version is one more step: its columns and
// tables carry its number.
constexpr int kSchemaVersion = 5;

// The tables of base.mdb at the current version, in a fixed order: the ten
// tables of version 0 first.
const std::vector<TableDef>& SchemaTables();
const TableDef* FindTable(const QString& name); // case-insensitive

// Why a column cannot hold the value (a text longer than its size, an integer
// beyond 32 bits); empty when it can. Every write refuses such a value before
// anything is written.
QString ValueRefusal(const QString& column, ColumnType type, int size, const QVariant& value);

// The SQL that creates the current schema (tables, the content index and the
// version mark).
QString SchemaSql();

// The SQL that brings a base of version `from` to version `to`, step by
// step: each version's new tables, the columns it added to older ones and
// the values it gives the rows already there (UpgradeDataSql), without the
// version mark (the caller sets it in the same transaction).
QString UpgradeSql(int from, int to = kSchemaVersion);

// What the steps from `from` to `to` (both included) write into the rows a
// base already holds: version 3 gives the key elements 1 to 6 their ions. A
// base converted from another format, whose rows are those of version 0,
// gets the same.
QString UpgradeDataSql(int from, int to = kSchemaVersion);

// Creates the schema in an empty database; throws Error on failure.
void CreateSchema(sqlite3* db);

} // namespace solvane
