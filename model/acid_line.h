// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The acid that neutralises the counted water's bicarbonate: the acid the
// options choose, its dose for the water, and its line, which the program
// adds to the solution's lines (fixed at the dose, never stored in the
// composition) while the water's HCO3 counts only down to its residue.

#include "core/acid_dose.h"
#include "model/solution_inputs.h"

#include <QString>
#include <optional>

namespace solvane {

// The residue a water keeps when its profile gives none, mg/l of HCO3 (0.5 mmol/l).
inline constexpr double kDefaultBicarbonateLeft = 30.5;

struct AcidChoice {
    // The chosen acid's fertilizer; none without a choice, under the classic
    // fit (which knows no fixed amounts), or when the acid is no longer in
    // the directory.
    const FertilizerRecord* fertilizer = nullptr;
    double protonsPerGram = 0.0; // mmol of H⁺ a gram gives
    double residue = kDefaultBicarbonateLeft;
    AcidDose dose;
};

// mmol of H⁺ a gram of the fertilizer gives, from its content rows by their ions.
double AcidityOf(const SolutionInputs& inputs, long long fertilizer);

// The acid the inputs' options choose and its dose for the counted water.
AcidChoice ChosenAcid(const SolutionInputs& inputs);

// The inputs with the chosen acid applied: its line appended last (derived,
// Мин = Макс = the dose), the water's HCO3 brought down to the residue, and
// acidLabel set to the dose or why it is 0 (empty without an acid). Nothing
// else changes without an acid that gives acidity.
void ApplyAcid(SolutionInputs& inputs);

} // namespace solvane
