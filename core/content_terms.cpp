// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/content_terms.h"

namespace solvane {

ContentTerms InElementTerms(std::optional<double> percent, std::optional<long long> element,
                            std::optional<double> coefficient, std::optional<long long> yields) {
    ContentTerms terms;
    terms.free = coefficient ? std::optional<double>(percent.value_or(0.0) * *coefficient) : percent;
    terms.freeid = yields ? yields : element;
    return terms;
}

} // namespace solvane
