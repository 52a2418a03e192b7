// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/filter_row.h"
#include "store/like_pattern.h"

#include <QString>
#include <functional>
#include <memory>

namespace solvane {

// A data set's filter condition: comparisons (= <> < > <= >=) of a field with
// a number, true/false or a quoted string, joined by and/or, with parentheses
// and not; and "field like pattern", where everything after "like" is the
// pattern. An empty value compares as 0 or false. The condition is parsed and
// evaluated in memory; it is never sent to the database.
class FilterExpression {
public:
    struct Node;

    FilterExpression();
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Parses the text; field names are resolved to indices through resolve,
    // which returns -1 for an unknown name. Throws Error when malformed.
    static FilterExpression parse(const QString& text, const std::function<int(const QString&)>& resolve);

    bool matches(const FilterRow& row) const;
    bool isEmpty() const { return !root_; }

private:
    std::unique_ptr<Node> root_;
};

} // namespace solvane
