// SPDX-License-Identifier: GPL-3.0-or-later
// The bounded least-squares solver and the grower's fit built on it: the
// optimality conditions on random problems, the objective against an
// enumeration of the active sets solved by the SVD solver, the awkward shapes,
// and the fit's weighting, water, limits and unsupplied lines.

#include "core/grower_fit.h"
#include "solver/bounded_least_squares.h"
#include "solver/least_squares.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace solvane;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Problem {
    std::vector<std::vector<double>> a; // m rows of n
    std::vector<double> b, lower, upper;
    int m = 0, n = 0;
};

double Objective(const Problem& p, const std::vector<double>& x) {
    long double sum = 0;
    for (int j = 0; j < p.m; ++j) {
        long double r = -static_cast<long double>(p.b[j]);
        for (int i = 0; i < p.n; ++i)
            r += static_cast<long double>(p.a[j][i]) * x[i];
        sum += r * r;
    }
    return static_cast<double>(sum);
}

// A random problem with limits of every kind (none, one-sided, boxes, fixed
// amounts) and, now and then, a duplicated or proportional column, a zero
// column or a zero row. The right-hand side comes from a point that often lies
// outside the limits, so that limits are active at the optimum.
Problem RandomProblem(std::mt19937& random, int m, int n) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Problem p;
    p.m = m;
    p.n = n;
    const bool nonNegative = unit(random) < 0.5; // fertilizer-like: contents ≥ 0
    p.a.assign(m, std::vector<double>(n, 0.0));
    for (auto& row : p.a)
        for (double& v : row)
            if (unit(random) < 0.6)
                v = (nonNegative ? 1.0 : (unit(random) < 0.5 ? -1.0 : 1.0)) * std::pow(10.0, 2 * unit(random) - 1);
    if (n >= 2 && unit(random) < 0.3) { // a column again, or twice or half of it
        const double factor = unit(random) < 0.5 ? 1.0 : (unit(random) < 0.5 ? 2.0 : 0.5);
        for (auto& row : p.a)
            row[n - 1] = factor * row[0];
    }
    if (n >= 1 && unit(random) < 0.15)
        for (auto& row : p.a)
            row[n / 2] = 0.0;
    if (m >= 1 && unit(random) < 0.15)
        std::fill(p.a[m / 2].begin(), p.a[m / 2].end(), 0.0);
    std::vector<double> point(n);
    for (double& v : point)
        v = 4 * unit(random) - 1.5;
    p.b.assign(m, 0.0);
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < n; ++i)
            p.b[j] += p.a[j][i] * point[i];
        p.b[j] += 0.3 * (unit(random) - 0.5);
    }
    for (int i = 0; i < n; ++i) {
        const double kind = unit(random);
        double lo = kind < 0.5 ? 0.0 : -1.0 + 2 * unit(random);
        if (kind > 0.92)
            lo = -kInf;
        const double width = unit(random);
        double hi = width < 0.35 ? kInf : (lo == -kInf ? 0.0 : lo) + 0.2 + 2 * width;
        if (width > 0.9 && lo > -kInf)
            hi = lo; // a fixed amount
        p.lower.push_back(lo);
        p.upper.push_back(hi);
    }
    return p;
}

