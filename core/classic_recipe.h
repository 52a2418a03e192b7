// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The classic recipe over plain values: the least-squares fit of the
// composition's amounts to the targets, through the singular value
// decomposition, as the program always made it.

#include "core/solution_lines.h"
#include "solver/matrix.h"

#include <vector>

namespace solvane {

struct ClassicRecipe {
    // The system in the solver's convention, indices from 1: row j is target
    // row j, column i composition line i; an entry is the line's content of
    // the row's element in element terms, the last content row that counts
    // toward it winning (contents are not added up); column n + 1 holds the
    // targets.
    Matrix matrix;
    Vector solution;                   // ten times the amounts in g/l, from index 1
    std::vector<double> amounts;       // g/l: the solution rounded to 2 places, divided by 10
    bool singularValueLeftOut = false; // the fertilizers cannot reach every target independently
};

// targetElements and targets: the target rows' elements and what the
// fertilizers are to bring (vega, less what a counted water brings);
// lines: each composition line's content in element terms, in the content
// set's order. An empty id or value counts as 0.
ClassicRecipe FitClassicRecipe(const std::vector<long long>& targetElements, const std::vector<double>& targets,
                               const std::vector<std::vector<ElementShare>>& lines);

} // namespace solvane
