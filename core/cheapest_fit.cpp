// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cheapest_fit.h"

#include "solver/linear_program.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace solvane {
namespace {

constexpr double kDefaultTolerance = 10.0;
// How much the second program may spend above the least cost, relative.
constexpr double kCostSlack = 1e-9;
// How far beyond its tolerance, relative to its target, a row must lie to be named.
constexpr double kUnmet = 1e-9;

// The fitted rows in relative terms: fitted row k (row j of the input) reads
// Σ_i a_ki g_i = b_k ± band_k with a_ki = c_ji / t_j, b_k = (t_j − s_j) / t_j
// and band_k = tolerance_j / 100, so that a deviation of the sum from b_k is
// the row's relative deviation from its target.
struct RelativeRows {
    std::vector<std::size_t> input; // j of each fitted row
    std::vector<std::vector<double>> a;
    std::vector<double> b, band, weight;
    std::vector<double> lower, upper; // each line's limits
};

double Band(double tolerance) {
    return std::max(0.0, std::isnan(tolerance) ? kDefaultTolerance : tolerance) / 100.0;
}

RelativeRows MakeRelativeRows(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines) {
    RelativeRows r;
    const std::size_t n = lines.size();
    std::vector<char> supplies(n, 0);
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const GrowerFitRow& row = rows[j];
        if (!IsFittedRow(row))
            continue;
        std::vector<double> coefficients(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            const double c = LineContribution(lines[i], j);
            coefficients[i] = c / row.target;
            if (c != 0.0)
                supplies[i] = 1;
        }
        r.input.push_back(j);
        r.a.push_back(std::move(coefficients));
        r.b.push_back((row.target - RowWater(row)) / row.target);
        r.band.push_back(Band(row.tolerance));
        r.weight.push_back(row.weight);
    }
    // A line that supplies no fitted row is not fitted: it keeps its lower limit.
    for (std::size_t i = 0; i < n; ++i) {
        const LineLimits limits = FitLimits(lines[i]);
        r.lower.push_back(limits.lower);
        r.upper.push_back(supplies[i] ? limits.upper : limits.lower);
    }
    return r;
}

// The program over the amounts with every fitted row within its band; with
// deviations, each row k gets two more columns, n + k (its deviation above b_k,
// coefficient −1) and n + K + k (below, +1), both ≥ 0 and free of cost.
LinearProgram BandProgram(const RelativeRows& r, bool deviations) {
    const std::size_t n = r.lower.size(), rows = r.b.size();
    const std::size_t columns = n + (deviations ? 2 * rows : 0);
    LinearProgram p;
    p.cost.assign(columns, 0.0);
    p.columnLower = r.lower;
    p.columnUpper = r.upper;
    for (std::size_t k = 0; k < rows; ++k) {
        std::vector<double> row = r.a[k];
        if (deviations) {
            row.resize(columns, 0.0);
            row[n + k] = -1.0;
            row[n + rows + k] = 1.0;
        }
        p.rows.push_back(std::move(row));
        p.rowLower.push_back(r.b[k] - r.band[k]);
        p.rowUpper.push_back(r.b[k] + r.band[k]);
    }
    return p;
}

long double Cost(const std::vector<double>& price, const std::vector<double>& amounts) {
    long double cost = 0;
    for (std::size_t i = 0; i < price.size(); ++i)
        cost += static_cast<long double>(price[i]) * amounts[i];
    return cost;
}

// How far each fitted row lies beyond its band, relative to its target.
std::vector<double> Violations(const RelativeRows& r, const std::vector<double>& amounts) {
    std::vector<double> violations;
    for (std::size_t k = 0; k < r.b.size(); ++k) {
        long double sum = -static_cast<long double>(r.b[k]);
        for (std::size_t i = 0; i < amounts.size(); ++i)
            sum += static_cast<long double>(r.a[k][i]) * amounts[i];
        violations.push_back(std::max(0.0, static_cast<double>(std::fabs(sum) - r.band[k])));
    }
    return violations;
}