// Every amount within its limits exactly, and the Karush–Kuhn–Tucker
// conditions: the gradient of ½ f is zero for a free amount, ≥ 0 at a lower
// limit, ≤ 0 at an upper one, up to a tolerance scaled by the column and the
// size of the terms of the residual.
void VerifyOptimal(const Problem& p, const std::vector<double>& x, const char* name) {
    QCOMPARE(int(x.size()), p.n);
    double scale = 0;
    for (double v : p.b)
        scale += v * v;
    scale = std::sqrt(scale);
    std::vector<double> columnNorm(p.n, 0.0);
    for (int i = 0; i < p.n; ++i) {
        for (int j = 0; j < p.m; ++j)
            columnNorm[i] += p.a[j][i] * p.a[j][i];
        columnNorm[i] = std::sqrt(columnNorm[i]);
        scale += columnNorm[i] * std::fabs(x[i]);
    }
    for (int i = 0; i < p.n; ++i) {
        QVERIFY2(x[i] >= p.lower[i] && x[i] <= std::max(p.lower[i], p.upper[i]), name);
        long double gradient = 0;
        for (int j = 0; j < p.m; ++j) {
            long double r = -static_cast<long double>(p.b[j]);
            for (int k = 0; k < p.n; ++k)
                r += static_cast<long double>(p.a[j][k]) * x[k];
            gradient += p.a[j][i] * r;
        }
        const double tolerance = 1e-10 * columnNorm[i] * scale;
        const bool atLower = x[i] == p.lower[i], atUpper = x[i] == p.upper[i];
        if (!atLower && !atUpper)
            QVERIFY2(std::fabs(gradient) <= tolerance, name);
        else if (atLower && !atUpper)
            QVERIFY2(gradient >= -tolerance, name);
        else if (atUpper && !atLower)
            QVERIFY2(gradient <= tolerance, name);
    }
}

// The optimum found another way: every assignment of the variables to free,
// lower limit or upper limit; the free ones solved by the SVD solver (its
// least-norm solution), kept when within the limits. Every candidate is a
// feasible point, and the optimum is among them, since some optimum has free
// columns that are independent of each other.
double EnumeratedOptimum(const Problem& p) {
    const int n = p.n;
    std::vector<int> choice(n, 0); // 0 free, 1 lower, 2 upper
    double best = kInf;
    for (;;) {
        std::vector<double> x(n, 0.0);
        std::vector<int> free;
        bool possible = true;
        for (int i = 0; i < n; ++i) {
            const bool fixed = p.upper[i] <= p.lower[i];
            if (choice[i] == 0 && !fixed)
                free.push_back(i);
            else if (choice[i] == 1 || (choice[i] == 0 && fixed))
                x[i] = p.lower[i];
            else
                x[i] = p.upper[i];
            if ((choice[i] == 1 && p.lower[i] == -kInf) || (choice[i] == 2 && p.upper[i] == kInf) ||
                (fixed && choice[i] != 0))
                possible = false;
        }
        if (possible) {
            const int k = int(free.size());
            Matrix system(p.m + 1, Vector(k + 2, 0.0));
            for (int j = 0; j < p.m; ++j) {
                double rhs = p.b[j];
                for (int i = 0; i < n; ++i)
                    if (std::find(free.begin(), free.end(), i) == free.end())
                        rhs -= p.a[j][i] * x[i];
                for (int c = 0; c < k; ++c)
                    system[j + 1][c + 1] = p.a[j][free[c]];
                system[j + 1][k + 1] = rhs;
            }
            Vector z;
            SolveLeastSquares(system, p.m, k, z);
            bool feasible = true;
            for (int c = 0; c < k && feasible; ++c) {
                const int i = free[c];
                const double slack = 1e-9 * (1 + std::fabs(z[c + 1]));
                feasible = z[c + 1] >= p.lower[i] - slack && z[c + 1] <= p.upper[i] + slack;
                x[i] = std::clamp(z[c + 1], p.lower[i], p.upper[i]);
            }
            if (feasible)
                best = std::min(best, Objective(p, x));
        }
        int i = 0;
        while (i < n && ++choice[i] == 3)
            choice[i++] = 0;
        if (i == n)
            return best;
    }
}

} // namespace

