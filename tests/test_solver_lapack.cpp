// SPDX-License-Identifier: GPL-3.0-or-later
// Cross-checks SolveLeastSquares against LAPACK's SVD least-squares driver
// dgelss on reproducible random systems of every shape from 1 × 1 to 40 × 40:
// full rank, badly scaled, rank deficient through proportional or zero
// columns, and recipe-like content matrices. LAPACK is told to drop the same
// singular values as the solver (at or below n · σmax · 5e-16), so where the
// system is well conditioned both must give the same solution, the same
// singular values and the same verdict on whether a value was dropped.

#include "solver/least_squares.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

extern "C" void dgelss_(const int* m, const int* n, const int* nrhs, double* a, const int* lda, double* b,
                        const int* ldb, double* s, const double* rcond, int* rank, double* work, const int* lwork,
                        int* info);

using namespace solvane;

namespace {

// The solver's dropping rule: w ≤ n · wmax · kDropFactor.
constexpr double kDropFactor = 5e-16;
// Solutions are compared only where every kept singular value is above this
// fraction of the largest (condition number below 1e8).
constexpr double kKeptFloor = 1e-8;
// Solutions of well-conditioned systems agree to this, relative to the norm.
constexpr double kSolutionTolerance = 1e-9;
// Both decompositions are backward stable: each singular value is exact for
// a matrix within a few hundred ulps of A, so they agree to this fraction of
// σmax (the n − m extra values of a wide system are zero to the same).
constexpr double kSingularValueTolerance = 1e-12;
// A singular value this close to the dropping threshold, relative to it,
// can land on either side through round-off; the flag is not compared then.
constexpr double kThresholdBand = 1e-3;

constexpr int kSystemsPerFamily = 120;
constexpr int kLargest = 40;

// A system in the solver's layout: rows 1..m, columns 1..n, the right-hand
// side in column n + 1.
Matrix emptySystem(int m, int n) {
    return Matrix(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
}

struct Reference {
    Vector x; // x[1..n], as the solver gives it
    Vector s; // min(m, n) values, descending
    int info = 0;
};

// dgelss on a column-major copy of the system (it overwrites both).
Reference lapackSolve(const Matrix& a, int m, int n) {
    const int lda = std::max(1, m);
    const int ldb = std::max({1, m, n});
    const int nrhs = 1;
    const double rcond = n * kDropFactor;
    std::vector<double> colMajor(static_cast<size_t>(lda) * static_cast<size_t>(n));
    std::vector<double> b(static_cast<size_t>(ldb), 0.0);
    for (int j = 1; j <= m; ++j) {
        for (int i = 1; i <= n; ++i)
            colMajor[static_cast<size_t>(i - 1) * lda + (j - 1)] = a[j][i];
        b[static_cast<size_t>(j - 1)] = a[j][n + 1];
    }
    Reference r;
    r.s.assign(static_cast<size_t>(std::max(1, std::min(m, n))), 0.0);
    int rank = 0;
    int lwork = -1;
    double query = 0;
    dgelss_(&m, &n, &nrhs, colMajor.data(), &lda, b.data(), &ldb, r.s.data(), &rcond, &rank, &query, &lwork, &r.info);
    lwork = static_cast<int>(query);
    std::vector<double> work(static_cast<size_t>(std::max(1, lwork)));
    dgelss_(&m, &n, &nrhs, colMajor.data(), &lda, b.data(), &ldb, r.s.data(), &rcond, &rank, work.data(), &lwork,
            &r.info);
    r.s.resize(static_cast<size_t>(std::min(m, n)));
    r.x.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int i = 1; i <= n; ++i)
        r.x[i] = b[static_cast<size_t>(i - 1)];
    return r;
}

double norm(const Vector& x) {
    double sum = 0;
    for (size_t i = 1; i < x.size(); ++i)
        sum += x[i] * x[i];
    return std::sqrt(sum);
}

// The system as C++ rows, ready to paste into a test.
QString describe(const Matrix& a, int m, int n) {
    QString text = QString("m = %1, n = %2, rows (last column is the right-hand side):\n").arg(m).arg(n);
    for (int j = 1; j <= m; ++j) {
        QStringList cells;
        for (int i = 1; i <= n + 1; ++i)
            cells << QString::number(a[j][i], 'g', 17);
        text += "{" + cells.join(", ") + "},\n";
    }
    return text;
}

// Shapes cycle through square, tall and wide so each family has all three.
void pickShape(std::mt19937& random, int trial, int& m, int& n) {
    std::uniform_int_distribution<int> size(1, kLargest);
    m = size(random);
    n = size(random);
    switch (trial % 3) {
    case 0:
        n = m;
        break;
    case 1:
        if (m < n)
            std::swap(m, n);
        if (m == n && m < kLargest)
            ++m;
        break;
    default:
        if (m > n)
            std::swap(m, n);
        if (m == n && n < kLargest)
            ++n;
        break;
    }
}

void fillUniform(std::mt19937& random, Matrix& a, int m, int n) {
    std::uniform_real_distribution<double> entry(-1, 1);
    for (int j = 1; j <= m; ++j)
        for (int i = 1; i <= n + 1; ++i)
            a[j][i] = entry(random);
}

// Element-by-fertilizer content in percent: most fertilizers hold a few
// elements, so most entries are zero; targets are in mg/l.
void fillContent(std::mt19937& random, Matrix& a, int m, int n) {
    std::uniform_real_distribution<double> percent(0, 60);
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_real_distribution<double> target(0, 300);
    for (int j = 1; j <= m; ++j) {
        for (int i = 1; i <= n; ++i)
            a[j][i] = coin(random) == 0 ? percent(random) : 0.0;
        a[j][n + 1] = coin(random) == 0 ? 0.0 : target(random);
    }
}

using Generator = std::function<Matrix(std::mt19937&, int, int&, int&)>;

Generator fullRank() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        fillUniform(random, a, m, n);
        return a;
    };
}

