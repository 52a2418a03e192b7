// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the cheapest fit (FitCheapestAmounts: the least-cost linear
// program, then the one nearest the targets among equal costs, or the least
// violation when the tolerances cannot all be met) on fertilizer-like
// problems, beside the grower's fit on the same problems.
//
//   bench_cheapest_fit [RUNS]
//
// For each size (fertilizers x target rows) a fixed set of problems is made
// from a fixed seed. Every fertilizer has one main element at 10-50 % and up
// to three more at 1-20 % (mg/l per g/l = 10 x percent; every row has a
// fertilizer that gives it), and a price of
// 50-3000 per kg; the first six rows are the macro elements. The targets are
// those of a recipe a grower might mix (macro fertilizers at 0.05-1 g/l,
// micro ones at 0.5-30 mg/l, a third of the lines unused) moved by up to
// ±3 %, so that the rows run from a few hundred mg/l down to hundredths; a
// few rows have source water or another tolerance than 10 %, a few lines a
// minimum or a maximum, and one (an acid) a fixed amount without a price.
// Every fit is timed on its own, each problem RUNS times (101 by default);
// the median of all these times is printed, with the share of problems whose
// tolerances could all be met.

#include "core/cheapest_fit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace solvane;

namespace {

constexpr int kProblemsPerSize = 16;

struct Size {
    int fertilizers;
    int rows;
    double targetMs; // the median the cheapest fit should stay under
};

struct Problem {
    std::vector<GrowerFitRow> rows;
    std::vector<GrowerFitLine> lines;
};

Problem MakeProblem(std::mt19937& random, int fertilizers, int rows) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Problem p;
    std::vector<double> recipe;
    for (int i = 0; i < fertilizers; ++i) {
        GrowerFitLine line;
        line.contribution.assign(static_cast<size_t>(rows), 0.0);
        const int main = i < rows ? i : static_cast<int>(unit(random) * rows);
        line.contribution[static_cast<size_t>(main)] = 10.0 * (10 + 40 * unit(random));
        const int others = static_cast<int>(unit(random) * 4);
        for (int k = 0; k < others; ++k) {
            // Mostly macro elements (the anions and cations that come along).
            const int element = unit(random) < 0.7 ? static_cast<int>(unit(random) * std::min(rows, 6))
                                                   : static_cast<int>(unit(random) * rows);
            line.contribution[static_cast<size_t>(element)] += 10.0 * (1 + 19 * unit(random));
        }
        // Rows beyond the fertilizers' main elements come along with the first ones.
        for (int j = fertilizers + i; j < rows; j += fertilizers)
            line.contribution[static_cast<size_t>(j)] += 10.0 * (1 + 19 * unit(random));
        line.price = (50 + 2950 * unit(random)) / 1000; // per gram
        const double limit = unit(random);
        if (limit < 0.1)
            line.lower = 0.01 * unit(random);
        else if (limit < 0.2)
            line.upper = 0.5 + unit(random);
        const bool micro = main >= 6;
        double amount = unit(random) < 0.33 ? 0.0 : (micro ? 0.0005 + 0.03 * unit(random) : 0.05 + unit(random));
        if (i == fertilizers / 2) {
            line.lower = line.upper = amount = 0.05; // the acid
            line.price.reset();
        }
        recipe.push_back(std::clamp(amount, line.lower, std::max(line.lower, line.upper)));
        p.lines.push_back(line);
    }
    for (int j = 0; j < rows; ++j) {
        GrowerFitRow row;
        double supplied = 0;
        for (int i = 0; i < fertilizers; ++i)
            supplied +=
                p.lines[static_cast<size_t>(i)].contribution[static_cast<size_t>(j)] * recipe[static_cast<size_t>(i)];
        if (unit(random) < 0.25)
            row.water = supplied * 0.3 * unit(random);
        row.target = supplied > 0 ? (supplied + row.water) * (0.97 + 0.06 * unit(random)) : 1.0;
        const double pick = unit(random);
        row.weight = pick < 0.1 ? 0.5 : (pick < 0.2 ? 3.0 : 1.0);
        if (unit(random) < 0.2)
            row.tolerance = 5 + 15 * unit(random);
        p.rows.push_back(row);
    }
    return p;
}

double Median(std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
    const Size sizes[] = {{12, 14, 2.0}, {30, 20, 0.0}, {100, 60, 50.0}};
    std::mt19937 random(20240628);
    using Clock = std::chrono::steady_clock;

    std::printf("cheapest fit, median time per fit over %d problems x %d runs\n\n", kProblemsPerSize, runs);
    std::printf("%-10s %12s %10s %10s %16s  %s\n", "fert x row", "median ms", "min ms", "met", "grower's fit ms",
                "target");
    bool allMet = true;
    for (const Size& size : sizes) {
        std::vector<Problem> problems;
        for (int k = 0; k < kProblemsPerSize; ++k)
            problems.push_back(MakeProblem(random, size.fertilizers, size.rows));

        int withinTolerance = 0;
        for (const Problem& p : problems)
            if (FitCheapestAmounts(p.rows, p.lines).status == CheapestFitStatus::Fitted)
                ++withinTolerance;

        std::vector<double> cheapest, grower;
        CheapestFitResult cheapestSink;
        std::vector<double> growerSink;
        for (int r = 0; r < runs; ++r)
            for (const Problem& p : problems) {
                auto start = Clock::now();
                cheapestSink = FitCheapestAmounts(p.rows, p.lines);
                cheapest.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                start = Clock::now();
                growerSink = FitGrowerAmounts(p.rows, p.lines);
                grower.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        const double median = Median(cheapest);
        const bool met = size.targetMs <= 0 || median < size.targetMs;
        allMet = allMet && met;
        char target[48] = "-";
        if (size.targetMs > 0)
            std::snprintf(target, sizeof target, "under %g ms: %s", size.targetMs, met ? "met" : "MISSED");
        std::printf("%3d x %-4d %12.4f %10.4f %4d of %-3d %16.4f  %s\n", size.fertilizers, size.rows, median,
                    cheapest[0], withinTolerance, kProblemsPerSize, Median(grower), target);
    }
    return allMet ? 0 : 1;
}
