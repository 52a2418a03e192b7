// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/bounded_least_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

// Bounded-variable least squares by the active-set method of Stark and Parker:
// every variable is either at one of its limits or free. Starting with every
// variable at a limit, the search repeatedly frees the variable whose gradient
// points most steeply into its box, solves the unconstrained least-squares
// problem over the free variables, and walks toward that solution as far as the
// limits allow; a variable that would pass a limit is put on it and the free
// problem is solved again. When no variable at a limit would lower the
// objective by leaving it, the point is optimal (the Karush–Kuhn–Tucker
// conditions hold).
//
// The free problem is solved by Householder QR with column pivoting on the free
// columns, for the step from the current point rather than for the point
// itself: a column that the pivoting finds dependent on the others gets no step
// and keeps its variable where it is, so rank-deficient sets need no special
// case. Columns are scaled to unit length first, which makes the rank decision
// independent of the units of each variable. The residual is summed in
// extended precision and each free solution is refined once from it, so that
// rows whose terms are large but nearly cancel still steer the search; a
// gradient counts only when it is well above its own rounding error.
//
// In exact arithmetic every pass lowers the objective, so no set of free
// variables repeats and the search ends. Rounding can make a freed variable
// step back toward its limit or a pass end no lower than it began; such a pass
// is undone and its variable left out of the choice until the objective falls
// again. An iteration cap ends the search in any case.

namespace solvane {
namespace {

using Size = std::size_t;

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

enum class Place : unsigned char { Lower, Upper, Free, Fixed };

class BoundedSolver {
public:
    BoundedSolver(const std::vector<std::vector<double>>& a, const std::vector<double>& b,
                  const std::vector<double>& lower, const std::vector<double>& upper)
        : m_(a.size()), n_(lower.size()), columns_(m_ * n_, 0.0), norms_(n_, 1.0), b_(m_, 0.0), lower_(n_), upper_(n_),
          scaledLower_(n_), scaledUpper_(n_), y_(n_, 0.0), place_(n_, Place::Free), residual_(m_, 0.0),
          extended_(m_, 0.0L), rowError_(m_, 0.0) {
        for (Size j = 0; j < m_; ++j) {
            const std::vector<double>& row = a[j];
            const Size width = std::min(row.size(), n_);
            for (Size i = 0; i < width; ++i)
                columns_[i * m_ + j] = row[i];
            if (j < b.size())
                b_[j] = b[j];
        }
        for (double value : columns_)
            finite_ = finite_ && std::isfinite(value);
        for (double value : b_)
            finite_ = finite_ && std::isfinite(value);
        for (Size i = 0; i < n_; ++i) {
            // A NaN limit, or one on the wrong side of every number, is no limit.
            const double lo = i < lower.size() ? lower[i] : -kInfinity;
            const double hi = i < upper.size() ? upper[i] : kInfinity;
            lower_[i] = std::isnan(lo) || lo == kInfinity ? -kInfinity : lo;
            upper_[i] = std::isnan(hi) || hi == -kInfinity ? kInfinity : hi;
        }
    }

    BoundedLeastSquaresResult solve() {
        start();
        BoundedLeastSquaresResult result;
        if (!finite_) {
            result.converged = false;
            finish(result);
            return result;
        }
        scaleColumns();

        std::vector<char> passedOver(n_, 0);
        std::vector<double> savedY;
        std::vector<Place> savedPlace;
        settleFree(-1, Place::Free); // variables without limits start free
        double objective = residualSquared();
        const int cap = 8 * static_cast<int>(n_) + 32;
        result.converged = false;
        for (int pass = 0; pass < cap; ++pass) {
            const int entering = steepestAtLimit(passedOver);
            if (entering < 0) {
                result.converged = true;
                break;
            }
            ++result.iterations;
            const Size t = static_cast<Size>(entering);
            const Place from = place_[t];
            savedY = y_;
            savedPlace = place_;
            place_[t] = Place::Free;
            const bool moved = settleFree(entering, from);
            const double reached = moved ? residualSquared() : objective;
            if (moved && reached < objective) {
                objective = reached;
                std::fill(passedOver.begin(), passedOver.end(), 0);
            } else {
                y_ = savedY;
                place_ = savedPlace;
                passedOver[t] = 1;
            }
        }
        finish(result);
        return result;
    }

private:
    // Every variable at its lower limit, at its upper one when it has no lower
    // limit, free at 0 when it has neither; fixed where the limits meet.
    void start() {
        for (Size i = 0; i < n_; ++i) {
            if (upper_[i] <= lower_[i]) {
                place_[i] = Place::Fixed;
                y_[i] = lower_[i];
            } else if (lower_[i] > -kInfinity) {
                place_[i] = Place::Lower;
                y_[i] = lower_[i];
            } else if (upper_[i] < kInfinity) {
                place_[i] = Place::Upper;
                y_[i] = upper_[i];
            } else {
                place_[i] = Place::Free;
                y_[i] = 0.0;
            }
        }
    }

