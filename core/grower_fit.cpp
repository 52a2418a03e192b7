// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/grower_fit.h"

#include "solver/bounded_least_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace solvane {

bool IsFittedRow(const GrowerFitRow& row) {
    return row.target > 0.0 && row.weight > 0.0 && std::isfinite(row.target) && std::isfinite(row.weight);
}

double RowWater(const GrowerFitRow& row) {
    return std::isfinite(row.water) ? row.water : 0.0;
}

double LineContribution(const GrowerFitLine& line, std::size_t row) {
    return row < line.contribution.size() && std::isfinite(line.contribution[row]) ? line.contribution[row] : 0.0;
}

LineLimits FitLimits(const GrowerFitLine& line) {
    LineLimits limits;
    limits.lower = std::isfinite(line.lower) ? std::max(0.0, line.lower) : 0.0;
    limits.upper = std::isnan(line.upper) ? std::numeric_limits<double>::infinity() : line.upper;
    if (limits.upper < limits.lower)
        limits.upper = limits.lower;
    return limits;
}

std::vector<double> FitGrowerAmounts(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines) {
    const std::size_t n = lines.size();
    std::vector<double> lower(n), upper(n);
    for (std::size_t i = 0; i < n; ++i) {
        const LineLimits limits = FitLimits(lines[i]);
        lower[i] = limits.lower;
        upper[i] = limits.upper;
    }

    // Row j of the system is the row's weighted relative error:
    // (w_j / t_j) · Σ_i c_ji g_i ≈ w_j · (t_j − s_j) / t_j.
    std::vector<std::vector<double>> a;
    std::vector<double> b;
    std::vector<char> supplies(n, 0);
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const GrowerFitRow& row = rows[j];
        if (!IsFittedRow(row))
            continue;
        const double water = RowWater(row);
        const double factor = row.weight / row.target;
        std::vector<double> coefficients(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            const double c = LineContribution(lines[i], j);
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
