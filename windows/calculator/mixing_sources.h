// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the mixing tools read: the lines of the working composition or of the
// current saved solution with each fertilizer's content in element terms (the
// calculator gives them from its model), and, from the program's data sets,
// the elements that are iron and the current crop's target rows. Nothing is
// moved: no cursor, filter or current record of any set changes, so the
// windows can read them after every action.

#include "core/contribution.h"
#include "core/solution_analysis.h"
#include "core/solution_lines.h"
#include "model/working_solution.h"

#include <QVariant>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace solvane {

class Database;

// The keys of the elements whose short name is iron's.
std::vector<long long> IronElements(Database& data);
// The current crop's target rows, in the concentration grid's order.
std::vector<TargetRow> CurrentTargets(Database& data);
// The fertilizers that are liquids (a density): their lines have ml to show.
std::unordered_set<long long> LiquidFertilizers(const SolutionInputs& in);
// Whether any of the lines is of one of those fertilizers.
bool AnyLiquid(const std::unordered_set<long long>& liquids, const std::vector<LineRecord>& lines);

} // namespace solvane
