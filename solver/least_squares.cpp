// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/least_squares.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace solvane {

namespace {

// sqrt(a² + b²) without overflow, its intermediate steps in extended precision.
// Inline so that the diagonalisation's rotations do not pay for a call.
//
// When one operand is below 2⁻³⁴ times the other, the extended-precision
// quotient q has |q| ≤ 2⁻³⁴, so q² ≤ 2⁻⁶⁸ is under half a unit of 1 at a
// 64-bit significand: 1 + q² rounds to 1, its root is 1 and the result is
// exactly the larger magnitude. That case is answered without the x87 steps.
// The comparisons scale the smaller operand up, which is exact unless it
// overflows (and then the comparison fails), and are strict, so zeros,
// infinities and NaNs all take the extended-precision path.
inline double hypotenuse(double a, double b) {
    const double magnitudeA = std::fabs(a);
    const double magnitudeB = std::fabs(b);
    if (magnitudeB * 0x1p34 < magnitudeA)
        return magnitudeA;
    if (magnitudeA * 0x1p34 < magnitudeB)
        return magnitudeB;
    const long double absA = AbsExtended(a);
    const long double absB = AbsExtended(b);
    if (absA >= absB) {
        if (absA == 0)
            return 0.0;
        const long double q = static_cast<long double>(b) / static_cast<long double>(a);
        return static_cast<double>(absA * std::sqrt(1.0L + q * q));
    }
    const long double q = static_cast<long double>(a) / static_cast<long double>(b);
    return static_cast<double>(absB * std::sqrt(1.0L + q * q));
}

inline double transferSign(double a, double b) {
    return b >= 0 ? std::fabs(a) : -std::fabs(a);
}

// A value u is negligible beside the norm bound nb when adding |u| to nb
// changes nothing at a 64-bit significand: |u| + nb == nb in extended
// precision.
//
// Rounding is monotonic, so the values that pass are exactly those with
// |u| ≤ limit for one limit per bound: half a unit in the last place of nb at
// 64 bits, the tie rounding back to nb because a double's 64-bit significand
// is even. The bound is fixed for the whole diagonalisation, so the limit is
// worked out once and confirmed with the extended-precision test itself: 0 and
// the limit pass, the next double above the limit does not, and the plain
// comparison tells that next double from the limit. Whenever that confirmation
// fails (a NaN or infinite bound, or a floating-point environment other than
// the usual one) every value goes through the extended-precision test.
class NegligibilityTest {
public:
    explicit NegligibilityTest(double nb) : bound_(nb) {
        if (nb > 0 && nb <= DBL_MAX) {
            int exponent = 0;
            std::frexp(nb, &exponent); // nb = f · 2^exponent, 0.5 ≤ f < 1
            limit_ = std::ldexp(1.0, exponent - 65);
        }
        const double above = std::nextafter(limit_, HUGE_VAL);
        fast_ = extended(0.0) && extended(limit_) && !extended(above) && above > limit_;
    }

    bool operator()(double u) const { return fast_ ? std::fabs(u) <= limit_ : extended(u); }

private:
    bool extended(double u) const { return AbsExtended(u) + bound_ == bound_; }

