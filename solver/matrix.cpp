// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/matrix.h"

namespace solvane {

Matrix CopyMatrix(const Matrix& matrix) {
    Matrix copy;
    copy.reserve(matrix.size());
    for (const Vector& row : matrix)
        copy.push_back(Vector(row.begin(), row.end()));
    return copy;
}

} // namespace solvane
