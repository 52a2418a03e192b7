// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <vector>

namespace solvane {

// Vectors and matrices of doubles, indexed from 0 and used from 1.
using Vector = std::vector<double>;
using Matrix = std::vector<Vector>;

// |value| in extended precision; inline, as the solver calls it on its hot paths.
inline long double AbsExtended(long double value) {
    return std::fabs(value);
}
Matrix CopyMatrix(const Matrix& matrix);

} // namespace solvane
