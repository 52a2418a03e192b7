// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/schema.h"

#include <QString>
#include <QVariant>
#include <functional>

namespace solvane {

class DataSet;

enum class FieldKind { Data, Lookup, Calculated };

// One field of a data set, resolved once by name and then read and written
// directly. It reads the data set's current row (or, inside the data set's
// calculated-fields handler, the row being calculated).
class Field {
public:
    const QString& name() const { return name_; }
    FieldKind kind() const { return kind_; }
    ColumnType type() const { return type_; }
    // Holds numbers: shown right-aligned and exported as numeric cells.
    bool isNumeric() const {
        return type_ == ColumnType::Double || type_ == ColumnType::Integer || type_ == ColumnType::AutoIncrement;
    }
    int size() const { return size_; }
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    DataSet& dataSet() const { return *owner_; }

    QVariant value() const;
    bool isNull() const { return value().isNull(); }
    // The current row's stored value was not what the column holds and is
    // read as empty (or as the column's default) until the user changes it.
    bool readAsEmpty() const;
    // Empty reads as 0, false or "".
    double asFloat() const;
    int asInteger() const;
    long long asLargeInt() const;
    bool asBoolean() const;
    QString asString() const;

    void setValue(const QVariant& value);
    void setAsFloat(double v) { setValue(v); }
    void setAsInteger(long long v) { setValue(static_cast<qlonglong>(v)); }
    void setAsBoolean(bool v) { setValue(v); }
    void setAsString(const QString& v) { setValue(v); }
    void clear() { setValue(QVariant()); }

    // Lookup definition: the key is read from keyField of this row and
    // searched in sourceKey of the source set; the result is sourceResult there.
    Field* lookupKeyField() const { return lookupKey_; }
    DataSet* lookupSource() const { return lookupSource_; }
    const QString& lookupSourceKey() const { return lookupSourceKey_; }
    const QString& lookupSourceResult() const { return lookupSourceResult_; }
    // What the lookup gives when its key is set but the open source holds no
    // row with it (the row it named was deleted); unset: empty.
    void setLookupMissing(std::function<QVariant(const QVariant& key)> missing) { lookupMissing_ = std::move(missing); }

    // Converts a value to this field's type; empty stays empty.
    QVariant coerce(const QVariant& value) const;

private:
    friend class DataSet;
    DataSet* owner_ = nullptr;
    QString name_;
    FieldKind kind_ = FieldKind::Data;
    ColumnType type_ = ColumnType::Integer;
    int size_ = 0;
    bool readOnly_ = false;
    int slot_ = -1; // index into the row's data values or derived values
    Field* lookupKey_ = nullptr;
    DataSet* lookupSource_ = nullptr;
    QString lookupSourceKey_;
    QString lookupSourceResult_;
    std::function<QVariant(const QVariant& key)> lookupMissing_;
};

// Converts a value to the type of a column's field; empty stays empty.
QVariant CoerceToColumn(ColumnType type, const QVariant& value);

} // namespace solvane
