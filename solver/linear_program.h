// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Linear programs solved by GLPK's simplex method: minimise c·x subject to
// rowLower ≤ A x ≤ rowUpper and columnLower ≤ x ≤ columnUpper.

#include <vector>

namespace solvane {

enum class LinearProgramStatus {
    Optimal,    // x is an optimal vertex
    Infeasible, // no x meets every limit
    Unbounded,  // c·x falls without end over the x that meet every limit
    Failed,     // a non-finite entry, or the solver gave up (no x)
};

// The program. n = cost.size() columns and m = rows.size() rows; rows[j] is
// row j of A (its entry i the coefficient of x[i]; missing entries count as 0,
// entries beyond n are ignored). A missing row limit counts as none, a missing
// column lower limit as 0 and a missing column upper limit as none. A limit
// may be infinite on its side (−infinity below, +infinity above); a NaN limit
// counts as none.
struct LinearProgram {
    std::vector<double> cost;
    std::vector<std::vector<double>> rows;
    std::vector<double> rowLower, rowUpper;
    std::vector<double> columnLower, columnUpper;
};

struct LinearProgramResult {
    LinearProgramStatus status = LinearProgramStatus::Failed;
    // Optimal only (otherwise empty):
    std::vector<double> x;           // n values, each within its column limits exactly
    std::vector<double> rowDual;     // m multipliers y of the rows (≥ 0 at a lower limit, ≤ 0 at an upper one)
    std::vector<double> reducedCost; // n values c − Aᵀy (≥ 0 at a lower limit, ≤ 0 at an upper one)
    double objective = 0.0;          // c·x at x, summed in extended precision
};

// Solves the program. A row or column whose lower limit lies above its upper
// one (a lower limit at +infinity, an upper one at −infinity included) makes
// the program infeasible; equal limits fix it. A non-finite cost or
// coefficient gives Failed. The solver prints nothing and never ends the
// program; an internal failure of it, or its iteration cap, gives Failed. The
// same input gives the same bits. Nothing is thrown.
LinearProgramResult SolveLinearProgram(const LinearProgram& program);

} // namespace solvane