    long double bound_;
    double limit_ = 0;
    bool fast_ = false;
};

// Rotates entries 1..count of the columns y and z (contiguous arrays):
// y ← y·c + z·s, z ← −y·s + z·c.
inline void rotate(double* y, double* z, int count, double c, double s) {
    for (int r = 1; r <= count; ++r) {
        const double yr = y[r];
        const double zr = z[r];
        y[r] = yr * c + zr * s;
        z[r] = -yr * s + zr * c;
    }
}

// column[k] = column[k] + factor · y[k] for k = from..to.
inline void addMultiple(double* column, double factor, const double* y, int from, int to) {
    for (int k = from; k <= to; ++k)
        column[k] = column[k] + factor * y[k];
}

// For every column j = first..last of a column-major array (column j at
// base + j · ld), in the manner of one Householder step:
//   sum = Σₖ x[k] · column[k] over k = from..to, in ascending order of k,
//   column[k] = column[k] + factor(sum) · y[k] for k = updateFrom..to.
// x and y lie outside those columns, so a column's update changes nothing
// another column reads. The columns are therefore taken four at a time, their
// four sums built side by side, each over k in ascending order, which keeps
// four additions in flight instead of one.
template <typename Factor>
inline void reflectColumns(double* base, std::size_t ld, int first, int last, const double* x, int from, int to,
                           const double* y, int updateFrom, Factor factor) {
    int j = first;
    for (; j + 3 <= last; j += 4) {
        double* const c0 = base + static_cast<std::size_t>(j) * ld;
        double* const c1 = c0 + ld;
        double* const c2 = c1 + ld;
        double* const c3 = c2 + ld;
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (int k = from; k <= to; ++k) {
            const double xk = x[k];
            s0 += xk * c0[k];
            s1 += xk * c1[k];
            s2 += xk * c2[k];
            s3 += xk * c3[k];
        }
        addMultiple(c0, factor(s0), y, updateFrom, to);
        addMultiple(c1, factor(s1), y, updateFrom, to);
        addMultiple(c2, factor(s2), y, updateFrom, to);
        addMultiple(c3, factor(s3), y, updateFrom, to);
    }
    for (; j <= last; ++j) {
        double* const c = base + static_cast<std::size_t>(j) * ld;
        double sum = 0;
        for (int k = from; k <= to; ++k)
            sum += x[k] * c[k];
        addMultiple(c, factor(sum), y, updateFrom, to);
    }
}

constexpr int kPassesPerValue = 30;

} // namespace

double TransferSign(double a, double b) {
    return transferSign(a, b);
}

double Larger(double a, double b) {
    return a > b ? a : b;
}

double Hypotenuse(double a, double b) {
    return hypotenuse(a, b);
}

bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x) {
    return SolveLeastSquares(A, m, n, x, nullptr);
}

namespace {

// The working storage of one decomposition A = U · diag(w) · Vᵀ and its
// steps, in the order SolveLeastSquares runs them. One zeroed block holds
//   U    the working copy of A, column by column (column c holds rows 0..m,
//        row 0 unused), columns 0..n + 1; it becomes U in place. Rotations
//        and the column operations of the reduction walk contiguous memory.
//   Vt   V transposed: entry (r, c) of V at Vt[c · (n + 1) + r], so that a
//        column of V, which every rotation and update works on, is contiguous.
//   w, e the diagonal and superdiagonal, indices 0..n.
//   t    scratch of max(m, n) + 1 entries.
// Column n + 1 of the copy is the right-hand side; the left-hand
// transformations carry it along, so it ends as Uᵀ · b's source.
class Decomposition {
public:
    Decomposition(const Matrix& A, int m, int n)
        : m_(m), n_(n), ldu_(static_cast<std::size_t>(m) + 1), ldv_(static_cast<std::size_t>(n) + 1),
          storage_(ldu_ * (ldv_ + 1) + ldv_ * ldv_ + 2 * ldv_ +
                       std::max(static_cast<std::size_t>(m), static_cast<std::size_t>(n)) + 1,
                   0.0),
          U_(storage_.data()), Vt_(U_ + ldu_ * (ldv_ + 1)), w_(Vt_ + ldv_ * ldv_), e_(w_ + ldv_), t_(e_ + ldv_) {
        // Rows 1..m, columns 0..n + 1 of A: all the solver ever reads of it.
        for (int r = 1; r <= m; ++r) {
            const double* row = A[static_cast<std::size_t>(r)].data();
            double* dst = U_ + r;
            for (std::size_t c = 0; c < ldv_ + 1; ++c)
                dst[c * ldu_] = row[c];
        }
    }

