// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small readers shared by the data-set tests.

#include "store/dataset.h"
#include "core/error.h"

#include <QStringList>
#include <functional>

namespace solvane::test {

// The message of the Error that the call raises, or an empty string.
inline QString ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.message().isEmpty() ? QStringLiteral("(empty message)") : e.message();
    }
    return QString();
}

// A field's values over the visible rows ("-" for an empty value), read
// without moving the cursor.
inline QStringList ColumnValues(DataSet& set, const QString& field) {
    QStringList values;
    Field* f = set.fieldByName(field);
    for (int i = 0; i < set.recordCount(); ++i) {
        const QVariant v = set.valueAt(i, f);
        values << (v.isNull() ? QStringLiteral("-") : v.toString());
    }
    return values;
}

} // namespace solvane::test
