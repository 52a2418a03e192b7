// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/schema.h"

#include "core/error.h"
#include "core/field_limits.h"

#include <algorithm>
#include <limits>
#include <sqlite3.h>

namespace solvane {

namespace {

ColumnDef key(const char* name) {
    return {QString::fromLatin1(name), ColumnType::AutoIncrement, 0, {}};
}
ColumnDef integer(const char* name) {
    return {QString::fromLatin1(name), ColumnType::Integer, 0, {}};
}
ColumnDef real(const char* name, QVariant def = {}) {
    return {QString::fromLatin1(name), ColumnType::Double, 0, std::move(def)};
}
ColumnDef text(const char* name, int size) {
    return {QString::fromLatin1(name), ColumnType::Text, size, {}};
}
ColumnDef boolean(const char* name) {
    return {QString::fromLatin1(name), ColumnType::Boolean, 0, {}};
}
// A yes/no column that is "no" unless set.
ColumnDef flag(const char* name) {
    return {QString::fromLatin1(name), ColumnType::Boolean, 0, 0};
}
// A column whose stored values must lie within what its field accepts.
ColumnDef limited(ColumnDef column, NumberLimits limits) {
    column.limits = std::move(limits);
    return column;
}
// The results the program computes.
ColumnDef computed(ColumnDef column) {
    column.computed = true;
    return column;
}
// A column that a later schema version added (version 1 unless said).
ColumnDef added(ColumnDef column, int version = 1) {
    column.version = version;
    return column;
}

std::vector<TableDef> buildTables() {
    std::vector<TableDef> t;
    // A liquid has a density (a solid none); an acid neutralises the water's
    // bicarbonate; the price is the grower's own.
    t.push_back({QStringLiteral("t_udobra"),
                 {key("id_udobra"), text("name_udobra", 50), limited(integer("ppm"), FieldLimits::Ppm()),
                  added(limited(real("density"), FieldLimits::Density()), 4), added(flag("acid"), 4),
                  added(limited(real("price"), FieldLimits::Price()), 5)}});
    t.push_back({QStringLiteral("T_sostav_udobra"),
                 {key("id_sostav_udobra"), integer("id_element"), integer("id_udobra"),
                  limited(real("kol_element"), FieldLimits::Content())}});
    // An element may be a form of another (N-NH4 of N), and may stand for an
    // ion in solution (one of the codes the program knows).
    t.push_back({QStringLiteral("T_element"),
                 {key("id_element"), text("Smallname_element", 10), text("fullname_element", 50), boolean("kof"),
                  integer("id_kof"), added(integer("id_total"), 3), added(text("ion", 10), 3)}});
    t.push_back({QStringLiteral("t_kof"),
                 {key("id_kof"), text("name_kof", 50), limited(real("kof"), FieldLimits::Coefficient()),
                  integer("id_element")}});
    t.push_back({QStringLiteral("T_kult"),
                 {key("id_kult"), text("name_kult", 50), text("ph", 50),
                  added(limited(real("ec"), FieldLimits::CropEc()), 3)}});
    t.push_back({QStringLiteral("t_konc"),
                 {key("id_konc"), limited(real("vega"), FieldLimits::Target()),
                  limited(real("cvet"), FieldLimits::Target()), integer("id_kult"), integer("id_el"),
                  computed(real("rachet")), added(limited(real("weight", 1.0), FieldLimits::Weight())),
                  added(limited(real("tolerance", 10.0), FieldLimits::Tolerance()), 5)}});
    // The amounts come from the fits (the classic one may give negative
    // amounts, or above 1000 g/l): only their limits are bounded.
    ColumnDef minimum = added(limited(real("kol_min"), FieldLimits::Amount()));
    minimum.notAbove = QStringLiteral("kol_max");
    t.push_back({QStringLiteral("t_rachet"),
                 {key("id_rachet"), integer("id_udobra"), real("kol"), minimum,
                  added(limited(real("kol_max"), FieldLimits::Amount()))}});
    t.push_back({QStringLiteral("t_head_rar"),
                 {key("id_head_rar"), text("name_rar", 50), integer("id_konc"),
                  limited(real("kol_l", 1.0), FieldLimits::Litres()), integer("konc")}});
    t.push_back({QStringLiteral("t_save_rar"),
                 {key("id_save_rar"), integer("id_udobra"), real("kol"), integer("id_head_rar")}});
    TableDef opt{QStringLiteral("t_opt"), {}};
    for (const char* b : {"c11", "c21", "c22", "c23", "c24", "c31", "c32", "c33", "c34", "c35", "c36", "c37", "c38",
                          "c39", "avto", "ppm1", "ppm2", "kult"})
        opt.columns.push_back(boolean(b));
    opt.columns.push_back(integer("maxim"));
    for (int i = 1; i <= 14; ++i)
        opt.columns.push_back({QStringLiteral("cl%1").arg(i), ColumnType::Integer, 0, {}});
    opt.columns.push_back(
        added(limited({QStringLiteral("fit_mode"), ColumnType::Integer, 0, 0}, FieldLimits::FitMode())));
    opt.columns.push_back(added(integer("id_water")));
    // The crop in use is remembered by the program, not typed: on a base that
    // cannot be written it is kept in memory.
    opt.columns.push_back(added(computed(integer("id_kult_last")), 2));
    opt.columns.push_back(added(integer("id_acid"), 4));
    t.push_back(opt);
    t.push_back({QStringLiteral("t_water"),
                 {key("id_water"), text("name_water", 50),
                  added(limited(real("hco3_left", 30.5), FieldLimits::BicarbonateLeft()), 4)},
                 1});
    t.push_back(
        {QStringLiteral("t_water_el"),
         {key("id_water_el"), integer("id_water"), integer("id_element"), limited(real("kol"), FieldLimits::Target())},
         1});
    return t;
}

QString sqlType(ColumnType type) {
    switch (type) {
    case ColumnType::AutoIncrement:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case ColumnType::Integer:
    case ColumnType::Boolean:
        return QStringLiteral("INTEGER");
    case ColumnType::Double:
        return QStringLiteral("REAL");
    case ColumnType::Text:
        return QStringLiteral("TEXT");
    }
    return {};
}

} // namespace

QString TableDef::keyColumn() const {
    for (const ColumnDef& c : columns)
        if (c.type == ColumnType::AutoIncrement)
            return c.name;
    return {};
}

const ColumnDef* TableDef::column(const QString& name) const {
    for (const ColumnDef& c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const std::vector<TableDef>& SchemaTables() {
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef* FindTable(const QString& name) {
    for (const TableDef& t : SchemaTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

namespace {

QString ColumnSql(const ColumnDef& c) {
    QString col = QStringLiteral("\"%1\" %2").arg(c.name, sqlType(c.type));
    if (!c.defaultValue.isNull())
        col += QStringLiteral(" DEFAULT %1").arg(c.defaultValue.toString());
    return col;
}

QString CreateTableSql(const TableDef& t) {
    QStringList cols;
    for (const ColumnDef& c : t.columns)
        cols << ColumnSql(c);
    return QStringLiteral("CREATE TABLE \"%1\" (%2);\n").arg(t.name, cols.join(QStringLiteral(", ")));
}

} // namespace

QString SchemaSql() {
    QString sql;
    for (const TableDef& t : SchemaTables())
        sql += CreateTableSql(t);
    sql += QStringLiteral("CREATE INDEX \"T_udobraT_sostav_udobra\" ON \"T_sostav_udobra\" (\"id_udobra\");\n");
    sql += QStringLiteral("PRAGMA user_version=%1;\n").arg(kSchemaVersion);
    return sql;
}

QString UpgradeSql(int from, int to) {
    QString sql;
    for (int step = from + 1; step <= to; ++step) {
        for (const TableDef& t : SchemaTables()) {
            if (t.version == step) {
                // Made whole as it stands at the target version.
                TableDef made = t;
                made.columns.erase(std::remove_if(made.columns.begin(), made.columns.end(),
                                                  [to](const ColumnDef& c) { return c.version > to; }),
                                   made.columns.end());
                sql += CreateTableSql(made);
                continue;
            }
            // A table made by this upgrade has every column already.
            if (t.version > from)
                continue;
            for (const ColumnDef& c : t.columns)
                if (c.version == step)
                    sql += QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN %2;\n").arg(t.name, ColumnSql(c));
        }
        sql += UpgradeDataSql(step, step);
    }
    return sql;
}

QString UpgradeDataSql(int from, int to) {
    QString sql;
    // The key elements 1 to 6 are N, P, K, Ca, Mg and S in every base the
    // program made: they stand for the ions that carry them in a nutrient
    // solution (N as nitrate). No other element gets an ion, and none becomes
    // a form of another.
    if (from <= 3 && to >= 3)
        sql += QStringLiteral("UPDATE \"T_element\" SET \"ion\" = CASE \"id_element\" WHEN 1 THEN 'NO3-' "
                              "WHEN 2 THEN 'H2PO4-' WHEN 3 THEN 'K+' WHEN 4 THEN 'Ca+2' WHEN 5 THEN 'Mg+2' "
                              "ELSE 'SO4-2' END WHERE \"id_element\" BETWEEN 1 AND 6;\n");
    return sql;
}

void CreateSchema(sqlite3* db) {
    char* err = nullptr;
    const QByteArray sql = SchemaSql().toUtf8();
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : "unknown error");
        sqlite3_free(err);
        throw Error(QStringLiteral("Не удалось создать таблицы: %1").arg(message));
    }
}

QString ValueRefusal(const QString& column, ColumnType type, int size, const QVariant& value) {
    if (value.isNull())
        return QString();
    if (type == ColumnType::Text && size > 0 && value.toString().size() > size)
        return QStringLiteral("значение поля «%1» длиннее %2 символов").arg(column).arg(size);
    if (type == ColumnType::Integer || type == ColumnType::AutoIncrement) {
        const qlonglong n = value.toLongLong();
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            return QStringLiteral("значение %1 поля «%2» вне допустимого диапазона от %3 до %4")
                .arg(n)
                .arg(column)
                .arg(std::numeric_limits<qint32>::min())
                .arg(std::numeric_limits<qint32>::max());
    }
    return QString();
}

} // namespace solvane
