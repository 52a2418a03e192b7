// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a fertilizer gives the target rows, counted as the concentration
// calculation counts it, over plain values.

#include <vector>

namespace solvane {

// A content row of a fertilizer as the calculation reads it.
struct ContentRow {
    long long element = 0;    // the element or oxide of the row (0 when empty)
    long long yields = 0;     // the element its conversion record yields (0 when none)
    double percent = 0.0;     // percent by mass (empty reads as 0)
    double coefficient = 0.0; // the conversion record's factor (0 when none)
    long long total = 0;      // the element the row's element is a form of (0 when none)
};

// The mg/l that 1 g/l of a fertilizer with these content rows gives a target
// row of the element: every row whose own element is the target's adds
// percent × 10; so does a row of a form of the target's element (N-NO3 for
// N); otherwise, a row whose conversion yields the target's element adds
// percent × 10 × coefficient. Every matching row counts.
// Whether the row's element is a form of the element. A row that names its
// own element as its total (only a damaged base holds one) is no form.
inline bool IsFormOf(const ContentRow& row, long long element) {
    return row.total != 0 && row.total == element && row.total != row.element;
}

double ContributionPerGram(const std::vector<ContentRow>& rows, long long targetElement);

} // namespace solvane