// Columns scaled over six decades: still full rank, but the decomposition
// has to resolve values far below σmax.
Generator scaledColumns() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        fillUniform(random, a, m, n);
        std::uniform_real_distribution<double> decade(-3, 3);
        for (int i = 1; i <= n; ++i) {
            const double factor = std::pow(10.0, decade(random));
            for (int j = 1; j <= m; ++j)
                a[j][i] *= factor;
        }
        return a;
    };
}

// Some columns are multiples of earlier ones, so the rank falls short of n
// by one for each such column.
Generator proportionalColumns() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        n = std::max(n, 2);
        Matrix a = emptySystem(m, n);
        fillUniform(random, a, m, n);
        std::uniform_int_distribution<int> copies(1, std::max(1, n / 3));
        std::uniform_real_distribution<double> factor(-4, 4);
        const int count = copies(random);
        for (int c = 0; c < count; ++c) {
            std::uniform_int_distribution<int> target(2, n);
            const int i = target(random);
            std::uniform_int_distribution<int> source(1, i - 1);
            const int k = source(random);
            const double f = factor(random);
            for (int j = 1; j <= m; ++j)
                a[j][i] = f * a[j][k];
        }
        return a;
    };
}

Generator zeroColumns() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        fillUniform(random, a, m, n);
        std::uniform_int_distribution<int> column(1, n);
        std::uniform_int_distribution<int> zeros(1, std::max(1, n / 3));
        const int count = zeros(random);
        for (int c = 0; c < count; ++c) {
            const int i = column(random);
            for (int j = 1; j <= m; ++j)
                a[j][i] = 0;
        }
        return a;
    };
}

Generator recipeContent() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        fillContent(random, a, m, n);
        return a;
    };
}

// Targets an actual mix of the fertilizers reaches, so the residual is zero.
Generator reachableRecipe() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        fillContent(random, a, m, n);
        std::uniform_real_distribution<double> amount(0, 3);
        Vector mix(static_cast<size_t>(n) + 1, 0.0);
        for (int i = 1; i <= n; ++i)
            mix[i] = amount(random);
        for (int j = 1; j <= m; ++j) {
            double sum = 0;
            for (int i = 1; i <= n; ++i)
                sum += a[j][i] * mix[i];
            a[j][n + 1] = sum;
        }
        return a;
    };
}

