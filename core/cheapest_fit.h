// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The cheapest fit over plain values: the amounts of the composition lines
// that cost least while every fitted target row stays within its tolerance,
// the source water counted in, every amount within its line's limits. Rows
// and lines are the grower's fit's (core/grower_fit.h), with each row's
// tolerance and each line's price.

#include "core/grower_fit.h"

#include <cstddef>
#include <vector>

namespace solvane {

enum class CheapestFitStatus {
    Fitted,         // the cheapest amounts with every fitted row within its tolerance
    MissingPrice,   // lines that need a price have none (unpricedLines); nothing was fitted
    OutOfTolerance, // the tolerances cannot all be met (unmetRows)
    Failed,         // the linear programs could not be solved; nothing was fitted
};

struct CheapestFitResult {
    CheapestFitStatus status = CheapestFitStatus::Failed;
    // Fitted: the cheapest amounts. OutOfTolerance: the amounts with the least
    // total relative violation (their cost not sought). Otherwise empty. One
    // per line in the lines' order, g/l, each within its line's limits exactly.
    std::vector<double> amounts;
    double cost = 0.0;                      // Σ price × amount over the lines with a price
    std::vector<std::size_t> unpricedLines; // MissingPrice: the lines without a price, in order
    std::vector<std::size_t> unmetRows;     // OutOfTolerance: the rows beyond their tolerance, in order
};

// The fit, as linear programs:
//   minimise Σ_i p_i g_i
//   subject to |Σ_i c_ji g_i + s_j − t_j| ≤ tolerance_j · t_j / 100 for every fitted row,
//              lower_i ≤ g_i ≤ upper_i,
// with the rows, the water and the limits read as the grower's fit reads
// them. Among amounts of equal cost (held at most the least cost × (1 + 1e-9))
// a second program takes those with the smallest Σ_j w_j · |Σ_i c_ji g_i +
// s_j − t_j| / t_j. A line that gives none of the fitted rows keeps its lower
// limit.
//
// - Every line whose amount is not fixed (upper > lower) needs a price: a
//   finite number ≥ 0 (per gram). Otherwise the status is MissingPrice. A
//   fixed line without a price counts 0 in the cost.
// - A tolerance that is NaN counts as the default 10 %, one below 0 as 0 and
//   +infinity as no limit on the row.
// - When the tolerances cannot all be met, a program finds the amounts with
//   the smallest Σ_j violation_j / t_j, the violation being how far a row lies
//   beyond its tolerance; unmetRows names the rows left beyond it by more than
//   1e-9 of their target (should the solver's own tolerance leave only
//   slighter violations, those rows).
// - Without fitted rows every line keeps its lower limit; without lines the
//   result is Fitted with no amounts when the water alone holds every row
//   within its tolerance.
// - Accuracy: the cost lies within 1e-7 (relative) of the least, each fitted
//   row within its tolerance to 1e-7 of its target, each amount within its
//   limits exactly.
// - The same input gives the same amounts, bit for bit. Nothing is thrown.
CheapestFitResult FitCheapestAmounts(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines);

} // namespace solvane
