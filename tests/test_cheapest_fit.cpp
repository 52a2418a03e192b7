// SPDX-License-Identifier: GPL-3.0-or-later
// The linear programs and the cheapest fit built on them: the optimality
// conditions on random programs, the fit against an enumeration of the points
// where its limits meet, the choice among recipes of equal cost, the lines
// without a price, the rows named when the tolerances cannot all be met, and
// the limits and awkward input.

#include "core/cheapest_fit.h"
#include "solver/linear_program.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace solvane;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

long double Dot(const std::vector<double>& a, const std::vector<double>& x) {
    long double sum = 0;
    for (std::size_t i = 0; i < std::min(a.size(), x.size()); ++i)
        sum += static_cast<long double>(a[i]) * x[i];
    return sum;
}

// A random program that has a point meeting every limit: the rows' limits are
// set around A x0. Columns and rows get limits of every kind (none, one side,
// both, fixed), the coefficients both signs and some zeros.
LinearProgram RandomProgram(std::mt19937& random, int m, int n) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    LinearProgram p;
    std::vector<double> x0(n);
    for (int i = 0; i < n; ++i) {
        x0[i] = 4 * unit(random) - 2;
        p.cost.push_back(unit(random) < 0.15 ? 0.0 : 2 * unit(random) - 0.5);
        const double kind = unit(random);
        double lower = x0[i] - unit(random), upper = x0[i] + unit(random);
        if (kind < 0.2)
            upper = kInf;
        else if (kind < 0.3)
            lower = -kInf;
        else if (kind < 0.35)
            lower = upper = x0[i];
        else if (kind < 0.4)
            lower = -kInf, upper = kInf;
        p.columnLower.push_back(lower);
        p.columnUpper.push_back(upper);
    }
    for (int j = 0; j < m; ++j) {
        std::vector<double> row(n, 0.0);
        for (double& v : row)
            if (unit(random) < 0.7)
                v = (unit(random) < 0.5 ? -1.0 : 1.0) * std::pow(10.0, 2 * unit(random) - 1);
        const double activity = static_cast<double>(Dot(row, x0));
        const double kind = unit(random);
        double lower = activity - unit(random), upper = activity + unit(random);
        if (kind < 0.25)
            upper = kInf;
        else if (kind < 0.5)
            lower = -kInf;
        else if (kind < 0.6)
            lower = upper = activity;
        p.rows.push_back(row);
        p.rowLower.push_back(lower);
        p.rowUpper.push_back(upper);
    }
    return p;
}

// x optimal by the Karush–Kuhn–Tucker conditions: every limit met, each dual
// of the sign its limit allows, and complementary slackness: a row or column
// with a nonzero dual sits on the limit that dual belongs to.
void VerifyOptimal(const LinearProgram& p, const LinearProgramResult& r, const QByteArray& name) {
    QCOMPARE(r.x.size(), p.cost.size());
    QCOMPARE(r.rowDual.size(), p.rows.size());
    double costScale = 1;
    for (double c : p.cost)
        costScale = std::max(costScale, std::fabs(c));
    const double dualTolerance = 1e-9 * costScale;
    const auto near = [](long double value, double limit) {
        return std::fabs(static_cast<double>(value) - limit) <= 1e-9 * (1 + std::fabs(limit));
    };
    for (std::size_t i = 0; i < p.cost.size(); ++i) {
        const double x = r.x[i], lower = p.columnLower[i], upper = p.columnUpper[i];
        QVERIFY2(x >= lower && x <= upper, name);
        long double reduced = p.cost[i];
        for (std::size_t j = 0; j < p.rows.size(); ++j)
            reduced -= static_cast<long double>(p.rows[j][i]) * r.rowDual[j];
        QVERIFY2(std::fabs(static_cast<double>(reduced) - r.reducedCost[i]) <= 1e-12 * costScale, name);
        if (reduced > dualTolerance)
            QVERIFY2(x == lower, name);
        if (reduced < -dualTolerance)
            QVERIFY2(x == upper, name);
    }
    for (std::size_t j = 0; j < p.rows.size(); ++j) {
        const long double activity = Dot(p.rows[j], r.x);
        QVERIFY2(activity >= p.rowLower[j] - 1e-9 * (1 + std::fabs(p.rowLower[j])), name);
        QVERIFY2(activity <= p.rowUpper[j] + 1e-9 * (1 + std::fabs(p.rowUpper[j])), name);
        if (r.rowDual[j] > dualTolerance)
            QVERIFY2(near(activity, p.rowLower[j]), name);
        if (r.rowDual[j] < -dualTolerance)
            QVERIFY2(near(activity, p.rowUpper[j]), name);
    }
    const long double objective = Dot(p.cost, r.x);
    QVERIFY2(std::fabs(static_cast<double>(objective) - r.objective) <= 1e-12 * (1 + std::fabs(r.objective)), name);
}

