// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/classic_recipe.h"

#include "core/rounding.h"
#include "solver/least_squares.h"

namespace solvane {

ClassicRecipe FitClassicRecipe(const std::vector<long long>& targetElements, const std::vector<double>& targets,
                               const std::vector<std::vector<ElementShare>>& lines) {
    const int m = static_cast<int>(targetElements.size());
    const int n = static_cast<int>(lines.size());
    ClassicRecipe recipe;
    recipe.matrix.assign(static_cast<size_t>(m) + 1, Vector(static_cast<size_t>(n) + 2, 0.0));
    recipe.solution.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int j = 1; j <= m; ++j) {
        Vector& row = recipe.matrix[static_cast<size_t>(j)];
        for (int i = 1; i <= n; ++i)
            row[static_cast<size_t>(i)] =
                ElementPercent(lines[static_cast<size_t>(i) - 1], targetElements[static_cast<size_t>(j) - 1]);
        row[static_cast<size_t>(n) + 1] = targets[static_cast<size_t>(j) - 1];
    }
    recipe.singularValueLeftOut = !SolveLeastSquares(recipe.matrix, m, n, recipe.solution);
    // 1 g/l of a p % content gives 10 p mg/l: the solution is ten times the
    // amount, which moves in steps of 0.001 g/l.
    recipe.amounts.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i)
        recipe.amounts.push_back(RoundToDecimals(recipe.solution[static_cast<size_t>(i)], 2) / 10.0);
    return recipe;
}

} // namespace solvane