    // Householder reduction to upper bidiagonal form. Returns the norm bound
    // of the bidiagonal form; g_ holds the last superdiagonal's scale.
    double bidiagonalise();
    // The right-hand transformations accumulated into V.
    void accumulateRight();
    // The left-hand transformations, in place: the working copy becomes U.
    void accumulateLeft();
    // Diagonalisation of the bidiagonal form by implicitly shifted QR.
    void diagonalise(double nb);
    // x = V · diag(1/w) · Uᵀ · b over the singular values above the
    // tolerance; false when one was left out.
    bool backSubstitute(Vector& x);

    void singularValues(Vector& out) const { out.assign(w_, w_ + ldv_); }

private:
    double* col(int c) const { return U_ + static_cast<std::size_t>(c) * ldu_; }
    double& at(int row, int c) const { return U_[static_cast<std::size_t>(c) * ldu_ + static_cast<std::size_t>(row)]; }
    double* vcol(int c) const { return Vt_ + static_cast<std::size_t>(c) * ldv_; }
    // Row i's reflection of the reduction, applied to the rows below it.
    void reflectRowsBelow(int i, int l);
    // One pass of the QR iteration on the value k; true when it has converged.
    bool qrPass(int k, const NegligibilityTest& negligible);

    const int m_;
    const int n_;
    const std::size_t ldu_;
    const std::size_t ldv_;
    Vector storage_;
    double* const U_;
    double* const Vt_;
    double* const w_;
    double* const e_;
    double* const t_;
    // Carried from the reduction into the accumulation of V, as the
    // algorithm does.
    double g_ = 0;
};

double Decomposition::bidiagonalise() {
    const int m = m_, n = n_;
    double* const e = e_;
    double* const w = w_;
    double nb = 0, g = 0, scale = 0, s = 0, f = 0, h = 0;
    for (int i = 1; i <= n; ++i) {
        const int l = i + 1;
        e[i] = scale * g;
        g = 0;
        s = 0;
        scale = 0;
        if (i <= m) {
            double* const ci = col(i);
            for (int k = i; k <= m; ++k)
                scale += std::fabs(ci[k]);
            if (scale != 0) {
                for (int k = i; k <= m; ++k) {
                    ci[k] = ci[k] / scale;
                    s += ci[k] * ci[k];
                }
                f = ci[i];
                g = -transferSign(std::sqrt(s), f);
                h = f * g - s;
                ci[i] = f - g;
                if (i != n)
                    reflectColumns(U_, ldu_, l, n, ci, i, m, ci, i, [h](double sum) { return sum / h; });
                for (int k = i; k <= m; ++k)
                    ci[k] = scale * ci[k];
            }
        }
        w[i] = scale * g;
        g = 0;
        s = 0;
        scale = 0;
        if (i <= m && i != n) {
            for (int k = l; k <= n; ++k)
                scale += std::fabs(at(i, k));
            if (scale != 0) {
                for (int k = l; k <= n; ++k) {
                    at(i, k) = at(i, k) / scale;
                    s += at(i, k) * at(i, k);
                }
                f = at(i, l);
                g = -transferSign(std::sqrt(s), f);
                h = f * g - s;
                at(i, l) = f - g;
                for (int k = l; k <= n; ++k)
                    e[k] = at(i, k) / h;
                if (i != m)
                    reflectRowsBelow(i, l);
                for (int k = l; k <= n; ++k)
                    at(i, k) = scale * at(i, k);
            }
        }
        nb = Larger(nb, std::fabs(w[i]) + std::fabs(e[i]));
    }
    g_ = g;
    return nb;
}

// Row j (below i) takes t[j] = Σₖ U(j, k)·U(i, k) times e. The rows do not
// depend on one another, so four rows' sums are built side by side in
// registers, each over k in ascending order, reading four adjacent entries of
// every column; the updates then walk down the columns.
void Decomposition::reflectRowsBelow(int i, int l) {
    const int m = m_, n = n_;
    double* const t = t_;
    int row = l;
    for (; row + 3 <= m; row += 4) {
        double t0 = 0, t1 = 0, t2 = 0, t3 = 0;
        for (int k = l; k <= n; ++k) {
            const double aik = at(i, k);
            const double* const ck = col(k) + row;
            t0 += ck[0] * aik;
            t1 += ck[1] * aik;
            t2 += ck[2] * aik;
            t3 += ck[3] * aik;
        }
        t[row] = t0;
        t[row + 1] = t1;
        t[row + 2] = t2;
        t[row + 3] = t3;
    }
    for (; row <= m; ++row) {
        double sum = 0;
        for (int k = l; k <= n; ++k)
            sum += col(k)[row] * at(i, k);
        t[row] = sum;
    }
    for (int k = l; k <= n; ++k) {
        const double ek = e_[k];
        double* const ck = col(k);
        for (int j = l; j <= m; ++j)
            ck[j] = ck[j] + t[j] * ek;
    }
}

void Decomposition::accumulateRight() {
    const int n = n_;
    double* const t = t_;
    double g = g_;
    int l = n + 1;
    for (int i = n; i >= 1; --i) {
        double* const vi = vcol(i);
        if (i < n) {
            if (g != 0) {
                // Row i of U, gathered into t for contiguous access.
                for (int j = l; j <= n; ++j)
                    t[j] = at(i, j);
                const double pivot = t[l];
                for (int j = l; j <= n; ++j)
                    vi[j] = (t[j] / pivot) / g;
                reflectColumns(Vt_, ldv_, l, n, t, l, n, vi, l, [](double sum) { return sum; });
            }
            for (int j = l; j <= n; ++j) {
                vcol(j)[i] = 0;
                vi[j] = 0;
            }
        }
        vi[i] = 1;
        g = e_[i];
        l = i;
    }
}

void Decomposition::accumulateLeft() {
    const int m = m_, n = n_;
    for (int i = std::min(m, n); i >= 1; --i) {
        const int l = i + 1;
        double g = w_[i];
        double* const ci = col(i);
        if (i < n)
            for (int j = l; j <= n; ++j)
                at(i, j) = 0;
        if (g != 0) {
            g = 1 / g;
            if (i != n) {
                const double pivot = ci[i];
                reflectColumns(U_, ldu_, l, n, ci, l, m, ci, i, [pivot, g](double sum) { return (sum / pivot) * g; });
            }
            for (int j = i; j <= m; ++j)
                ci[j] = ci[j] * g;
        } else {
            for (int j = i; j <= m; ++j)
                ci[j] = 0;
        }
        ci[i] = ci[i] + 1;
    }
}

void Decomposition::diagonalise(double nb) {
    const NegligibilityTest negligible(nb);
    // After the last allowed pass a value is left as it stands.
    for (int k = n_; k >= 1; --k)
        for (int pass = 1; pass <= kPassesPerValue; ++pass)
            if (qrPass(k, negligible))
                break;
}

bool Decomposition::qrPass(int k, const NegligibilityTest& negligible) {
    const int m = m_, n = n_;
    double* const w = w_;
    double* const e = e_;
    bool cancel = false;
    int nm = 0;
    int l = k;
    for (; l >= 1; --l) {
        nm = l - 1;
        if (negligible(e[l]))
            break;
        if (negligible(w[nm])) {
            cancel = true;
            break;
        }
    }
    double s = 0, f = 0, g = 0, h = 0;
    if (cancel) {
        double c = 0;
        s = 1;
        for (int i = l; i <= k; ++i) {
            f = s * e[i];
            e[i] = c * e[i];
            if (negligible(f))
                break;
            g = w[i];
            h = hypotenuse(f, g);
            w[i] = h;
            h = 1 / h;
            c = g * h;
            s = -f * h;
            rotate(col(nm), col(i), m, c, s);
        }
    }
    double z = w[k];
    if (l == k) {
        if (z < 0) {
            w[k] = -z;
            double* const vk = vcol(k);
            for (int j = 1; j <= n; ++j)
                vk[j] = -vk[j];
        }
        return true;
    }
    double d = w[l];
    nm = k - 1;
    double y = w[nm];
    g = e[nm];
    h = e[k];
    f = ((y - z) * (y + z) + (g - h) * (g + h)) / ((2 * h) * y);
    g = hypotenuse(f, 1);
    f = ((d - z) * (d + z) + h * (y / (f + transferSign(g, f)) - h)) / d;
    double c = 1;
    s = 1;
    for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = hypotenuse(f, h);
        e[j] = z;
        c = f / z;
        s = h / z;
        f = d * c + g * s;
        g = -d * s + g * c;
        h = y * s;
        y = y * c;
        rotate(vcol(j), vcol(i), n, c, s);
        z = hypotenuse(f, h);
        w[j] = z;
        if (z != 0) {
            z = 1 / z;
            c = f * z;
            s = h * z;
        }
        f = c * g + s * y;
        d = -s * g + c * y;
        rotate(col(j), col(i), m, c, s);
    }
    e[l] = 0;
    e[k] = f;
    w[k] = d;
    return false;
}