    // Column i becomes A_i / |A_i| and its variable y_i = |A_i| · x_i, limits
    // likewise; a zero column stays as it is.
    void scaleColumns() {
        for (Size i = 0; i < n_; ++i) {
            double* column = columns_.data() + i * m_;
            double largest = 0.0;
            for (Size j = 0; j < m_; ++j)
                largest = std::max(largest, std::fabs(column[j]));
            if (largest == 0.0)
                continue;
            double sum = 0.0; // scaled by the largest entry against overflow
            for (Size j = 0; j < m_; ++j)
                sum += (column[j] / largest) * (column[j] / largest);
            const double norm = largest * std::sqrt(sum);
            norms_[i] = norm;
            for (Size j = 0; j < m_; ++j)
                column[j] /= norm;
        }
        for (Size i = 0; i < n_; ++i) {
            scaledLower_[i] = lower_[i] * norms_[i];
            scaledUpper_[i] = upper_[i] * norms_[i];
            y_[i] *= norms_[i];
        }
    }

    // residual_ := b − A y, summed in extended precision so that the small
    // residual of a nearly met row does not drown in the rounding of its large
    // terms; returns its squared length.
    double residualSquared() {
        std::copy(b_.begin(), b_.end(), extended_.begin());
        for (Size i = 0; i < n_; ++i) {
            const long double value = y_[i];
            if (value == 0.0L)
                continue;
            const double* column = columns_.data() + i * m_;
            for (Size j = 0; j < m_; ++j)
                extended_[j] -= column[j] * value;
        }
        long double sum = 0.0L;
        for (Size j = 0; j < m_; ++j) {
            residual_[j] = static_cast<double>(extended_[j]);
            sum += extended_[j] * extended_[j];
        }
        return static_cast<double>(sum);
    }

    // The variable at a limit (not passed over) whose gradient points most
    // steeply into its box, counting only gradients well above their own
    // rounding error; −1 when there is none.
    int steepestAtLimit(const std::vector<char>& passedOver) {
        residualSquared();
        // Row j's residual carries an error of about m · ε_ext · (|b_j| + Σ |A_ji y_i|)
        // from its sum and ε · |r_j| from its rounding to double.
        for (Size j = 0; j < m_; ++j)
            rowError_[j] = std::fabs(b_[j]);
        for (Size i = 0; i < n_; ++i) {
            const double value = std::fabs(y_[i]);
            if (value == 0.0)
                continue;
            const double* column = columns_.data() + i * m_;
            for (Size j = 0; j < m_; ++j)
                rowError_[j] += std::fabs(column[j]) * value;
        }
        const double sumError = static_cast<double>(m_ + 1) * std::numeric_limits<long double>::epsilon();
        for (Size j = 0; j < m_; ++j)
            rowError_[j] = sumError * rowError_[j] + kEpsilon * std::fabs(residual_[j]);

        int chosen = -1;
        double steepest = 0.0;
        for (Size i = 0; i < n_; ++i) {
            if (passedOver[i] || (place_[i] != Place::Lower && place_[i] != Place::Upper))
                continue;
            const double* column = columns_.data() + i * m_;
            long double g = 0.0L; // −½ ∂f/∂y_i
            double error = std::numeric_limits<double>::min();
            for (Size j = 0; j < m_; ++j) {
                g += column[j] * extended_[j];
                error += std::fabs(column[j]) * rowError_[j];
            }
            const double into = static_cast<double>(place_[i] == Place::Lower ? g : -g);
            if (into > 8.0 * error && into > steepest) {
                steepest = into;
                chosen = static_cast<int>(i);
            }
        }
        return chosen;
    }

