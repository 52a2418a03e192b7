// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The grower's fit over plain values: the amounts of the composition lines
// that bring the fitted target rows closest to their targets by relative
// error, each row weighted, the source water counted in, every amount within
// its line's limits. The rows and lines are shared with the cheapest fit
// (core/cheapest_fit.h), which also reads the tolerances and the prices.

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

namespace solvane {

// A target row that takes part in the fit.
struct GrowerFitRow {
    double target = 0.0;     // t_j, mg/l (> 0)
    double weight = 1.0;     // w_j (> 0)
    double water = 0.0;      // s_j, the mg/l the source water already brings (0 without water)
    double tolerance = 10.0; // the cheapest fit's allowed relative deviation, % of t_j
};

// A composition line.
struct GrowerFitLine {
    // c_j for each fitted row, in the rows' order: the mg/l that 1 g/l of the
    // line's fertilizer gives to the row, every matching content row counted
    // (oxides through their coefficient); a missing entry counts as 0.
    std::vector<double> contribution;
    double lower = 0.0;                                     // g/l; below 0 counts as 0
    double upper = std::numeric_limits<double>::infinity(); // g/l; +infinity for none
    // The cheapest fit's price of one gram of the line's fertilizer; none when
    // the grower has given none.
    std::optional<double> price = std::nullopt;
};

// What both fits make of their rows and lines.
// - A row takes part when its target and weight are finite numbers above 0.
bool IsFittedRow(const GrowerFitRow& row);
// - A water amount that is not finite counts as 0.
double RowWater(const GrowerFitRow& row);
// - c_j of a line; a missing or non-finite entry counts as 0.
double LineContribution(const GrowerFitLine& line, std::size_t row);
// - A line's limits: a lower one below 0 or not finite counts as 0, an upper
//   one that is NaN as none; an upper one below the lower fixes the amount at
//   the lower (upper = lower then).
struct LineLimits {
    double lower = 0.0;
    double upper = std::numeric_limits<double>::infinity();
};
LineLimits FitLimits(const GrowerFitLine& line);

// The amounts g_i (g/l, unrounded), one for each line in the lines' order,
// that minimise Σ_j ( w_j · (Σ_i c_ji · g_i + s_j − t_j) / t_j )² subject to
// lower_i ≤ g_i ≤ upper_i.
//
// - A row with t_j ≤ 0 or w_j ≤ 0 (or a value that is not a number) is left
//   out; without rows every line gets its lower limit.
// - A line whose fertilizer gives none of the fitted rows gets its lower limit.
// - An upper limit at or below the lower one fixes the amount at the lower.
// - When the optimum is not unique, one of the optima is returned, always the
//   same one for the same input. Nothing is thrown.
std::vector<double> FitGrowerAmounts(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines);

} // namespace solvane