// A fit problem of up to four lines and five rows, in relative terms: row k
// reads dev_k(g) = (Σ_i c_ki g_i + s_k − t_k) / t_k. Its targets come from a
// random recipe, off by up to ±25 %, so that some problems can be met within
// their tolerances and some cannot. Some lines cost nothing, some cost the
// same as another, some have limits; some rows are not fitted.
struct FitProblem {
    std::vector<GrowerFitRow> rows;
    std::vector<GrowerFitLine> lines;
};

FitProblem RandomFitProblem(std::mt19937& random, int lines, int rows) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    FitProblem p;
    for (int i = 0; i < lines; ++i) {
        GrowerFitLine line;
        for (int j = 0; j < rows; ++j)
            line.contribution.push_back(unit(random) < 0.5 ? 10 * 50 * unit(random) : 0.0);
        const double price = unit(random);
        line.price = price < 0.15 ? 0.0 : (price < 0.3 && i > 0 ? *p.lines[0].price : 0.05 + 3 * unit(random));
        const double limit = unit(random);
        if (limit < 0.2)
            line.lower = 0.3 * unit(random);
        else if (limit < 0.4)
            line.upper = 0.2 + unit(random);
        else if (limit < 0.5)
            line.lower = line.upper = 0.5 * unit(random);
        p.lines.push_back(line);
    }
    for (int j = 0; j < rows; ++j) {
        GrowerFitRow row;
        long double supplied = 0;
        for (const GrowerFitLine& line : p.lines)
            supplied += line.contribution[j] * std::max(line.lower, std::min(line.upper, unit(random)));
        row.water = unit(random) < 0.3 ? 30 * unit(random) : 0.0;
        row.target = (static_cast<double>(supplied) + row.water) * (0.75 + 0.5 * unit(random));
        if (row.target <= 0 || unit(random) < 0.1)
            row.target = unit(random) < 0.5 ? 0.0 : 40.0; // left out, or only water for it
        row.weight = unit(random) < 0.2 ? 3.0 : 1.0;
        row.tolerance = 2 + 20 * unit(random);
        p.rows.push_back(row);
    }
    return p;
}

double Deviation(const FitProblem& p, std::size_t j, const std::vector<double>& g) {
    const GrowerFitRow& row = p.rows[j];
    long double sum = row.water - row.target;
    for (std::size_t i = 0; i < g.size(); ++i)
        sum += static_cast<long double>(p.lines[i].contribution[j]) * g[i];
    return static_cast<double>(sum / row.target);
}

bool Fitted(const GrowerFitRow& row) {
    return row.target > 0 && row.weight > 0;
}

double Violation(const FitProblem& p, const std::vector<double>& g) {
    double total = 0;
    for (std::size_t j = 0; j < p.rows.size(); ++j)
        if (Fitted(p.rows[j]))
            total += std::max(0.0, std::fabs(Deviation(p, j, g)) - p.rows[j].tolerance / 100);
    return total;
}

double Nearness(const FitProblem& p, const std::vector<double>& g) {
    double total = 0;
    for (std::size_t j = 0; j < p.rows.size(); ++j)
        if (Fitted(p.rows[j]))
            total += p.rows[j].weight * std::fabs(Deviation(p, j, g));
    return total;
}

double Cost(const FitProblem& p, const std::vector<double>& g) {
    double cost = 0;
    for (std::size_t i = 0; i < g.size(); ++i)
        cost += *p.lines[i].price * g[i];
    return cost;
}

// A hyperplane h·g = v over the amounts.
struct Plane {
    std::vector<double> h;
    double v;
};

