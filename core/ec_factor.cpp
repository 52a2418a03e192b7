// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ec_factor.h"

#include <cmath>

namespace solvane {

std::optional<double> FactorForEc(double targetEc, const std::function<double(double)>& ecAtFactor) {
    double low = kEcFactorLow;
    double high = kEcFactorHigh;
    const double ecLow = ecAtFactor(low);
    if (std::fabs(ecLow - targetEc) <= kEcFactorTolerance)
        return low;
    const double ecHigh = ecAtFactor(high);
    if (std::fabs(ecHigh - targetEc) <= kEcFactorTolerance)
        return high;
    if (!(ecLow < targetEc && targetEc < ecHigh))
        return std::nullopt;
    double middle = (low + high) / 2.0;
    for (int step = 0; step < kEcFactorSteps; ++step) {
        middle = (low + high) / 2.0;
        const double ec = ecAtFactor(middle);
        if (std::fabs(ec - targetEc) <= kEcFactorTolerance)
            break;
        (ec < targetEc ? low : high) = middle;
    }
    return middle;
}

} // namespace solvane
