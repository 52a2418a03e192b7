// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace solvane {

// The outcome of a bounded least-squares fit.
struct BoundedLeastSquaresResult {
    std::vector<double> x;  // n amounts, each within its limits
    double objective = 0.0; // ||A x − b||² at x
    int iterations = 0;     // times a variable was freed from a limit, undone tries included
    bool converged = true;  // false when the iteration cap ended the search (x is then
                            // the best point met, still within its limits)
};

// Minimises ||A x − b||² subject to lower[i] ≤ x[i] ≤ upper[i], i = 0..n − 1,
// with n = lower.size() and m = a.size(); a[j] is row j of A (row-major, its
// entry i the coefficient of x[i]; missing entries count as 0) and b[j] the
// right-hand side (a missing one counts as 0).
//
// A lower limit may be −infinity and an upper one +infinity; a NaN limit counts
// as no limit. Where upper[i] ≤ lower[i], x[i] is fixed at lower[i]. A variable
// at a limit holds that limit's value exactly.
//
// Works for any m and n (either may be 0), rank-deficient A, zero columns and
// zero rows. When the optimum is not unique, one of the optima is returned, the
// same one for the same input. A variable whose column is zero stays at its
// lower limit (its upper one when the lower is −infinity, 0 when it has none).
// With a non-finite entry in A or b nothing is fitted: every variable gets that
// same starting value and converged is false. Nothing is thrown.
BoundedLeastSquaresResult SolveBoundedLeastSquares(const std::vector<std::vector<double>>& a,
                                                   const std::vector<double>& b, const std::vector<double>& lower,
                                                   const std::vector<double>& upper);

} // namespace solvane
