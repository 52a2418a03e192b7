#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace solvane {

// How a filter reads the row being tested: values by field index, and the
// case-folded text of a field for pattern matching.
class FilterRow {
public:
    virtual ~FilterRow() = default;
    virtual QVariant value(int field) const = 0;
    virtual QString foldedText(int field) const = 0;
};

// A text pattern in which '%' and '*' match any run of characters; matching
// ignores case in every script.
class LikePattern {
public:
    LikePattern() = default;
    explicit LikePattern(const QString& pattern);
    bool matchesFolded(const QString& foldedText) const;
    bool matches(const QString& text) const { return matchesFolded(text.toCaseFolded()); }

private:
    QStringList segments_; // literal pieces between wildcards, case-folded
    bool anchoredStart_ = true;
    bool anchoredEnd_ = true;
};

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