class BoundedFitTest : public QObject {
    Q_OBJECT
private slots:
    // (a) and (b): on random problems of up to 8 variables the solution meets
    // the optimality conditions and reaches the enumerated optimum; on larger
    // ones (up to 30 variables) the conditions alone are checked.
    void randomProblemsAreSolvedOptimally() {
        std::mt19937 random(18);
        for (int trial = 0; trial < 400; ++trial) {
            const bool small = trial < 250;
            const int n = small ? 1 + trial % 8 : 9 + trial % 22;
            const int m = small ? trial % 11 : 1 + (trial * 7) % 25;
            const Problem p = RandomProblem(random, m, n);
            const BoundedLeastSquaresResult result = SolveBoundedLeastSquares(p.a, p.b, p.lower, p.upper);
            const QByteArray name = QByteArray("trial ") + QByteArray::number(trial);
            QVERIFY2(result.converged, name.constData());
            VerifyOptimal(p, result.x, name.constData());
            const double f = Objective(p, result.x);
            QVERIFY2(std::fabs(result.objective - f) <= 1e-12 * (1 + f), name.constData());
            for (int i = 0; i < n; ++i)
                if (p.upper[i] <= p.lower[i])
                    QVERIFY2(result.x[i] == p.lower[i], name.constData());
            if (small) {
                const double optimum = EnumeratedOptimum(p);
                QVERIFY2(
                    std::fabs(f - optimum) <= 1e-9 * (1 + optimum),
                    (name + ": " + QByteArray::number(f, 'g', 17) + " against " + QByteArray::number(optimum, 'g', 17))
                        .constData());
            }
        }
    }

    // (c) The awkward shapes, each checked for optimality, and the same input
    // giving the same bits.
    void awkwardShapes() {
        // No rows: every variable stays at its starting limit.
        auto none = SolveBoundedLeastSquares({}, {}, {0.5, -kInf, -kInf}, {kInf, 2.0, kInf});
        QCOMPARE(none.x, (std::vector<double>{0.5, 2.0, 0.0}));
        QCOMPARE(none.objective, 0.0);
        // No variables: nothing to fit, the objective is |b|².
        auto empty = SolveBoundedLeastSquares({{}, {}}, {3.0, 4.0}, {}, {});
        QVERIFY(empty.x.empty());
        QCOMPARE(empty.objective, 25.0);
        // A zero column keeps its lower limit; a zero row only adds its b²;
        // more variables than rows; a duplicated column; a fixed amount that
        // keeps its exact bits.
        const double fixed = 0.1 + 0.2;
        Problem p;
        p.m = 3;
        p.n = 5;
        p.a = {{1, 0, 2, 1, 0}, {0, 0, 0, 0, 0}, {3, 0, 1, 3, 1}};
        p.b = {4, 1, 9};
        p.lower = {0, 0.25, 0, 0, fixed};
        p.upper = {kInf, 3, 1, kInf, fixed};
        auto shapes = SolveBoundedLeastSquares(p.a, p.b, p.lower, p.upper);
        QVERIFY(shapes.converged);
        QCOMPARE(shapes.x[1], 0.25);
        QCOMPARE(shapes.x[4], fixed);
        VerifyOptimal(p, shapes.x, "shapes");
        QVERIFY(std::fabs(Objective(p, shapes.x) - EnumeratedOptimum(p)) <= 1e-9);
        // A non-finite entry: nothing is fitted.
        auto broken = SolveBoundedLeastSquares({{1.0}}, {std::nan("")}, {0.5}, {kInf});
        QVERIFY(!broken.converged);
        QCOMPARE(broken.x, std::vector<double>{0.5});

        // 100 fertilizer-like variables (contents ≥ 0, a few elements each)
        // over 60 rows, and a rank-deficient 60 × 100 with signs.
        std::mt19937 random(60);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (const bool fertilizers : {true, false}) {
            Problem big;
            big.m = 60;
            big.n = 100;
            big.a.assign(60, std::vector<double>(100, 0.0));
            for (int i = 0; i < 100; ++i)
                for (int e = 0; e < 3; ++e)
                    big.a[(i * 7 + e * 13 + int(unit(random) * 5)) % 60][i] = 1 + 400 * unit(random);
            if (!fertilizers)
                for (int i = 50; i < 100; ++i)
                    for (int j = 0; j < 60; ++j)
                        big.a[j][i] = big.a[j][i - 50] - (j % 2 ? big.a[j][(i + 1) % 50] : 0.0);
            for (int j = 0; j < 60; ++j)
                big.b.push_back(1 + 300 * unit(random));
            for (int i = 0; i < 100; ++i) {
                big.lower.push_back(fertilizers ? (i % 10 == 0 ? 0.05 : 0.0) : -1.0);
                big.upper.push_back(i % 17 == 0 ? big.lower.back() : (i % 3 == 0 ? 0.4 : kInf));
            }
            const auto first = SolveBoundedLeastSquares(big.a, big.b, big.lower, big.upper);
            const auto second = SolveBoundedLeastSquares(big.a, big.b, big.lower, big.upper);
            QVERIFY(first.converged);
            VerifyOptimal(big, first.x, fertilizers ? "100 x 60" : "60 x 100 rank-deficient");
            QCOMPARE(first.iterations, second.iterations);
            QVERIFY(std::memcmp(first.x.data(), second.x.data(), sizeof(double) * 100) == 0);
        }
    }

