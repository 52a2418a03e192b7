// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The acid that neutralises the water's bicarbonate down to a residue: how
// much acidity a gram of the acid gives, how many grams per litre the water
// needs, and the line that tells the grower.

#include "core/contribution.h"
#include "core/ions.h"

#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

namespace solvane {

// The mass of a mmol of HCO3⁻, mg.
inline constexpr double kBicarbonateMass = 61.017;

// mmol of H⁺ that one gram of a fertilizer gives, from its content rows
// counted by their ions as the ion sums count them: 1 per mmol of nitrate
// nitrogen (a nitric acid's plain N is nitrate), 1 per mmol of phosphorus
// (only the first proton of phosphoric acid leaves at the tank's pH), 2 per
// mmol of sulfur. Ammonium, potassium and the rest give none.
double ProtonsPerGram(const std::vector<ContentRow>& content, const std::unordered_map<long long, Ion>& ionOfElement);

struct AcidDose {
    enum class State {
        Dosed,           // the water has bicarbonate above the residue
        NoBicarbonate,   // the water has none
        NotAboveResidue, // it has no more than the residue
    };
    State state = State::NoBicarbonate;
    double gramsPerLitre = 0.0;
};

// a = (HCO3 − residue) / 61.017 / protonsPerGram g/l, for a water with
// bicarbonate mg/l of HCO3⁻ (empty: none) and an acid that gives protonsPerGram
// (above 0: an acid that gives none is refused before it is chosen).
AcidDose DoseAcid(std::optional<double> bicarbonate, double residue, double protonsPerGram);

// The line under "Кислота:": "0,1926 мл/л (19,26 мл на 100 л) — остаток HCO3
// 30,5 мг/л" for a liquid (a density), in г for a solid, or the reason the
// dose is 0.
QString AcidDoseText(const AcidDose& dose, std::optional<double> density, double residue);

} // namespace solvane
