// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A fertilizer's content in element terms: the one rule by which a content
// row of an oxide counts toward the element its conversion record yields.

#include <optional>

namespace solvane {

// A content row put into element terms (the fertilizer directory's fields
// free and freeid).
struct ContentTerms {
    std::optional<double> free;      // the percentage, converted when there is a coefficient
    std::optional<long long> freeid; // the element it counts toward
};

// percent: the row's kol_element; element: its id_element; coefficient and
// yields: the factor and the element of the element's conversion record,
// empty when it has none. Only the record decides, not the element's oxide
// mark: a record's coefficient multiplies the percentage, a record's element
// replaces the row's own. A record without a coefficient leaves the
// percentage as it is.
ContentTerms InElementTerms(std::optional<double> percent, std::optional<long long> element,
                            std::optional<double> coefficient, std::optional<long long> yields);

} // namespace solvane