// Every point within the lines' limits where n of the planes meet (n the
// number of lines). Each objective of the fit's programs is convex and
// piecewise linear over a polytope, with its pieces and the polytope bounded
// by these planes, so its least value is taken at one of these points.
std::vector<std::vector<double>> MeetingPoints(const FitProblem& p, const std::vector<Plane>& planes) {
    const std::size_t n = p.lines.size();
    std::vector<std::vector<double>> points;
    std::vector<std::size_t> pick(n);
    for (std::size_t k = 0; k < n; ++k)
        pick[k] = k;
    while (n > 0 && n <= planes.size()) {
        // Gaussian elimination with partial pivoting on the chosen planes.
        std::vector<std::vector<long double>> a(n, std::vector<long double>(n + 1));
        for (std::size_t r = 0; r < n; ++r) {
            for (std::size_t c = 0; c < n; ++c)
                a[r][c] = planes[pick[r]].h[c];
            a[r][n] = planes[pick[r]].v;
        }
        bool singular = false;
        for (std::size_t c = 0; c < n && !singular; ++c) {
            std::size_t best = c;
            for (std::size_t r = c + 1; r < n; ++r)
                if (std::fabs(a[r][c]) > std::fabs(a[best][c]))
                    best = r;
            singular = std::fabs(a[best][c]) < 1e-12;
            std::swap(a[c], a[best]);
            for (std::size_t r = 0; r < n && !singular; ++r)
                if (r != c) {
                    const long double f = a[r][c] / a[c][c];
                    for (std::size_t k = c; k <= n; ++k)
                        a[r][k] -= f * a[c][k];
                }
        }
        if (!singular) {
            std::vector<double> g(n);
            bool within = true;
            for (std::size_t i = 0; i < n; ++i) {
                g[i] = static_cast<double>(a[i][n] / a[i][i]);
                const GrowerFitLine& line = p.lines[i];
                const double upper = std::max(line.lower, line.upper);
                within = within && g[i] >= line.lower - 1e-9 && g[i] <= upper + 1e-9;
                g[i] = std::clamp(g[i], line.lower, upper);
            }
            if (within)
                points.push_back(g);
        }
        std::size_t k = n;
        while (k > 0 && pick[k - 1] == planes.size() - n + k - 1)
            --k;
        if (k == 0)
            break;
        ++pick[k - 1];
        for (std::size_t q = k; q < n; ++q)
            pick[q] = pick[q - 1] + 1;
    }
    return points;
}

// The planes of the lines' limits, of every fitted row's tolerance and of its
// target (where the weighted deviation bends).
std::vector<Plane> FitPlanes(const FitProblem& p) {
    const std::size_t n = p.lines.size();
    std::vector<Plane> planes;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> unitRow(n, 0.0);
        unitRow[i] = 1;
        planes.push_back({unitRow, p.lines[i].lower});
        if (p.lines[i].upper < kInf && p.lines[i].upper > p.lines[i].lower)
            planes.push_back({unitRow, p.lines[i].upper});
    }
    for (std::size_t j = 0; j < p.rows.size(); ++j) {
        const GrowerFitRow& row = p.rows[j];
        if (!Fitted(row))
            continue;
        std::vector<double> h(n);
        for (std::size_t i = 0; i < n; ++i)
            h[i] = p.lines[i].contribution[j] / row.target;
        const double b = (row.target - row.water) / row.target;
        for (const double shift : {-row.tolerance / 100, 0.0, row.tolerance / 100})
            planes.push_back({h, b + shift});
    }
    return planes;
}

} // namespace