bool Decomposition::backSubstitute(Vector& x) {
    const int m = m_, n = n_;
    const double* const w = w_;
    double* const t = t_;
    double wmax = std::fabs(w[1]);
    for (int i = 2; i <= n; ++i)
        if (std::fabs(w[i]) > wmax)
            wmax = std::fabs(w[i]);
    const double tol = static_cast<double>(static_cast<long double>(n) * wmax * 5e-16L);

    x.assign(ldv_, 0.0);
    const double* const b = col(n + 1);
    int i = 1;
    for (; i + 3 <= n; i += 4) { // four columns' sums side by side, each in ascending order
        const double* const c0 = col(i);
        const double* const c1 = col(i + 1);
        const double* const c2 = col(i + 2);
        const double* const c3 = col(i + 3);
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (int j = 1; j <= m; ++j) {
            const double bj = b[j];
            s0 += c0[j] * bj;
            s1 += c1[j] * bj;
            s2 += c2[j] * bj;
            s3 += c3[j] * bj;
        }
        x[static_cast<std::size_t>(i)] = s0;
        x[static_cast<std::size_t>(i) + 1] = s1;
        x[static_cast<std::size_t>(i) + 2] = s2;
        x[static_cast<std::size_t>(i) + 3] = s3;
    }
    for (; i <= n; ++i) {
        const double* const ci = col(i);
        double sum = 0;
        for (int j = 1; j <= m; ++j)
            sum += ci[j] * b[j];
        x[static_cast<std::size_t>(i)] = sum;
    }
    // t[r] = Σⱼ (V(r, j) / w[j]) · x[j] over the kept j in ascending order,
    // the rows' sums running side by side down the columns of V.
    bool flag = true;
    for (int r = 1; r <= n; ++r)
        t[r] = 0;
    for (int j = 1; j <= n; ++j) {
        if (std::fabs(w[j]) > tol) {
            const double wj = w[j];
            const double xj = x[static_cast<std::size_t>(j)];
            const double* const vj = vcol(j);
            for (int r = 1; r <= n; ++r)
                t[r] += (vj[r] / wj) * xj;
        } else {
            flag = false;
        }
    }
    for (int r = 1; r <= n; ++r)
        x[static_cast<std::size_t>(r)] = t[r];
    return flag;
}

} // namespace

bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x, Vector* singularValues) {
    if (n <= 0) {
        x.assign(1, 0.0);
        if (singularValues)
            singularValues->assign(1, 0.0);
        return true;
    }
    Decomposition svd(A, std::max(m, 0), n);
    const double nb = svd.bidiagonalise();
    svd.accumulateRight();
    svd.accumulateLeft();
    svd.diagonalise(nb);
    const bool allKept = svd.backSubstitute(x);
    if (singularValues)
        svd.singularValues(*singularValues);
    return allKept;
}

} // namespace solvane
