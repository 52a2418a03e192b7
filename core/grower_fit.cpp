// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/grower_fit.h"

#include "solver/bounded_least_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace solvane {

std::vector<double> FitGrowerAmounts(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines) {
    const std::size_t n = lines.size();
    std::vector<double> lower(n), upper(n);
    for (std::size_t i = 0; i < n; ++i) {
        const GrowerFitLine& line = lines[i];
        lower[i] = std::isfinite(line.lower) ? std::max(0.0, line.lower) : 0.0;
        upper[i] = std::isnan(line.upper) ? std::numeric_limits<double>::infinity() : line.upper;
        if (upper[i] < lower[i])
            upper[i] = lower[i];
    }

    // Row j of the system is the row's weighted relative error:
    // (w_j / t_j) · Σ_i c_ji g_i ≈ w_j · (t_j − s_j) / t_j.
    std::vector<std::vector<double>> a;
    std::vector<double> b;
    std::vector<char> supplies(n, 0);
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const GrowerFitRow& row = rows[j];
        const double water = std::isfinite(row.water) ? row.water : 0.0;
        if (!(row.target > 0.0 && row.weight > 0.0 && std::isfinite(row.target) && std::isfinite(row.weight)))
            continue;
        const double factor = row.weight / row.target;
        std::vector<double> coefficients(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            const std::vector<double>& contribution = lines[i].contribution;
            const double c = j < contribution.size() && std::isfinite(contribution[j]) ? contribution[j] : 0.0;
            coefficients[i] = factor * c;
            if (c != 0.0)
                supplies[i] = 1;
        }
        a.push_back(std::move(coefficients));
        b.push_back(factor * (row.target - water));
    }

    // A line that supplies no fitted row is not fitted: it keeps its lower limit.
    for (std::size_t i = 0; i < n; ++i)
        if (!supplies[i])
            upper[i] = lower[i];

    return SolveBoundedLeastSquares(a, b, lower, upper).x;
}

} // namespace solvane