class CheapestFitTest : public QObject {
    Q_OBJECT
private slots:
    // Random programs of up to 8 rows and 10 columns with limits of every
    // kind: an optimum meets the optimality conditions through its duals;
    // unboundedness shows as an optimum that keeps falling as every column
    // is boxed wider. Then the shapes and input that need no solving.
    void linearPrograms() {
        std::mt19937 random(28);
        int optimal = 0, unbounded = 0;
        for (int trial = 0; trial < 400; ++trial) {
            const LinearProgram p = RandomProgram(random, trial % 9, 1 + trial % 10);
            const QByteArray name = "trial " + QByteArray::number(trial);
            const LinearProgramResult r = SolveLinearProgram(p);
            QVERIFY2(r.status == LinearProgramStatus::Optimal || r.status == LinearProgramStatus::Unbounded, name);
            if (r.status == LinearProgramStatus::Optimal) {
                ++optimal;
                VerifyOptimal(p, r, name);
                continue;
            }
            ++unbounded;
            QVERIFY2(r.x.empty(), name);
            double previous = kInf;
            for (const double box : {1e3, 1e6}) {
                LinearProgram boxed = p;
                for (std::size_t i = 0; i < p.cost.size(); ++i) {
                    boxed.columnLower[i] = std::max(p.columnLower[i], -box);
                    boxed.columnUpper[i] = std::min(p.columnUpper[i], box);
                }
                const LinearProgramResult b = SolveLinearProgram(boxed);
                QVERIFY2(b.status == LinearProgramStatus::Optimal, name);
                QVERIFY2(b.objective < previous - 1, name);
                previous = b.objective;
            }
        }
        QVERIFY(optimal > 250 && unbounded > 10);

        // Rows that cannot be met together, and limits that cross; NaN limits
        // count as none, missing ones as x ≥ 0 and a free row.
        LinearProgram apart{{1, 1}, {{1, 1}, {1, -1}}, {3, 0}, {kInf, 0}, {}, {1, 1}};
        QCOMPARE(SolveLinearProgram(apart).status, LinearProgramStatus::Infeasible);
        apart.columnUpper = {2, 2};
        const LinearProgramResult met = SolveLinearProgram(apart);
        QCOMPARE(met.status, LinearProgramStatus::Optimal);
        QCOMPARE(met.x, (std::vector<double>{1.5, 1.5}));
        QCOMPARE(SolveLinearProgram({{1}, {}, {}, {}, {2}, {1}}).status, LinearProgramStatus::Infeasible);
        QCOMPARE(SolveLinearProgram({{1}, {}, {}, {}, {kInf}, {kInf}}).status, LinearProgramStatus::Infeasible);
        const double nan = std::nan("");
        const LinearProgramResult open = SolveLinearProgram({{1, -1}, {{1, 1}}, {nan}, {5}, {nan, 0}, {2, nan}});
        QCOMPARE(open.status, LinearProgramStatus::Unbounded);
        const LinearProgramResult plain = SolveLinearProgram({{-1, -2}, {{1, 1}}, {}, {}, {}, {3, 4}});
        QCOMPARE(plain.status, LinearProgramStatus::Optimal);
        QCOMPARE(plain.x, (std::vector<double>{3, 4}));
        // No rows, no columns; a non-finite cost or coefficient fails.
        QCOMPARE(SolveLinearProgram({{2, -1}, {}, {}, {}, {0.5, 0}, {1, 0.25}}).x, (std::vector<double>{0.5, 0.25}));
        QCOMPARE(SolveLinearProgram({{}, {{}, {}}, {-1, 0}, {1, 0}, {}, {}}).status, LinearProgramStatus::Optimal);
        QCOMPARE(SolveLinearProgram({{}, {{}}, {1}, {2}, {}, {}}).status, LinearProgramStatus::Infeasible);
        QCOMPARE(SolveLinearProgram({{nan}, {}, {}, {}, {}, {}}).status, LinearProgramStatus::Failed);
        QCOMPARE(SolveLinearProgram({{1}, {{-kInf}}, {}, {}, {}, {}}).status, LinearProgramStatus::Failed);
    }

