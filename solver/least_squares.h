// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "solver/matrix.h"

namespace solvane {

// Solves the m × n system held in A (rows 1..m, columns 1..n; column n + 1 is
// the right-hand side) in the least-squares sense through a singular value
// decomposition, leaving out singular values at or below n · wmax · 5e-16.
// x receives the solution in x[1..n]. Returns false when a singular value was
// left out. A is not changed; nothing is kept between calls; nothing is thrown.
bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x);
// As above, also handing out the singular values w[1..n] in the order the
// decomposition leaves them (unsorted).
bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x, Vector* singularValues);

// |a| when b ≥ 0 (−0 included), otherwise −|a|.
double TransferSign(double a, double b);
// a when a > b, otherwise b.
double Larger(double a, double b);
// sqrt(a² + b²) without overflow, its intermediate steps in extended precision.
double Hypotenuse(double a, double b);

} // namespace solvane
