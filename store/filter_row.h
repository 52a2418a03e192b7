// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

namespace solvane {

// How a filter reads the row being tested: values by field index, and the
// case-folded text of a field for pattern matching.
class FilterRow {
public:
    virtual ~FilterRow() = default;
    virtual QVariant value(int field) const = 0;
    virtual QString foldedText(int field) const = 0;
};

} // namespace solvane