    // (d) The grower's fit: relative errors weighted, the water taken off the
    // target, limits and fixed amounts kept exactly, a line that gives no
    // fitted row at its lower limit.
    void growerFit() {
        // One line giving 100 mg/l of one row (target 100) and 1 mg/l of
        // another (target 2): by relative error, w1²(g − 1)² + w2²(g/2 − 1)²
        // is least at g = (w1² + w2²/2) / (w1² + w2²/4).
        const GrowerFitLine both{{100.0, 1.0}};
        QCOMPARE(FitGrowerAmounts({{100, 1, 0}, {2, 1, 0}}, {both})[0], 1.5 / 1.25);
        QVERIFY(std::fabs(FitGrowerAmounts({{100, 1, 0}, {2, 3, 0}}, {both})[0] - 5.5 / 3.25) < 1e-14);

        // Water: 40 of a 100 mg/l target leaves 60 to the fertilizer; water
        // that already meets the target leaves the fertilizer at its lower limit.
        const GrowerFitLine single{{50.0}, 0.0};
        QVERIFY(std::fabs(FitGrowerAmounts({{100, 1, 40}}, {single})[0] - 1.2) < 1e-14);
        QCOMPARE(FitGrowerAmounts({{100, 1, 100}}, {single})[0], 0.0);
        QCOMPARE(FitGrowerAmounts({{100, 1, 130}}, {GrowerFitLine{{50.0}, 0.125}})[0], 0.125);

        // Two lines for one row: the first fixed (min = max), the second makes
        // up the rest; a third capped at its maximum; a fourth that gives only
        // an unfitted element keeps its minimum; a negative minimum counts as 0.
        const double fixed = 0.1 + 0.2;
        const std::vector<GrowerFitRow> rows{{150, 1, 0}, {0.5, 2, 0.1}};
        const std::vector<GrowerFitLine> lines{
            {{155.0, 0.0}, fixed, fixed}, {{100.0, 0.0}}, {{0.0, 2500.0}, -1.0, 0.0001}, {{}, 0.75}};
        const std::vector<double> g = FitGrowerAmounts(rows, lines);
        QCOMPARE(g[0], fixed);
        QVERIFY(std::fabs(g[1] - (150 - 155 * fixed) / 100) < 1e-14);
        QCOMPARE(g[2], 0.0001);
        QCOMPARE(g[3], 0.75);

        // Without fitted rows every line keeps its lower limit.
        QCOMPARE(FitGrowerAmounts({}, lines), (std::vector<double>{fixed, 0.0, 0.0, 0.75}));
        QCOMPARE(FitGrowerAmounts({{0, 1, 0}, {5, 0, 0}}, lines), (std::vector<double>{fixed, 0.0, 0.0, 0.75}));
    }
};

QTEST_GUILESS_MAIN(BoundedFitTest)
#include "test_bounded_fit.moc"