    // Moves the free variables to the least-squares optimum over them, putting
    // on its limit each one that would pass it and solving again without it.
    // `entering` is the variable just freed from `from` (−1 for none); returns
    // false, with nothing changed, when its first step points back to its limit.
    bool settleFree(int entering, Place from) {
        std::vector<Size> free;
        std::vector<double> step;
        for (Size round = 0; round <= n_; ++round) { // each partial step fixes a variable
            free.clear();
            for (Size i = 0; i < n_; ++i)
                if (place_[i] == Place::Free)
                    free.push_back(i);
            if (free.empty())
                return true;
            residualSquared();
            factorFree(free);
            solveFactored(step);
            if (round == 0 && entering >= 0) {
                const Size k =
                    static_cast<Size>(std::find(free.begin(), free.end(), static_cast<Size>(entering)) - free.begin());
                if (from == Place::Lower ? step[k] <= 0.0 : step[k] >= 0.0)
                    return false;
            }

            // The longest fraction of the step that keeps every variable within its limits.
            double fraction = 1.0;
            Size blocking = n_;
            for (Size k = 0; k < free.size(); ++k) {
                const Size i = free[k];
                const double target = y_[i] + step[k];
                double reach = 1.0;
                if (target < scaledLower_[i])
                    reach = (scaledLower_[i] - y_[i]) / step[k];
                else if (target > scaledUpper_[i])
                    reach = (scaledUpper_[i] - y_[i]) / step[k];
                else
                    continue;
                reach = std::max(0.0, reach);
                if (reach < fraction) {
                    fraction = reach;
                    blocking = i;
                }
            }
            if (blocking == n_) {
                for (Size k = 0; k < free.size(); ++k) {
                    const Size i = free[k];
                    y_[i] = std::clamp(y_[i] + step[k], scaledLower_[i], scaledUpper_[i]);
                }
                refine(free, step);
                return true;
            }
            for (Size k = 0; k < free.size(); ++k) {
                const Size i = free[k];
                y_[i] += fraction * step[k];
                // The blocking variable, and any other that reaches a limit it
                // moves toward, goes onto that limit exactly.
                const bool down = step[k] < 0.0;
                if (down && (i == blocking || y_[i] <= scaledLower_[i])) {
                    y_[i] = scaledLower_[i];
                    place_[i] = Place::Lower;
                } else if (!down && (i == blocking || y_[i] >= scaledUpper_[i])) {
                    y_[i] = scaledUpper_[i];
                    place_[i] = Place::Upper;
                } else {
                    y_[i] = std::clamp(y_[i], scaledLower_[i], scaledUpper_[i]);
                }
            }
        }
        return true;
    }

    // One step of iterative refinement at the optimum over the free variables:
    // the step solved again, with the same factors, from the residual of the
    // point reached corrects the rounding of the first solve. Taken only when
    // it stays within the limits.
    void refine(const std::vector<Size>& free, std::vector<double>& step) {
        residualSquared();
        solveFactored(step);
        for (Size k = 0; k < free.size(); ++k) {
            const double target = y_[free[k]] + step[k];
            if (target < scaledLower_[free[k]] || target > scaledUpper_[free[k]])
                return;
        }
        for (Size k = 0; k < free.size(); ++k)
            y_[free[k]] += step[k];
    }

    // Factors the free columns A_F by Householder QR with column pivoting:
    // R in the upper triangle of work_, each reflector v below the diagonal of
    // its column with its first entry in head_, the column order in order_.
    // Factoring stops at the first column whose part outside the span of those
    // before it is negligible; rank_ columns are factored.
    void factorFree(const std::vector<Size>& free) {
        const Size k = free.size();
        work_.resize(m_ * k);
        for (Size c = 0; c < k; ++c)
            std::copy_n(columns_.data() + free[c] * m_, m_, work_.data() + c * m_);
        order_.resize(k);
        partial_.resize(k);
        reference_.resize(k);
        head_.resize(k);
        vv_.resize(k);
        for (Size c = 0; c < k; ++c) {
            order_[c] = c;
            partial_[c] = squaredLength(work_.data() + c * m_, 0);
            reference_[c] = partial_[c];
        }

        const double rankTolerance = 16.0 * kEpsilon * static_cast<double>(std::max(m_, k));
        const Size steps = std::min(m_, k);
        rank_ = 0;
        for (Size p = 0; p < steps; ++p) {
            Size pivot = p;
            for (Size c = p + 1; c < k; ++c)
                if (partial_[c] > partial_[pivot])
                    pivot = c;
            if (pivot != p) {
                std::swap_ranges(work_.data() + p * m_, work_.data() + p * m_ + m_, work_.data() + pivot * m_);
                std::swap(order_[p], order_[pivot]);
                std::swap(partial_[p], partial_[pivot]);
                std::swap(reference_[p], reference_[pivot]);
            }
            double* column = work_.data() + p * m_;
            const double norm = std::sqrt(squaredLength(column, p));
            if (!(norm > rankTolerance))
                break;
            // v = x − α e_1 with α of the opposite sign to x_1, so that v_1
            // suffers no cancellation; vᵀv = 2 |x| (|x| + |x_1|).
            const double alpha = column[p] >= 0.0 ? -norm : norm;
            head_[p] = column[p] - alpha;
            const double vv = 2.0 * norm * (norm + std::fabs(column[p]));
            column[p] = alpha;
            for (Size c = p + 1; c < k; ++c) {
                double* target = work_.data() + c * m_;
                reflect(column, p, vv, target);
                // The remaining length of the column, kept up to date and
                // summed anew once most of it has been taken out.
                partial_[c] -= target[p] * target[p];
                if (partial_[c] <= 1.5e-8 * reference_[c]) {
                    partial_[c] = squaredLength(target, p + 1);
                    reference_[c] = partial_[c];
                }
            }
            vv_[p] = vv;
            rank_ = p + 1;
        }
    }