// A scattered diagonal (rows and columns permuted, random signs) whose
// singular values are its entries to the last bit; one of them is placed
// just below or just above the dropping threshold, or at half or twice it.
Generator onTheThreshold() {
    return [](std::mt19937& random, int trial, int& m, int& n) {
        pickShape(random, trial, m, n);
        Matrix a = emptySystem(m, n);
        const int k = std::min(m, n);
        std::uniform_real_distribution<double> magnitude(1, 10);
        std::uniform_int_distribution<int> sign(0, 1);
        Vector d(static_cast<size_t>(k));
        double largest = 0;
        for (double& value : d) {
            value = magnitude(random);
            largest = std::max(largest, value);
        }
        if (k >= 2) {
            const double factors[] = {0.5, 0.99, 1.01, 2};
            std::uniform_int_distribution<int> which(0, k - 1);
            size_t i = static_cast<size_t>(which(random));
            if (d[i] == largest)
                i = (i + 1) % d.size();
            d[i] = n * largest * kDropFactor * factors[(trial / 3) % 4];
        }
        std::vector<int> rows(static_cast<size_t>(m)), columns(static_cast<size_t>(n));
        for (int j = 0; j < m; ++j)
            rows[j] = j + 1;
        for (int i = 0; i < n; ++i)
            columns[i] = i + 1;
        std::shuffle(rows.begin(), rows.end(), random);
        std::shuffle(columns.begin(), columns.end(), random);
        for (int i = 0; i < k; ++i)
            a[rows[i]][columns[i]] = sign(random) ? d[i] : -d[i];
        std::uniform_real_distribution<double> entry(-1, 1);
        for (int j = 1; j <= m; ++j)
            a[j][n + 1] = entry(random);
        return a;
    };
}

struct Totals {
    int systems = 0;
    int solutionsCompared = 0;
    int illConditioned = 0;
    int flagsCompared = 0;
    int flagsSkipped = 0;
    int rankDeficient = 0; // LAPACK keeps fewer than n values
    double largestDifference = 0;
    double largestSingularValueDifference = 0;
};

} // namespace

Q_DECLARE_METATYPE(Generator)

class SolverLapackTest : public QObject {
    Q_OBJECT
    Totals overall;

private slots:
    void agreesWithLapack_data() {
        QTest::addColumn<Generator>("generate");
        QTest::addColumn<unsigned>("seed");
        QTest::newRow("full rank") << fullRank() << 1u;
        QTest::newRow("scaled columns") << scaledColumns() << 2u;
        QTest::newRow("proportional columns") << proportionalColumns() << 3u;
        QTest::newRow("zero columns") << zeroColumns() << 4u;
        QTest::newRow("recipe content") << recipeContent() << 5u;
        QTest::newRow("reachable recipe") << reachableRecipe() << 6u;
        QTest::newRow("on the threshold") << onTheThreshold() << 7u;
    }

