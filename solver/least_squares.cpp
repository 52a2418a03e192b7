#include "solver/least_squares.h"

#include <algorithm>
#include <cmath>

namespace solvane {

double TransferSign(double a, double b) {
    return b >= 0 ? std::fabs(a) : -std::fabs(a);
}

double Larger(double a, double b) {
    return a > b ? a : b;
}

double Hypotenuse(double a, double b) {
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

namespace {

// A value is negligible beside the norm bound when adding it changes nothing
// at a 64-bit significand.
bool negligible(double u, double nb) {
    const long double bound = nb;
    return AbsExtended(u) + bound == bound;
}

// Rotates columns p and q of the rows 1..count of a matrix.
void rotate(Matrix& mat, int count, int p, int q, double c, double s) {
    for (int r = 1; r <= count; ++r) {
        Vector& row = mat[static_cast<size_t>(r)];
        const double y = row[static_cast<size_t>(p)];
        const double z = row[static_cast<size_t>(q)];
        row[static_cast<size_t>(p)] = y * c + z * s;
        row[static_cast<size_t>(q)] = -y * s + z * c;
    }
}

constexpr int kPassesPerValue = 30;

} // namespace

bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x) {
    return SolveLeastSquares(A, m, n, x, nullptr);
}

bool SolveLeastSquares(const Matrix& A, int m, int n, Vector& x, Vector* singularValues) {
    if (n <= 0) {
        x.assign(1, 0.0);
        if (singularValues)
            singularValues->assign(1, 0.0);
        return true;
    }
    m = std::max(m, 0);
    // Working storage: released on every exit by the containers themselves.
    Matrix a = CopyMatrix(A);
    const auto N = static_cast<size_t>(n);
    Vector w(N + 1, 0.0);
    Vector e(N + 1, 0.0);
    Matrix V(N + 1, Vector(N + 1, 0.0));
    auto at = [&a](int row, int col) -> double& { return a[static_cast<size_t>(row)][static_cast<size_t>(col)]; };
    auto v = [&V](int row, int col) -> double& { return V[static_cast<size_t>(row)][static_cast<size_t>(col)]; };
    auto W = [&w](int i) -> double& { return w[static_cast<size_t>(i)]; };
    auto E = [&e](int i) -> double& { return e[static_cast<size_t>(i)]; };

    double nb = 0, g = 0, scale = 0, s = 0, f = 0, h = 0;
    int l = 0;

    // Householder reduction to upper bidiagonal form.
    for (int i = 1; i <= n; ++i) {
        l = i + 1;
        E(i) = scale * g;
        g = 0;
        s = 0;
        scale = 0;
        if (i <= m) {
            for (int k = i; k <= m; ++k)
                scale += std::fabs(at(k, i));
            if (scale != 0) {
                for (int k = i; k <= m; ++k) {
                    at(k, i) = at(k, i) / scale;
                    s += at(k, i) * at(k, i);
                }
                f = at(i, i);
                g = -TransferSign(std::sqrt(s), f);
                h = f * g - s;
                at(i, i) = f - g;
                if (i != n) {
                    for (int j = l; j <= n; ++j) {
                        s = 0;
                        for (int k = i; k <= m; ++k)
                            s += at(k, i) * at(k, j);
                        f = s / h;
                        for (int k = i; k <= m; ++k)
                            at(k, j) = at(k, j) + f * at(k, i);
                    }
                }
                for (int k = i; k <= m; ++k)
                    at(k, i) = scale * at(k, i);
            }
        }
        W(i) = scale * g;
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
                g = -TransferSign(std::sqrt(s), f);
                h = f * g - s;
                at(i, l) = f - g;
                for (int k = l; k <= n; ++k)
                    E(k) = at(i, k) / h;
                if (i != m) {
                    for (int j = l; j <= m; ++j) {
                        s = 0;
                        for (int k = l; k <= n; ++k)
                            s += at(j, k) * at(i, k);
                        for (int k = l; k <= n; ++k)
                            at(j, k) = at(j, k) + s * E(k);
                    }
                }
                for (int k = l; k <= n; ++k)
                    at(i, k) = scale * at(i, k);
            }
        }
        nb = Larger(nb, std::fabs(W(i)) + std::fabs(E(i)));
    }

    // Right-hand transformations accumulated into V.
    l = n + 1;
    for (int i = n; i >= 1; --i) {
        if (i < n) {
            if (g != 0) {
                for (int j = l; j <= n; ++j)
                    v(j, i) = (at(i, j) / at(i, l)) / g;
                for (int j = l; j <= n; ++j) {
                    s = 0;
                    for (int k = l; k <= n; ++k)
                        s += at(i, k) * v(k, j);
                    for (int k = l; k <= n; ++k)
                        v(k, j) = v(k, j) + s * v(k, i);
                }
            }
            for (int j = l; j <= n; ++j) {
                v(i, j) = 0;
                v(j, i) = 0;
            }
        }
        v(i, i) = 1;
        g = E(i);
        l = i;
    }

    // Left-hand transformations, in place: a becomes U.
    for (int i = std::min(m, n); i >= 1; --i) {
        l = i + 1;
        g = W(i);
        if (i < n)
            for (int j = l; j <= n; ++j)
                at(i, j) = 0;
        if (g != 0) {
            g = 1 / g;
            if (i != n) {
                for (int j = l; j <= n; ++j) {
                    s = 0;
                    for (int k = l; k <= m; ++k)
                        s += at(k, i) * at(k, j);
                    f = (s / at(i, i)) * g;
                    for (int k = i; k <= m; ++k)
                        at(k, j) = at(k, j) + f * at(k, i);
                }
            }
            for (int j = i; j <= m; ++j)
                at(j, i) = at(j, i) * g;
        } else {
            for (int j = i; j <= m; ++j)
                at(j, i) = 0;
        }
        at(i, i) = at(i, i) + 1;
    }

    // Diagonalisation of the bidiagonal form by implicitly shifted QR.
    for (int k = n; k >= 1; --k) {
        for (int pass = 1; pass <= kPassesPerValue; ++pass) {
            bool cancel = false;
            int nm = 0;
            for (l = k; l >= 1; --l) {
                nm = l - 1;
                if (negligible(E(l), nb))
                    break;
                if (negligible(W(nm), nb)) {
                    cancel = true;
                    break;
                }
            }
            if (cancel) {
                double c = 0;
                s = 1;
                for (int i = l; i <= k; ++i) {
                    f = s * E(i);
                    E(i) = c * E(i);
                    if (negligible(f, nb))
                        break;
                    g = W(i);
                    h = Hypotenuse(f, g);
                    W(i) = h;
                    h = 1 / h;
                    c = g * h;
                    s = -f * h;
                    rotate(a, m, nm, i, c, s);
                }
            }
            double z = W(k);
            if (l == k) {
                if (z < 0) {
                    W(k) = -z;
                    for (int j = 1; j <= n; ++j)
                        v(j, k) = -v(j, k);
                }
                break;
            }
            double d = W(l);
            nm = k - 1;
            double y = W(nm);
            g = E(nm);
            h = E(k);
            f = ((y - z) * (y + z) + (g - h) * (g + h)) / ((2 * h) * y);
            g = Hypotenuse(f, 1);
            f = ((d - z) * (d + z) + h * (y / (f + TransferSign(g, f)) - h)) / d;
            double c = 1;
            s = 1;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = E(i);
                y = W(i);
                h = s * g;
                g = c * g;
                z = Hypotenuse(f, h);
                E(j) = z;
                c = f / z;
                s = h / z;
                f = d * c + g * s;
                g = -d * s + g * c;
                h = y * s;
                y = y * c;
                rotate(V, n, j, i, c, s);
                z = Hypotenuse(f, h);
                W(j) = z;
                if (z != 0) {
                    z = 1 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                d = -s * g + c * y;
                rotate(a, m, j, i, c, s);
            }
            E(l) = 0;
            E(k) = f;
            W(k) = d;
            // After the last allowed pass the value is left as it stands.
        }
    }

    // Tolerance and solution: x = V · diag(1/w) · Uᵀ · b over the kept values.
    double wmax = std::fabs(W(1));
    for (int i = 2; i <= n; ++i)
        if (std::fabs(W(i)) > wmax)
            wmax = std::fabs(W(i));
    const double tol = static_cast<double>(static_cast<long double>(n) * wmax * 5e-16L);

    x.assign(N + 1, 0.0);
    for (int i = 1; i <= n; ++i) {
        double sum = 0;
        for (int j = 1; j <= m; ++j)
            sum += at(j, i) * at(j, n + 1);
        x[static_cast<size_t>(i)] = sum;
    }
    bool flag = true;
    for (int j = 1; j <= n; ++j) {
        if (std::fabs(W(j)) > tol) {
            for (int r = 1; r <= n; ++r)
                v(r, j) = v(r, j) / W(j);
        } else {
            flag = false;
        }
    }
    Vector t(N + 1, 0.0);
    for (int r = 1; r <= n; ++r) {
        double sum = 0;
        for (int j = 1; j <= n; ++j)
            if (std::fabs(W(j)) > tol)
                sum += v(r, j) * x[static_cast<size_t>(j)];
        t[static_cast<size_t>(r)] = sum;
    }
    for (int r = 1; r <= n; ++r)
        x[static_cast<size_t>(r)] = t[static_cast<size_t>(r)];
    if (singularValues)
        *singularValues = w;
    return flag;
}

} // namespace solvane
