#include "solver/matrix.h"

#include <cmath>

namespace solvane {

long double AbsExtended(long double value) {
    return std::fabs(value);
}

Matrix CopyMatrix(const Matrix& matrix) {
    Matrix copy;
    copy.reserve(matrix.size());
    for (const Vector& row : matrix)
        copy.push_back(Vector(row.begin(), row.end()));
    return copy;
}

} // namespace solvane