    void agreesWithLapack() {
        QFETCH(Generator, generate);
        QFETCH(unsigned, seed);
        std::mt19937 random(seed);
        Totals totals;
        QStringList failures;
        QString firstFailingSystem;
        for (int trial = 0; trial < kSystemsPerFamily; ++trial) {
            int m = 0, n = 0;
            const Matrix a = generate(random, trial, m, n);
            Vector x, w;
            const bool flag = SolveLeastSquares(a, m, n, x, &w);
            const Reference ref = lapackSolve(a, m, n);
            ++totals.systems;
            QString problem;
            auto fail = [&](const QString& what) {
                if (!problem.isEmpty())
                    problem += "; ";
                problem += what;
            };

            if (ref.info != 0)
                fail(QString("dgelss info %1").arg(ref.info));
            if (x.size() != static_cast<size_t>(n) + 1 || w.size() != static_cast<size_t>(n) + 1) {
                failures << QString("trial %1 (%2 x %3): result sizes %4, %5")
                                .arg(trial)
                                .arg(m)
                                .arg(n)
                                .arg(x.size())
                                .arg(w.size());
                continue;
            }

            const double smax = ref.s.empty() ? 0.0 : ref.s.front();
            const double tol = n * smax * kDropFactor;

            // Singular values: ours, sorted, against LAPACK's; the missing
            // ones of a wide system count as zero.
            Vector ours(w.begin() + 1, w.end());
            std::sort(ours.begin(), ours.end(), std::greater<double>());
            double svDiff = 0;
            for (int i = 0; i < n; ++i) {
                if (ours[i] < 0)
                    fail(QString("negative singular value %1").arg(ours[i]));
                const double theirs = i < static_cast<int>(ref.s.size()) ? ref.s[i] : 0.0;
                svDiff = std::max(svDiff, std::fabs(ours[i] - theirs));
            }
            const double svRelative = smax > 0 ? svDiff / smax : svDiff;
            totals.largestSingularValueDifference = std::max(totals.largestSingularValueDifference, svRelative);
            if (svRelative > kSingularValueTolerance)
                fail(QString("singular values differ by %1 of the largest").arg(svRelative));

            // Dropped values: LAPACK's count against ours, unless a value of
            // either side sits on its own threshold.
            const int keptByLapack =
                static_cast<int>(std::count_if(ref.s.begin(), ref.s.end(), [tol](double s) { return s > tol; }));
            const double ourTol = n * (ours.empty() ? 0.0 : ours.front()) * kDropFactor;
            const int keptByUs =
                static_cast<int>(std::count_if(ours.begin(), ours.end(), [ourTol](double s) { return s > ourTol; }));
            auto onThreshold = [](const Vector& values, double threshold) {
                return threshold > 0 && std::any_of(values.begin(), values.end(), [threshold](double s) {
                           return std::fabs(s - threshold) <= kThresholdBand * threshold;
                       });
            };
            if (keptByLapack < n)
                ++totals.rankDeficient;
            const bool ambiguous = onThreshold(ref.s, tol) || onThreshold(ours, ourTol);
            if (ambiguous) {
                ++totals.flagsSkipped;
            } else {
                ++totals.flagsCompared;
                const bool expected = keptByLapack == n;
                if (flag != expected)
                    fail(QString("flag %1, but LAPACK keeps %2 of %3 values").arg(flag).arg(keptByLapack).arg(n));
                if (keptByUs != keptByLapack)
                    fail(QString("keeps %1 values, LAPACK %2").arg(keptByUs).arg(keptByLapack));
            }

            // Solutions, where the kept part is well conditioned.
            const bool wellConditioned = keptByLapack == 0 || ref.s[keptByLapack - 1] >= kKeptFloor * smax;
            if (!wellConditioned || ambiguous) {
                ++totals.illConditioned;
            } else {
                ++totals.solutionsCompared;
                double diff = 0;
                for (int i = 1; i <= n; ++i)
                    diff += (x[i] - ref.x[i]) * (x[i] - ref.x[i]);
                diff = std::sqrt(diff);
                const double scale = norm(ref.x);
                const double relative = scale > 0 ? diff / scale : diff;
                totals.largestDifference = std::max(totals.largestDifference, relative);
                if (relative > kSolutionTolerance)
                    fail(QString("solution differs by %1 relative (cond %2)")
                             .arg(relative)
                             .arg(keptByLapack ? smax / ref.s[keptByLapack - 1] : 0.0));
            }

            if (!problem.isEmpty()) {
                failures << QString("trial %1 (%2 x %3): %4").arg(trial).arg(m).arg(n).arg(problem);
                if (firstFailingSystem.isEmpty())
                    firstFailingSystem = describe(a, m, n);
            }
        }

        qInfo("%d systems (%d with a value dropped): %d solutions compared (%d ill-conditioned or on the threshold), "
              "largest relative difference %.3g; %d flags compared, %d skipped on the threshold; singular values "
              "within %.3g of the largest",
              totals.systems, totals.rankDeficient, totals.solutionsCompared, totals.illConditioned,
              totals.largestDifference, totals.flagsCompared, totals.flagsSkipped,
              totals.largestSingularValueDifference);
        overall.systems += totals.systems;
        overall.solutionsCompared += totals.solutionsCompared;
        overall.illConditioned += totals.illConditioned;
        overall.flagsCompared += totals.flagsCompared;
        overall.flagsSkipped += totals.flagsSkipped;
        overall.rankDeficient += totals.rankDeficient;
        overall.largestDifference = std::max(overall.largestDifference, totals.largestDifference);
        overall.largestSingularValueDifference =
            std::max(overall.largestSingularValueDifference, totals.largestSingularValueDifference);

        if (!failures.isEmpty())
            qWarning("%s\nfirst failing system, %s", qPrintable(failures.join('\n')), qPrintable(firstFailingSystem));
        QVERIFY2(failures.isEmpty(),
                 qPrintable(QString("%1 of %2 systems disagree with LAPACK").arg(failures.size()).arg(totals.systems)));
    }

    void cleanupTestCase() {
        qInfo("summary: %d systems checked (%d with a value dropped), %d solutions compared, largest relative "
              "difference %.3g; %d flags compared, %d skipped on the threshold",
              overall.systems, overall.rankDeficient, overall.solutionsCompared, overall.largestDifference,
              overall.flagsCompared, overall.flagsSkipped);
    }
};

QTEST_GUILESS_MAIN(SolverLapackTest)
#include "test_solver_lapack.moc"