    // target[p..m) := (I − 2 v vᵀ / vᵀv) target[p..m), v the reflector of
    // column p (its first entry in head_[p], the rest below the diagonal).
    void reflect(const double* column, Size p, double vv, double* target) const {
        double s = head_[p] * target[p];
        for (Size j = p + 1; j < m_; ++j)
            s += column[j] * target[j];
        const double factor = 2.0 * s / vv;
        target[p] -= factor * head_[p];
        for (Size j = p + 1; j < m_; ++j)
            target[j] -= factor * column[j];
    }

    double squaredLength(const double* column, Size from) const {
        double sum = 0.0;
        for (Size j = from; j < m_; ++j)
            sum += column[j] * column[j];
        return sum;
    }

    // step := the least-squares solution d of A_F d ≈ residual_ from the
    // factors of factorFree. The columns left unfactored get d = 0: the basic
    // solution of a rank-deficient set.
    void solveFactored(std::vector<double>& step) {
        const Size k = order_.size();
        rhs_ = residual_;
        for (Size p = 0; p < rank_; ++p)
            reflect(work_.data() + p * m_, p, vv_[p], rhs_.data());
        solution_.assign(k, 0.0);
        for (Size p = rank_; p-- > 0;) {
            double s = rhs_[p];
            for (Size c = p + 1; c < rank_; ++c)
                s -= work_[c * m_ + p] * solution_[c];
            solution_[p] = s / work_[p * m_ + p];
        }
        step.assign(k, 0.0);
        for (Size p = 0; p < k; ++p)
            step[order_[p]] = solution_[p];
    }

    // Back to the caller's units; a variable at a limit takes the limit's
    // value as given, a free one is clamped against rounding.
    void finish(BoundedLeastSquaresResult& result) {
        result.x.assign(n_, 0.0);
        for (Size i = 0; i < n_; ++i) {
            switch (place_[i]) {
            case Place::Lower:
            case Place::Fixed:
                result.x[i] = lower_[i];
                break;
            case Place::Upper:
                result.x[i] = upper_[i];
                break;
            case Place::Free:
                result.x[i] = std::clamp(y_[i] / norms_[i], lower_[i], upper_[i]);
                break;
            }
        }
        if (!finite_) {
            result.objective = std::numeric_limits<double>::quiet_NaN();
            return;
        }
        // The objective at the amounts handed out.
        for (Size i = 0; i < n_; ++i)
            y_[i] = result.x[i] * norms_[i];
        result.objective = residualSquared();
    }

    Size m_, n_;
    std::vector<double> columns_; // A column-major, column i at [i·m, (i + 1)·m)
    std::vector<double> norms_;   // the columns' original lengths (1 for a zero column)
    std::vector<double> b_;
    std::vector<double> lower_, upper_;             // the caller's limits, cleaned
    std::vector<double> scaledLower_, scaledUpper_; // the limits of y
    std::vector<double> y_;
    std::vector<Place> place_;
    std::vector<double> residual_;      // b − A y, rounded to double
    std::vector<long double> extended_; // b − A y as summed
    std::vector<double> rowError_;      // a bound on the rounding error of each residual_
    bool finite_ = true;
    // The QR's working storage, kept between solves.
    std::vector<double> work_, rhs_, solution_, head_, vv_, partial_, reference_;
    std::vector<Size> order_;
    Size rank_ = 0;
};

} // namespace

BoundedLeastSquaresResult SolveBoundedLeastSquares(const std::vector<std::vector<double>>& a,
                                                   const std::vector<double>& b, const std::vector<double>& lower,
                                                   const std::vector<double>& upper) {
    return BoundedSolver(a, b, lower, upper).solve();
}

} // namespace solvane
