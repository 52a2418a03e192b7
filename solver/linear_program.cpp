// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/linear_program.h"

#include <glpk.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <limits>
#include <utility>

namespace solvane {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// GLPK's primal and dual feasibility tolerances (its default is 1e-7). They
// apply to the program as GLPK scales it, and its values come from a basis
// factorisation updated at every pivot, so a row may end up to about 1e-10
// past its limit once the scaling is undone. The optimum is therefore polished:
// GLPK runs again from its final basis on the unscaled program with
// kPolishTolerance, which factorises that basis afresh and recomputes the
// values (mostly without a pivot); the rows then hold to about 1e-14.
constexpr double kTolerance = 1e-9;
constexpr double kPolishTolerance = 1e-11;

// The program as GLPK takes it, built before GLPK is called: limits with NaN
// as none, each row's nonzero entries as index (from 1) and value arrays with
// an unused element 0.
struct Loaded {
    int m = 0, n = 0;
    std::vector<double> cost, rowLower, rowUpper, columnLower, columnUpper;
    std::vector<std::vector<int>> index;
    std::vector<std::vector<double>> value;
};

int BoundType(double lower, double upper) {
    if (lower == -kInf)
        return upper == kInf ? GLP_FR : GLP_UP;
    if (upper == kInf)
        return GLP_LO;
    return lower == upper ? GLP_FX : GLP_DB;
}

// GLPK reports an error (a broken internal assertion, memory running out) by
// printing it, calling this hook and, should the hook return, ending the
// program. The hook jumps back into RunGlpk instead.
struct ErrorJump {
    std::jmp_buf buffer;
};

extern "C" void JumpOnGlpkError(void* info) {
    std::longjmp(static_cast<ErrorJump*>(info)->buffer, 1);
}

// Swallows whatever GLPK would print: its messages are off, but an error's
// text bypasses that switch.
extern "C" int SwallowGlpkOutput(void*, const char*) {
    return 1;
}

bool Decided(int status) {
    return status == GLP_OPT || status == GLP_NOFEAS || status == GLP_UNBND;
}

int Simplex(glp_prob* lp, const glp_smcp& parm) {
    return glp_simplex(lp, &parm) == 0 ? glp_get_status(lp) : GLP_UNDEF;
}

// The optimum's values, each x put back within its column limits (a basic
// value may stray past one by the solver's tolerance).
void ReadOptimum(glp_prob* lp, const Loaded& in, std::vector<double>& x, std::vector<double>& rowDual) {
    for (int i = 0; i < in.n; ++i)
        x[i] = std::clamp(glp_get_col_prim(lp, i + 1), in.columnLower[i], in.columnUpper[i]);
    for (int j = 0; j < in.m; ++j)
        rowDual[j] = glp_get_row_dual(lp, j + 1);
}

// The simplex method on the loaded program; x and rowDual, sized beforehand,
// receive the optimum. Between setjmp and a jump lie only GLPK's C frames and
// this function's trivial locals, so the jump skips no destructor; after one,
// all of GLPK's memory is freed and the run counts as failed.
int RunGlpk(const Loaded& in, std::vector<double>& x, std::vector<double>& rowDual) {
    ErrorJump jump;
    if (setjmp(jump.buffer) != 0) {
        glp_free_env();
        return GLP_UNDEF;
    }
    glp_error_hook(JumpOnGlpkError, &jump);
    glp_term_hook(SwallowGlpkOutput, nullptr);
    glp_term_out(GLP_OFF);

    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MIN);
    if (in.m > 0)
        glp_add_rows(lp, in.m);
    if (in.n > 0)
        glp_add_cols(lp, in.n);
    for (int j = 0; j < in.m; ++j) {
        const double lower = in.rowLower[j], upper = in.rowUpper[j];
        glp_set_row_bnds(lp, j + 1, BoundType(lower, upper), lower, upper);
        glp_set_mat_row(lp, j + 1, static_cast<int>(in.index[j].size()) - 1, in.index[j].data(), in.value[j].data());
    }
    for (int i = 0; i < in.n; ++i) {
        const double lower = in.columnLower[i], upper = in.columnUpper[i];
        glp_set_col_bnds(lp, i + 1, BoundType(lower, upper), lower, upper);
        glp_set_obj_coef(lp, i + 1, in.cost[i]);
    }