    // Random fits of up to four lines and five rows against the meeting
    // points of their limits: when some point holds every tolerance, the fit
    // finds the least cost and, within it, the least weighted deviation;
    // otherwise it names the rows its least total violation leaves beyond
    // their tolerance. Every amount within its limits, the same input giving
    // the same bits.
    void cheapestFitAgainstMeetingPoints() {
        std::mt19937 random(280);
        int fitted = 0, unmet = 0;
        for (int trial = 0; trial < 300; ++trial) {
            const FitProblem p = RandomFitProblem(random, 1 + trial % 4, 1 + trial % 5);
            const QByteArray name = "trial " + QByteArray::number(trial);
            const CheapestFitResult r = FitCheapestAmounts(p.rows, p.lines);
            const CheapestFitResult again = FitCheapestAmounts(p.rows, p.lines);
            QCOMPARE(again.status, r.status);
            QVERIFY2(std::memcmp(r.amounts.data(), again.amounts.data(), sizeof(double) * r.amounts.size()) == 0, name);
            QCOMPARE(r.amounts.size(), p.lines.size());
            for (std::size_t i = 0; i < p.lines.size(); ++i)
                QVERIFY2(r.amounts[i] >= p.lines[i].lower &&
                             r.amounts[i] <= std::max(p.lines[i].lower, p.lines[i].upper),
                         name);

            std::vector<Plane> planes = FitPlanes(p);
            double least = kInf, leastViolation = kInf;
            for (const std::vector<double>& g : MeetingPoints(p, planes)) {
                const double violation = Violation(p, g);
                leastViolation = std::min(leastViolation, violation);
                if (violation <= 1e-12)
                    least = std::min(least, Cost(p, g));
            }
            if (least == kInf) {
                ++unmet;
                QVERIFY2(r.status == CheapestFitStatus::OutOfTolerance, name);
                QVERIFY2(std::fabs(Violation(p, r.amounts) - leastViolation) <= 1e-9, name);
                QVERIFY2(!r.unmetRows.empty(), name);
                for (std::size_t j = 0; j < p.rows.size(); ++j) {
                    const bool named = std::count(r.unmetRows.begin(), r.unmetRows.end(), j) > 0;
                    const double beyond = std::fabs(Deviation(p, j, r.amounts)) - p.rows[j].tolerance / 100;
                    QVERIFY2(named ? Fitted(p.rows[j]) && beyond > 0 : beyond <= 1e-9 || !Fitted(p.rows[j]), name);
                }
                continue;
            }
            ++fitted;
            QVERIFY2(r.status == CheapestFitStatus::Fitted, name);
            for (std::size_t j = 0; j < p.rows.size(); ++j)
                if (Fitted(p.rows[j]))
                    QVERIFY2(std::fabs(Deviation(p, j, r.amounts)) <= p.rows[j].tolerance / 100 + 1e-7, name);
            QVERIFY2(std::fabs(r.cost - Cost(p, r.amounts)) <= 1e-12 * (1 + r.cost), name);
            QVERIFY2(std::fabs(r.cost - least) <= 1e-7 * least + 1e-12,
                     name + ": " + QByteArray::number(r.cost, 'g', 17) + " against " +
                         QByteArray::number(least, 'g', 17));

            // The nearest among the recipes that cost at most the least × (1 + 1e-9).
            std::vector<double> price;
            for (const GrowerFitLine& line : p.lines)
                price.push_back(*line.price);
            planes.push_back({price, least * (1 + 1e-9)});
            double nearest = kInf;
            for (const std::vector<double>& g : MeetingPoints(p, planes))
                if (Violation(p, g) <= 1e-12 && Cost(p, g) <= least * (1 + 1e-9) + 1e-15)
                    nearest = std::min(nearest, Nearness(p, g));
            QVERIFY2(std::fabs(Nearness(p, r.amounts) - nearest) <= 1e-7 * (1 + nearest),
                     name + ": " + QByteArray::number(Nearness(p, r.amounts), 'g', 17) + " against " +
                         QByteArray::number(nearest, 'g', 17));
        }
        QVERIFY(fitted > 60 && unmet > 60);
    }

    // Recipes of equal cost: the row weighing more is met exactly; a line
    // that costs nothing brings its row onto the target.
    void equalCostsGoNearestTheTargets() {
        // One line gives 100 mg/l of N and of K per g/l; N 100 and K 105 are
        // both within 10 % for g from 0.945 to 1.1. A zero price makes every
        // such g cost the same; by weight, N (g = 1) or K (g = 1.05) is met.
        GrowerFitLine both{{100.0, 100.0}};
        both.price = 0.0;
        std::vector<GrowerFitRow> rows{{100, 1, 0}, {105, 1, 0}};
        QCOMPARE(FitCheapestAmounts(rows, {both}).amounts[0], 1.0);
        rows[1].weight = 2;
        QVERIFY(std::fabs(FitCheapestAmounts(rows, {both}).amounts[0] - 1.05) < 1e-14);
        // With a price the cheapest g is the least within tolerance, 0.945;
        // the nearer recipe may spend 1e-9 of the cost more.
        both.price = 0.2;
        const CheapestFitResult priced = FitCheapestAmounts(rows, {both});
        QVERIFY(priced.amounts[0] >= 0.945 && priced.amounts[0] - 0.945 <= 1e-9 * 0.945 + 1e-15);
        QVERIFY(std::fabs(priced.cost - 0.2 * priced.amounts[0]) < 1e-15);
    }

