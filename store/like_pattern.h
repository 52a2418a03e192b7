// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace solvane {

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

} // namespace solvane