    // The dual simplex first: the fits' programs start dual feasible (every
    // column at its lower limit with a cost ≥ 0). Should it end undecided or
    // fail, the primal one from the standard basis. No time limit, so that
    // the outcome never depends on the machine's speed.
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_DUALP;
    parm.tol_bnd = kTolerance;
    parm.tol_dj = kTolerance;
    parm.it_lim = 100 * (in.m + in.n) + 1000;
    glp_scale_prob(lp, GLP_SF_AUTO);
    int status = Simplex(lp, parm);
    if (!Decided(status)) {
        glp_std_basis(lp);
        parm.meth = GLP_PRIMAL;
        status = Simplex(lp, parm);
    }
    if (status == GLP_OPT) {
        // Should the polishing run end otherwise, the first optimum stands.
        ReadOptimum(lp, in, x, rowDual);
        glp_unscale_prob(lp);
        parm.meth = GLP_PRIMAL;
        parm.tol_bnd = kPolishTolerance;
        parm.tol_dj = kPolishTolerance;
        if (Simplex(lp, parm) == GLP_OPT)
            ReadOptimum(lp, in, x, rowDual);
    }
    glp_delete_prob(lp);
    glp_error_hook(nullptr, nullptr);
    glp_term_hook(nullptr, nullptr);
    return status;
}

} // namespace

LinearProgramResult SolveLinearProgram(const LinearProgram& program) {
    LinearProgramResult result;
    Loaded in;
    const std::size_t n = program.cost.size(), m = program.rows.size();
    if (n > INT_MAX / 200 || m > INT_MAX / 200)
        return result;
    in.n = static_cast<int>(n);
    in.m = static_cast<int>(m);
    const auto limit = [](const std::vector<double>& limits, std::size_t k, double none, double missing) {
        const double v = k < limits.size() ? limits[k] : missing;
        return std::isnan(v) ? none : v;
    };
    bool infeasible = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(program.cost[i]))
            return result;
        in.cost.push_back(program.cost[i]);
        in.columnLower.push_back(limit(program.columnLower, i, -kInf, 0.0));
        in.columnUpper.push_back(limit(program.columnUpper, i, kInf, kInf));
        infeasible = infeasible || in.columnLower[i] > in.columnUpper[i] || in.columnLower[i] == kInf ||
                     in.columnUpper[i] == -kInf;
    }
    in.index.resize(m);
    in.value.resize(m);
    for (std::size_t j = 0; j < m; ++j) {
        in.rowLower.push_back(limit(program.rowLower, j, -kInf, -kInf));
        in.rowUpper.push_back(limit(program.rowUpper, j, kInf, kInf));
        infeasible = infeasible || in.rowLower[j] > in.rowUpper[j] || in.rowLower[j] == kInf || in.rowUpper[j] == -kInf;
        in.index[j].push_back(0);
        in.value[j].push_back(0.0);
        const std::vector<double>& row = program.rows[j];
        for (std::size_t i = 0; i < std::min(n, row.size()); ++i) {
            if (!std::isfinite(row[i]))
                return result;
            if (row[i] != 0.0) {
                in.index[j].push_back(static_cast<int>(i) + 1);
                in.value[j].push_back(row[i]);
            }
        }
    }
    if (infeasible) {
        result.status = LinearProgramStatus::Infeasible;
        return result;
    }

    std::vector<double> x(n, 0.0), rowDual(m, 0.0);
    switch (RunGlpk(in, x, rowDual)) {
    case GLP_OPT:
        break;
    case GLP_NOFEAS:
        result.status = LinearProgramStatus::Infeasible;
        return result;
    case GLP_UNBND:
        result.status = LinearProgramStatus::Unbounded;
        return result;
    default:
        return result;
    }

    long double objective = 0;
    for (std::size_t i = 0; i < n; ++i)
        objective += static_cast<long double>(in.cost[i]) * x[i];
    std::vector<long double> reduced(in.cost.begin(), in.cost.end());
    for (std::size_t j = 0; j < m; ++j)
        for (std::size_t k = 1; k < in.index[j].size(); ++k)
            reduced[static_cast<std::size_t>(in.index[j][k]) - 1] -=
                static_cast<long double>(in.value[j][k]) * rowDual[j];
    result.status = LinearProgramStatus::Optimal;
    result.x = std::move(x);
    result.rowDual = std::move(rowDual);
    result.reducedCost.assign(reduced.begin(), reduced.end());
    result.objective = static_cast<double>(objective);
    return result;
}

} // namespace solvane
