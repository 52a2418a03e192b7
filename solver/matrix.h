#pragma once

#include <vector>

namespace solvane {

// Vectors and matrices of doubles, indexed from 0 and used from 1.
using Vector = std::vector<double>;
using Matrix = std::vector<Vector>;

long double AbsExtended(long double value);
Matrix CopyMatrix(const Matrix& matrix);

} // namespace solvane
