// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/contribution.h"

namespace solvane {

double ContributionPerGram(const std::vector<ContentRow>& rows, long long targetElement) {
    double total = 0.0;
    for (const ContentRow& row : rows) {
        // 1 g/l of a 1 % content is 10 mg/l; the direct match first.
        if (row.element == targetElement || IsFormOf(row, targetElement))
            total += row.percent * 10.0;
        else if (row.yields == targetElement)
            total += row.percent * 10.0 * row.coefficient;
    }
    return total;
}

} // namespace solvane
