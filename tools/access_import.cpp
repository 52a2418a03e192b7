// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/access_import.h"

#include "core/error.h"
#include "store/schema.h"
#include "tools/access_reader.h"
#include "store/new_database.h"

#include <QSet>
#include <QStringList>

namespace solvane {

namespace {

// Whether an Access column of this type holds the schema's type exactly.
bool Fits(ColumnType wanted, AccessType type) {
    const bool integer = type == AccessType::Byte || type == AccessType::Integer || type == AccessType::Long;
    switch (wanted) {
    case ColumnType::AutoIncrement:
    case ColumnType::Integer:
        return integer;
    case ColumnType::Double:
        return integer || type == AccessType::Single || type == AccessType::Double;
    case ColumnType::Text:
        return type == AccessType::Text || type == AccessType::Memo;
    case ColumnType::Boolean:
        return type == AccessType::Boolean;
    }
    return false;
}

QString Needed(ColumnType wanted) {
    switch (wanted) {
    case ColumnType::AutoIncrement:
    case ColumnType::Integer:
        return QStringLiteral("целое число");
    case ColumnType::Double:
        return QStringLiteral("число");
    case ColumnType::Text:
        return QStringLiteral("текст");
    case ColumnType::Boolean:
        return QStringLiteral("логическое значение");
    }
    return {};
}

// One of the ten tables as the Access file holds it: the file's name of the
// table and, for each column of the schema, its index in the file.
struct Source {
    const TableDef* table;
    QString name;
    std::vector<int> columns;
};

std::vector<Source> MatchTables(AccessReader& reader) {
    const QStringList names = reader.tables();
    std::vector<Source> sources;
    for (const TableDef& t : SchemaTables()) {
        if (t.version > 0)
            continue;
        Source s{&t, {}, {}};
        for (const QString& n : names)
            if (n.compare(t.name, Qt::CaseInsensitive) == 0)
                s.name = n;
        if (s.name.isEmpty())
            throw Error(QStringLiteral("в нём нет таблицы «%1»").arg(t.name));
        const std::vector<AccessColumn> columns = reader.columns(s.name);
        for (const ColumnDef& c : t.columns) {
            if (c.version > 0)
                continue;
            int index = -1;
            for (size_t i = 0; i < columns.size(); ++i)
                if (columns[i].name.compare(c.name, Qt::CaseInsensitive) == 0)
                    index = static_cast<int>(i);
            if (index < 0)
                throw Error(QStringLiteral("в таблице «%1» нет столбца «%2»").arg(t.name, c.name));
            const AccessColumn& found = columns[static_cast<size_t>(index)];
            if (!Fits(c.type, found.type))
                throw Error(QStringLiteral("в таблице «%1» у столбца «%2» тип «%3», а нужно %4")
                                .arg(t.name, c.name, found.typeName, Needed(c.type)));
            s.columns.push_back(index);
        }
        sources.push_back(std::move(s));
    }
    return sources;
}

// Copies the rows of one table; keys must not repeat.
void CopyRows(AccessReader& reader, const Source& s, NewDatabase& db) {
    QStringList columns, marks;
    int keyIndex = -1;
    for (const ColumnDef& c : s.table->columns) {
        if (c.version > 0)
            continue;
        if (c.type == ColumnType::AutoIncrement)
            keyIndex = static_cast<int>(columns.size());
        // The schema's own spelling: nothing read from the file becomes SQL.
        columns << QStringLiteral("\"%1\"").arg(c.name);
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                               .arg(s.table->name, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                               .toUtf8();
    QSet<qlonglong> keys;
    reader.readRows(s.name, s.columns, [&](const std::vector<QVariant>& values) {
        if (keyIndex >= 0 && !values[static_cast<size_t>(keyIndex)].isNull()) {
            const qlonglong key = values[static_cast<size_t>(keyIndex)].toLongLong();
            if (keys.contains(key))
                throw Error(QStringLiteral("в таблице «%1» ключ %2 повторяется").arg(s.table->name).arg(key));
            keys.insert(key);
        }
        db.insert(sql.constData(), values);
    });
}

} // namespace

void ConvertAccessDatabase(const QString& accessPath, const QString& newPath) {
    const QString prefix = QStringLiteral("Файл «%1» не переведён в формат Solvane").arg(accessPath);
    try {
        AccessReader reader(accessPath);
        const std::vector<Source> sources = MatchTables(reader);
        NewDatabase db(newPath);
        try {
            for (const Source& s : sources)
                CopyRows(reader, s, db);
            // The rows are those of a base of the first version: they gain
            // what an upgrade would give them.
            db.exec(UpgradeDataSql(1).toUtf8().constData());
            db.finish();
        } catch (const Error& e) {
            // What was written goes, whatever stopped the copy.
            if (!db.discard())
                throw Error(e.message() +
                            QStringLiteral(". Недописанный файл «%1» удалить не удалось: удалите его").arg(newPath));
            throw;
        }
    } catch (const Error& e) {
        const QString& reason = e.message();
        // A failure of the new file is a sentence of its own; one of the
        // Access file follows the prefix.
        if (!reason.isEmpty() && reason.at(0).isUpper())
            throw Error(prefix + QStringLiteral(". ") + reason);
        throw Error(prefix + QStringLiteral(": ") + reason + QStringLiteral("."));
    }
}

} // namespace solvane
