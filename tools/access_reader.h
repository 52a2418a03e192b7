// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace solvane {

// The column types of an Access table that the reader tells apart.
enum class AccessType { Boolean, Byte, Integer, Long, Single, Double, Text, Memo, Other };

struct AccessColumn {
    QString name;
    AccessType type;
    QString typeName; // as Access names the type, for messages
};

// Why an Access file cannot be read. The text is the reason alone, in
// Russian and in lower case, without the file's name.
class AccessError : public Error {
public:
    enum class Kind { NotFound, NotAccess, Damaged };
    AccessError(Kind kind, const QString& reason) : Error(reason), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// A Microsoft Access (Jet) database opened for reading. Every value comes
// from the row's own bytes: Boolean, Byte, Integer and Long as integers
// (booleans 0 or 1), Single and Double as doubles holding exactly the stored
// number, text and memo as stored (Jet 4 text is Unicode), an empty cell as a
// null value. Only live rows are read: deleted rows are skipped and a row
// moved to another page is read where it now lives; a table whose rows do
// not add up to its own row count is reported as damaged.
class AccessReader {
public:
    // Throws AccessError when the file is missing, is no Access database, or
    // its catalogue cannot be read.
    explicit AccessReader(const QString& path);
    ~AccessReader();
    AccessReader(const AccessReader&) = delete;
    AccessReader& operator=(const AccessReader&) = delete;

    // The user tables, as the file spells them.
    QStringList tables() const;
    // The columns of a table (named as tables() names it), in the file's order.
    std::vector<AccessColumn> columns(const QString& table);
    // Calls row for each live row of a table with the values of the wanted
    // columns (indexes into columns()), in that order. Throws AccessError
    // (Damaged) when the rows cannot be read whole.
    void readRows(const QString& table, const std::vector<int>& wanted,
                  const std::function<void(const std::vector<QVariant>&)>& row);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace solvane
