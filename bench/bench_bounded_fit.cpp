// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the grower's fit (FitGrowerAmounts: the relative-error system built
// from plain values and solved by the bounded least-squares solver) on
// fertilizer-like problems.
//
//   bench_bounded_fit [RUNS]
//
// For each size (fertilizers x target rows) a fixed set of problems is made
// from a fixed seed: every fertilizer gives one main element at 10-45 % and up
// to three more at 1-20 % (mg/l per g/l = 10 x percent), all contents >= 0;
// the targets run from a few hundred mg/l for the macro elements down to
// 0.05 mg/l for the micro ones; a few rows weigh 0.5 or 3, a few have source
// water, a few fertilizers have a minimum or a maximum and one is fixed. Every
// fit is timed on its own, each problem RUNS times (101 by default); the
// median of all these times is printed, with the mean number of solver passes
// and the share of amounts that end at a limit.

#include "core/grower_fit.h"
#include "solver/bounded_least_squares.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

using namespace solvane;

namespace {

constexpr int kProblemsPerSize = 16;

struct Size {
    int fertilizers;
    int rows;
    double targetMs; // the median the fit should stay under
};

struct Problem {
    std::vector<GrowerFitRow> rows;
    std::vector<GrowerFitLine> lines;
};

// Targets of a tomato-like profile for the first twelve rows (N P K Ca Mg S
// Fe Mn Zn Cu B Mo), log-uniform between 0.02 and 300 mg/l for the others.
Problem MakeProblem(std::mt19937& random, int fertilizers, int rows) {
    static const double kTargets[] = {150, 50, 250, 170, 50, 70, 2.5, 0.5, 0.3, 0.05, 0.5, 0.05};
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Problem p;
    for (int j = 0; j < rows; ++j) {
        GrowerFitRow row;
        row.target = j < 12 ? kTargets[j] : 0.02 * std::pow(15000.0, unit(random));
        const double pick = unit(random);
        row.weight = pick < 0.1 ? 0.5 : (pick < 0.2 ? 3.0 : 1.0);
        if (unit(random) < 0.25)
            row.water = row.target * 0.6 * unit(random);
        p.rows.push_back(row);
    }
    for (int i = 0; i < fertilizers; ++i) {
        GrowerFitLine line;
        line.contribution.assign(static_cast<size_t>(rows), 0.0);
        const int main = i < rows ? i : static_cast<int>(unit(random) * rows);
        line.contribution[static_cast<size_t>(main)] = 10.0 * (10 + 35 * unit(random));
        const int others = static_cast<int>(unit(random) * 4);
        for (int k = 0; k < others; ++k) {
            // Mostly macro elements (the anions and cations that come along).
            const int element = unit(random) < 0.7 ? static_cast<int>(unit(random) * std::min(rows, 6))
                                                   : static_cast<int>(unit(random) * rows);
            line.contribution[static_cast<size_t>(element)] += 10.0 * (1 + 19 * unit(random));
        }
        const double limit = unit(random);
        if (limit < 0.1)
            line.lower = 0.05 * unit(random);
        else if (limit < 0.2)
            line.upper = 0.5 + unit(random);
        if (i == fertilizers / 2)
            line.lower = line.upper = 0.25;
        p.lines.push_back(line);
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
    const Size sizes[] = {{14, 12, 1.0}, {30, 20, 0.0}, {100, 60, 20.0}};
    std::mt19937 random(20240618);
    using Clock = std::chrono::steady_clock;

    std::printf("grower's fit, median time per fit over %d problems x %d runs\n\n", kProblemsPerSize, runs);
    std::printf("%-10s %12s %10s %10s %12s  %s\n", "fert x row", "median ms", "min ms", "passes", "at a limit",
                "target");
    bool allMet = true;
    for (const Size& size : sizes) {
        std::vector<Problem> problems;
        for (int k = 0; k < kProblemsPerSize; ++k)
            problems.push_back(MakeProblem(random, size.fertilizers, size.rows));

        // Passes and active limits, from the solver on the same system.
        double passes = 0, atLimit = 0;
        for (const Problem& p : problems) {
            std::vector<std::vector<double>> a;
            std::vector<double> b, lower, upper;
            for (size_t j = 0; j < p.rows.size(); ++j) {
                const GrowerFitRow& row = p.rows[j];
                a.emplace_back();
                for (const GrowerFitLine& line : p.lines)
                    a.back().push_back(row.weight * line.contribution[j] / row.target);
                b.push_back(row.weight * (row.target - row.water) / row.target);
            }
            for (const GrowerFitLine& line : p.lines) {
                lower.push_back(line.lower);
                upper.push_back(line.upper);
            }
            const BoundedLeastSquaresResult result = SolveBoundedLeastSquares(a, b, lower, upper);
            passes += result.iterations;
            for (size_t i = 0; i < result.x.size(); ++i)
                if (result.x[i] == lower[i] || result.x[i] == upper[i])
                    atLimit += 1;
        }

        std::vector<double> times;
        std::vector<double> sink;
        for (int r = 0; r < runs; ++r)
            for (const Problem& p : problems) {
                const auto start = Clock::now();
                sink = FitGrowerAmounts(p.rows, p.lines);
                times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        const bool met = size.targetMs <= 0 || median < size.targetMs;
        allMet = allMet && met;
        char target[48] = "-";
        if (size.targetMs > 0)
            std::snprintf(target, sizeof target, "under %g ms: %s", size.targetMs, met ? "met" : "MISSED");
        std::printf("%3d x %-4d %12.4f %10.4f %10.1f %11.0f%%  %s\n", size.fertilizers, size.rows, median, times[0],
                    passes / kProblemsPerSize, 100.0 * atLimit / (kProblemsPerSize * size.fertilizers), target);
    }
    return allMet ? 0 : 1;
}
