// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rounding.h"

#include <cmath>

namespace solvane {

double RoundToDecimals(double value, int places) {
    static constexpr long double kFactors[] = {1.0L, 10.0L, 100.0L, 1000.0L, 10000.0L};
    long double factor = 1.0L;
    if (places >= 0 && places <= 4) {
        factor = kFactors[places];
    } else if (places > 4) {
        for (int i = 0; i < places; ++i)
            factor *= 10.0L;
    }
    const long double scaled = static_cast<long double>(value) * factor + 0.5L;
    const long double result = std::trunc(scaled) / factor;
    // trunc of a value in (-1, 0) gives -0; the caller sees a plain 0.
    return result == 0.0L ? 0.0 : static_cast<double>(result);
}

double RoundToDecimalsSymmetric(double value, int places) {
    if (value >= 0.0)
        return RoundToDecimals(value, places);
    const double magnitude = RoundToDecimals(-value, places);
    return magnitude == 0.0 ? 0.0 : -magnitude; // never "-0"
}

} // namespace solvane
