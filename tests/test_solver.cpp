// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/least_squares.h"

#include <QtTest>
#include <cmath>
#include <random>

using namespace solvane;

namespace {

// An m × n system in the solver's layout: rows 1..m, columns 1..n, the
// right-hand side in column n + 1.
Matrix system(int m, int n, const std::vector<std::vector<double>>& rows) {
    Matrix a(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
    for (int j = 1; j <= m; ++j)
        for (int i = 1; i <= n + 1; ++i)
            a[j][i] = rows[j - 1][i - 1];
    return a;
}

struct Result {
    bool flag;
    Vector x;
    Vector w;
};

Result solve(const Matrix& a, int m, int n) {
    Result r;
    r.flag = SolveLeastSquares(a, m, n, r.x, &r.w);
    return r;
}

} // namespace

class SolverTest : public QObject {
    Q_OBJECT
private slots:
    void helpers() {
        QCOMPARE(TransferSign(-3, 2), 3.0);
        QCOMPARE(TransferSign(3, -2), -3.0);
        QCOMPARE(TransferSign(-3, -0.0), 3.0);
        QCOMPARE(Larger(1, 2), 2.0);
        QCOMPARE(Hypotenuse(3, 4), 5.0);
        QCOMPARE(Hypotenuse(-4, 3), 5.0);
        QCOMPARE(Hypotenuse(0, 0), 0.0);
        QCOMPARE(Hypotenuse(1e300, 1e300), std::sqrt(2.0) * 1e300);
    }

    void fullRankSystemsAreSolvedExactly() {
        auto one = solve(system(1, 1, {{15.5, 200}}), 1, 1);
        QVERIFY(one.flag);
        QCOMPARE(one.x.size(), size_t(2));
        QVERIFY(std::fabs(one.x[1] - 200 / 15.5) < 1e-12);

        auto square = solve(system(2, 2, {{13, 15.5, 150}, {38, 0, 300}}), 2, 2);
        QVERIFY(square.flag);
        QVERIFY(std::fabs(square.x[1] - 7.8947368421) < 1e-9);
        QVERIFY(std::fabs(square.x[2] - 3.0560271647) < 1e-9);

        // Negative amounts come back as they are.
        auto negative = solve(system(2, 2, {{13, 15.5, 150}, {38, 0, 600}}), 2, 2);
        QVERIFY(negative.flag);
        QVERIFY(std::fabs(negative.x[1] - 15.7894736842) < 1e-9);
        QVERIFY(std::fabs(negative.x[2] + 3.5653650254) < 1e-9);

        // Overdetermined: the normal equations' solution.
        auto over = solve(system(3, 2, {{1, 0, 1}, {0, 1, 2}, {1, 1, 4}}), 3, 2);
        QVERIFY(over.flag);
        QVERIFY(std::fabs(over.x[1] - 4.0 / 3) < 1e-12);
        QVERIFY(std::fabs(over.x[2] - 7.0 / 3) < 1e-12);
    }

    void singularValuesStayUnsorted() {
        auto diagonal = solve(system(2, 2, {{15.5, 0, 1}, {0, 52, 1}}), 2, 2);
        auto anti = solve(system(2, 2, {{0, 52, 1}, {15.5, 0, 1}}), 2, 2);
        for (const Result& r : {diagonal, anti}) {
            QVERIFY(std::fabs(r.w[1] - 15.5) < 1e-12);
            QVERIFY(std::fabs(r.w[2] - 52) < 1e-12);
        }
    }

    void rankDeficientSystemsGetTheLeastNormSolution() {
        auto under = solve(system(1, 2, {{15.5, 46, 150}}), 1, 2);
        QVERIFY(!under.flag);
        QVERIFY(std::fabs(under.x[1] - 0.9867374005) < 1e-9);
        QVERIFY(std::fabs(under.x[2] - 2.9283819629) < 1e-9);

        auto twins = solve(system(3, 2, {{15.5, 15.5, 200}, {0, 0, 50}, {19, 19, 100}}), 3, 2);
        QVERIFY(!twins.flag);
        QVERIFY(std::fabs(twins.x[1] - 4.1580042) < 1e-7);
        QVERIFY(std::fabs(twins.x[1] - twins.x[2]) < 1e-12);

        // A zero column: its variable stays at 0, the others fit the rest.
        auto zero = solve(system(2, 3, {{13, 0, 15.5, 150}, {38, 0, 0, 300}}), 2, 3);
        QVERIFY(!zero.flag);
        QVERIFY(std::fabs(zero.x[2]) < 1e-12);
        QVERIFY(std::fabs(zero.x[1] - 7.8947368421) < 1e-9);
        QVERIFY(std::fabs(zero.x[3] - 3.0560271647) < 1e-9);

        // A first column of zeros goes through the cancellation step.
        auto first = solve(system(3, 3, {{0, 46, 0, 40}, {0, 15.5, 13, 150}, {0, 15.5, 38, 40}}), 3, 3);
        QVERIFY(!first.flag);
        QVERIFY(std::fabs(first.x[1]) < 1e-12);
        QVERIFY(std::fabs(first.x[2] - 1.3962394) < 1e-7);
        QVERIFY(std::fabs(first.x[3] - 1.4670011) < 1e-7);
    }

    void emptySystems() {
        Matrix noEquations(1, Vector(5, 0.0));
        auto m0 = solve(noEquations, 0, 3);
        QVERIFY(!m0.flag);
        QCOMPARE(m0.x, (Vector{0, 0, 0, 0}));
        Matrix noVariables(3, Vector(2, 7.0));
        auto n0 = solve(noVariables, 2, 0);
        QVERIFY(n0.flag);
        QCOMPARE(n0.x.size(), size_t(1));
    }

    void inputIsLeftUnchanged() {
        const Matrix a = system(3, 3, {{0, 46, 0, 40}, {0, 15.5, 13, 150}, {0, 15.5, 38, 40}});
        const Matrix copy = a;
        Vector x;
        SolveLeastSquares(a, 3, 3, x);
        QCOMPARE(a, copy);
    }

    // Content matrices like real recipes: percentages of 14 elements in 12
    // fertilizers, mostly zero. Whatever the fit, the residual must be
    // orthogonal to the columns (the least-squares condition).
    void recipeShapedSystemsSatisfyTheNormalEquations() {
        std::mt19937 random(20261209);
        std::uniform_real_distribution<double> percent(0, 60);
        std::uniform_int_distribution<int> coin(0, 3);
        for (int trial = 0; trial < 50; ++trial) {
            const int m = 14, n = 12;
            Matrix a(m + 1, Vector(n + 2, 0.0));
            for (int j = 1; j <= m; ++j) {
                for (int i = 1; i <= n; ++i)
                    a[j][i] = coin(random) == 0 ? percent(random) : 0.0;
                a[j][n + 1] = percent(random) * 5;
            }
            Vector x;
            const bool flag = SolveLeastSquares(a, m, n, x);
            Q_UNUSED(flag);
            for (int i = 1; i <= n; ++i) {
                double dot = 0, scale = 0;
                for (int j = 1; j <= m; ++j) {
                    double residual = -a[j][n + 1];
                    for (int k = 1; k <= n; ++k)
                        residual += a[j][k] * x[k];
                    dot += a[j][i] * residual;
                    scale += std::fabs(a[j][i]) * (std::fabs(a[j][n + 1]) + 1);
                }
                QVERIFY2(std::fabs(dot) <= 1e-8 * (scale + 1), qPrintable(QString::number(dot)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(SolverTest)
#include "test_solver.moc"
