// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/acid_line.h"

#include "model/solution_calculation.h"

namespace solvane {

namespace {

// The HCO3 the counted water brings, mg/l of the ion: every element whose ion
// is bicarbonate; none when it has none.
std::optional<double> WaterBicarbonate(const SolutionInputs& inputs, const std::unordered_map<long long, Ion>& ions) {
    std::optional<double> sum;
    for (const auto& [element, amount] : inputs.sourceWater)
        if (const auto ion = ions.find(element); ion != ions.end() && ion->second == Ion::Bicarbonate)
            sum = sum.value_or(0.0) + amount;
    return sum;
}

} // namespace

double AcidityOf(const SolutionInputs& inputs, long long fertilizer) {
    const Directories directories(inputs);
    const auto content = directories.calculationContent({fertilizer});
    const auto found = content.find(fertilizer);
    return found == content.end() ? 0.0 : ProtonsPerGram(found->second, IonsOf(inputs.elements));
}

AcidChoice ChosenAcid(const SolutionInputs& inputs) {
    AcidChoice acid;
    const QVariant chosen = inputs.options.acid;
    if (chosen.isNull() || FitModeOf(inputs.options.fitMode) == kClassicFit)
        return acid;
    const Directories directories(inputs);
    acid.fertilizer = directories.fertilizer(chosen.toLongLong());
    if (!acid.fertilizer)
        return acid;
    acid.protonsPerGram = AcidityOf(inputs, acid.fertilizer->key);
    acid.residue = inputs.bicarbonateLeft.value_or(kDefaultBicarbonateLeft);
    acid.dose = DoseAcid(WaterBicarbonate(inputs, IonsOf(inputs.elements)), acid.residue, acid.protonsPerGram);
    return acid;
}

namespace {

QString AcidLabel(const AcidChoice& acid) {
    if (!acid.fertilizer)
        return {};
    if (!(acid.protonsPerGram > 0.0))
        return QStringLiteral("«") + acid.fertilizer->name +
               QStringLiteral("» не даёт кислотности: в нём нет N, P или S");
    return AcidDoseText(acid.dose, acid.fertilizer->density, acid.residue);
}

} // namespace

void ApplyAcid(SolutionInputs& inputs) {
    const AcidChoice acid = ChosenAcid(inputs);
    inputs.acidLabel = AcidLabel(acid);
    if (!acid.fertilizer || !(acid.protonsPerGram > 0.0))
        return;
    const double grams = acid.dose.gramsPerLitre;
    LineRecord line{0, acid.fertilizer->key, grams, grams, grams};
    line.derived = true;
    inputs.lines.push_back(line);
    if (acid.dose.state != AcidDose::State::Dosed)
        return;
    // The acid turns all but the residue into carbon dioxide, which leaves
    // the solution: the water counts with its HCO3 scaled down to the residue.
    const auto ions = IonsOf(inputs.elements);
    const double factor = acid.residue / *WaterBicarbonate(inputs, ions);
    for (auto* water : {&inputs.water, &inputs.sourceWater})
        for (auto& [element, amount] : *water)
            if (const auto ion = ions.find(element); ion != ions.end() && ion->second == Ion::Bicarbonate)
                amount *= factor;
}

} // namespace solvane