// The elastic program: the amounts with the least total relative violation,
// and the rows they leave beyond their bands.
CheapestFitResult LeastViolation(const RelativeRows& r, const std::vector<double>& price) {
    CheapestFitResult result;
    const std::size_t n = r.lower.size();
    LinearProgram elastic = BandProgram(r, true);
    std::fill(elastic.cost.begin() + static_cast<std::ptrdiff_t>(n), elastic.cost.end(), 1.0);
    const LinearProgramResult solved = SolveLinearProgram(elastic);
    if (solved.status != LinearProgramStatus::Optimal)
        return result;
    std::vector<double> amounts(solved.x.begin(), solved.x.begin() + static_cast<std::ptrdiff_t>(n));
    const std::vector<double> violations = Violations(r, amounts);
    // The solver's own tolerance may leave only slighter violations; then
    // those are named.
    const double least =
        std::any_of(violations.begin(), violations.end(), [](double v) { return v > kUnmet; }) ? kUnmet : 0.0;
    for (std::size_t k = 0; k < violations.size(); ++k)
        if (violations[k] > least)
            result.unmetRows.push_back(r.input[k]);
    if (result.unmetRows.empty())
        return result;
    result.status = CheapestFitStatus::OutOfTolerance;
    result.cost = static_cast<double>(Cost(price, amounts));
    result.amounts = std::move(amounts);
    return result;
}

} // namespace

CheapestFitResult FitCheapestAmounts(const std::vector<GrowerFitRow>& rows, const std::vector<GrowerFitLine>& lines) {
    CheapestFitResult result;
    const std::size_t n = lines.size();
    std::vector<double> price(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::optional<double>& given = lines[i].price;
        const LineLimits limits = FitLimits(lines[i]);
        if (given && std::isfinite(*given) && *given >= 0.0)
            price[i] = *given;
        else if (limits.upper > limits.lower)
            result.unpricedLines.push_back(i);
    }
    if (!result.unpricedLines.empty()) {
        result.status = CheapestFitStatus::MissingPrice;
        return result;
    }

    const RelativeRows r = MakeRelativeRows(rows, lines);
    const std::size_t fitted = r.b.size();

    // The least cost, in units of the dearest free line's price.
    double dearest = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        if (r.upper[i] > r.lower[i])
            dearest = std::max(dearest, price[i]);
    const double unit = dearest > 0.0 ? dearest : 1.0;
    LinearProgram cheapest = BandProgram(r, false);
    for (std::size_t i = 0; i < n; ++i)
        cheapest.cost[i] = price[i] / unit;
    const LinearProgramResult first = SolveLinearProgram(cheapest);
    if (first.status == LinearProgramStatus::Infeasible)
        return LeastViolation(r, price);
    if (first.status != LinearProgramStatus::Optimal)
        return result;
    std::vector<double> amounts = first.x;
    const long double least = Cost(price, amounts);

    // Among the amounts that cost no more, the ones nearest the targets:
    // row k's relative deviation is split into the two deviation columns,
    // each within the band and weighing w_k.
    if (fitted > 0) {
        LinearProgram nearest = BandProgram(r, true);
        nearest.columnUpper.resize(n + 2 * fitted);
        for (std::size_t k = 0; k < fitted; ++k) {
            nearest.rowLower[k] = nearest.rowUpper[k] = r.b[k];
            nearest.cost[n + k] = nearest.cost[n + fitted + k] = r.weight[k];
            nearest.columnUpper[n + k] = nearest.columnUpper[n + fitted + k] = r.band[k];
        }
        if (dearest > 0.0) {
            const double scale = least > 0 ? static_cast<double>(least) : unit;
            std::vector<double> costRow(n + 2 * fitted, 0.0);
            for (std::size_t i = 0; i < n; ++i)
                costRow[i] = price[i] / scale;
            nearest.rows.push_back(std::move(costRow));
            nearest.rowLower.push_back(-std::numeric_limits<double>::infinity());
            nearest.rowUpper.push_back(least > 0 ? 1.0 + kCostSlack : 0.0);
        }
        const LinearProgramResult second = SolveLinearProgram(nearest);
        if (second.status == LinearProgramStatus::Optimal)
            amounts.assign(second.x.begin(), second.x.begin() + static_cast<std::ptrdiff_t>(n));
    }

    result.status = CheapestFitStatus::Fitted;
    result.cost = static_cast<double>(Cost(price, amounts));
    result.amounts = std::move(amounts);
    return result;
}

} // namespace solvane
