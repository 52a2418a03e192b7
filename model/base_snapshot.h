// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tables the working solution is computed from, read once from the file
// as plain records, and what the calculator would open on: the remembered
// crop, its target rows, the composition, the water chosen, a saved solution
// of the crop. Nothing is written and no data set is involved.

#include "model/solution_inputs.h"

#include <optional>

namespace solvane {

class Connection;

struct BaseSnapshot {
    SolutionInputs common; // the directories and the options; no rows, no lines, no water
    std::vector<CropRecord> crops;
    std::vector<TargetRecord> targets; // of every crop
    std::vector<LineRecord> composition;
    std::vector<SolutionRecord> solutions;
    std::vector<SavedLineRecord> savedLines;
    std::vector<WaterProfileRecord> waterProfiles;
    std::vector<WaterElementRecord> waterElements;
};

BaseSnapshot ReadBaseSnapshot(Connection& connection);

// The crop the calculator opens on: the remembered one (t_opt.id_kult_last),
// or else the first; none when there is no crop.
std::optional<CropRecord> OpeningCrop(const BaseSnapshot& snapshot);

// The water profile counted: the chosen one while it is there, else none.
std::optional<long long> CountedWater(const BaseSnapshot& snapshot);

// The inputs of the crop's working solution: its target rows, the
// composition, the counted water, the options, at full strength.
SolutionInputs InputsFor(const BaseSnapshot& snapshot, long long crop);

// The crop's saved solutions of this name.
std::vector<SolutionRecord> SolutionsNamed(const BaseSnapshot& snapshot, long long crop, const QString& name);
// A saved solution's lines, as lines of a solution.
std::vector<LineRecord> SavedLinesOf(const BaseSnapshot& snapshot, long long solution);

} // namespace solvane