    // Lines without a price, except fixed ones, stop the fit and are named;
    // tolerances that cannot be met name the rows; the limits hold exactly;
    // awkward input.
    void missingPricesUnmetRowsAndLimits() {
        const double nan = std::nan("");
        // Calcium nitrate: 155 mg/l of N and 189.4 of Ca per g/l.
        GrowerFitLine calcium{{0.0, 155.0, 189.4}};
        calcium.price = 0.09;
        GrowerFitLine acid{{0.0, 133.0, 0.0}, 0.1, 0.1}; // fixed, no price needed
        GrowerFitLine unpriced{{0.0, 137.0, 0.0}};
        GrowerFitLine negative = unpriced, notANumber = unpriced;
        negative.price = -1.0;
        notANumber.price = nan;
        const std::vector<GrowerFitRow> rows{{0, 1, 0}, {70, 1, 0}, {150, 1, 0}};
        const CheapestFitResult missing = FitCheapestAmounts(rows, {unpriced, calcium, acid, negative, notANumber});
        QCOMPARE(missing.status, CheapestFitStatus::MissingPrice);
        QCOMPARE(missing.unpricedLines, (std::vector<std::size_t>{0, 3, 4}));
        QVERIFY(missing.amounts.empty());

        // N 70 against Ca 150 from calcium nitrate alone: N within 10 % allows
        // at most 0.497 g/l, Ca needs at least 0.713. N weighs more per gram
        // relative to its target, so the least total violation leaves Ca short.
        const CheapestFitResult tomato = FitCheapestAmounts(rows, {calcium, acid});
        QCOMPARE(tomato.status, CheapestFitStatus::OutOfTolerance);
        QCOMPARE(tomato.unmetRows, std::vector<std::size_t>{2});
        QVERIFY(std::fabs(tomato.amounts[0] - (77.0 - 13.3) / 155.0) < 1e-14);
        QCOMPARE(tomato.amounts[1], 0.1);
        // A looser N tolerance meets both.
        std::vector<GrowerFitRow> loose = rows;
        loose[1].tolerance = 80;
        QCOMPARE(FitCheapestAmounts(loose, {calcium, acid}).status, CheapestFitStatus::Fitted);

        // Limits: a maximum binds exactly, a fixed amount keeps its bits, a
        // line that gives no fitted row keeps its minimum, a negative minimum
        // counts as 0.
        const double fixed = 0.1 + 0.2;
        GrowerFitLine capped{{300.0}, -1.0, 0.3};
        capped.price = 0.01;
        GrowerFitLine dear{{100.0}};
        dear.price = 1.0;
        GrowerFitLine pinned{{50.0}, fixed, fixed};
        GrowerFitLine idle{{0.0}, 0.75};
        idle.price = 2.0;
        const CheapestFitResult limited = FitCheapestAmounts({{150, 1, 0}}, {capped, dear, pinned, idle});
        QCOMPARE(limited.status, CheapestFitStatus::Fitted);
        QCOMPARE(limited.amounts[0], 0.3);
        QCOMPARE(limited.amounts[2], fixed);
        QCOMPARE(limited.amounts[3], 0.75);
        QVERIFY(std::fabs(limited.amounts[1] - (135 - 90 - 50 * fixed) / 100) <= 1e-9 * limited.cost + 1e-15);

        // Non-finite entries count as 0, a row with a non-finite or missing
        // target is left out; without fitted rows every line keeps its
        // minimum; without lines the water decides.
        GrowerFitLine broken{{nan, kInf}, 0.25};
        broken.price = 1.0;
        const CheapestFitResult none = FitCheapestAmounts({{nan, 1, 0}, {kInf, 1, 0}}, {broken, idle});
        QCOMPARE(none.status, CheapestFitStatus::Fitted);
        QCOMPARE(none.amounts, (std::vector<double>{0.25, 0.75}));
        QCOMPARE(none.cost, 1.75);
        QCOMPARE(FitCheapestAmounts({{100, 1, 95}}, {}).status, CheapestFitStatus::Fitted);
        const CheapestFitResult dry = FitCheapestAmounts({{100, 1, 0}, {100, 1, nan}}, {});
        QCOMPARE(dry.status, CheapestFitStatus::OutOfTolerance);
        QCOMPARE(dry.unmetRows, (std::vector<std::size_t>{0, 1}));
    }
};

QTEST_GUILESS_MAIN(CheapestFitTest)
#include "test_cheapest_fit.moc"
