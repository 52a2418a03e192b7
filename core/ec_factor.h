// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one factor on a crop's targets that makes the fitted recipe's EC equal
// the crop's EC.

#include <functional>
#include <optional>

namespace solvane {

inline constexpr double kEcFactorLow = 0.1;
inline constexpr double kEcFactorHigh = 10.0;
inline constexpr double kEcFactorTolerance = 0.005; // mS/cm
inline constexpr int kEcFactorSteps = 40;

// Bisection over [0.1, 10] on ecAtFactor (the EC of the recipe fitted to the
// targets times the factor, which rises with the factor): it stops when the
// EC is within 0.005 mS/cm of targetEc or after 40 halvings, and gives the
// factor it reached. None when the EC at 0.1 is already above targetEc or the
// EC at 10 still below it (beyond the tolerance): these fertilizers cannot
// reach it.
std::optional<double> FactorForEc(double targetEc, const std::function<double(double)>& ecAtFactor);

} // namespace solvane
