// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/solution_analysis.h"

#include "core/deletion_messages.h"
#include "core/number_text.h"
#include "core/rounding.h"

#include <algorithm>

namespace solvane {

namespace {

constexpr double kMarkedDeviation = 10.0; // percent

// Equivalent masses in mg per mg-equivalent: the cations as K+, Ca2+ and
// Mg2+, the anions with nitrogen as nitrate, phosphorus as H2PO4- and sulfur
// as SO4 2-.
constexpr double kPotassium = 39.098;
constexpr double kCalcium = 20.039;
constexpr double kMagnesium = 12.1525;
constexpr double kNitrogen = 14.007;
constexpr double kPhosphorus = 30.974;
constexpr double kSulfur = 16.03;

constexpr long long kKeyElements = 6;

// How far, in %, a row's shown deviation may go before it is marked: its own
// tolerance (empty or not above 0: the default) when the fit judges by it.
double RowBound(const TargetRow& target, const FitJudgement& fit) {
    if (!fit.ownTolerances || !target.tolerance || !(*target.tolerance > 0.0))
        return kMarkedDeviation;
    return *target.tolerance;
}

} // namespace

SolutionAnalysis AnalyseSolution(const std::vector<TargetRow>& targets, const std::vector<SolutionLine>& lines,
                                 bool compositionShown, bool singularValueLeftOut, const FitJudgement& fit) {
    SolutionAnalysis result;
    result.rows.reserve(targets.size());

    // rachet of the key elements 1..6 by key; the first row of an element counts.
    double key[kKeyElements + 1] = {};
    bool seen[kKeyElements + 1] = {};

    for (const SolutionLine& line : lines)
        if (line.deleted)
            result.warnings.append(LeftOutLineWarning(line.fertilizer));
        else if (compositionShown)
            AppendAmountWarning(line, result.warnings);

    for (const TargetRow& target : targets) {
        const double rachet = target.rachet.value_or(0.0);
        const double vega = target.vega.value_or(0.0);
        AnalysisRow row;
        if (vega != 0.0) {
            row.deviation = RoundToDecimalsSymmetric((rachet - vega) / vega * 100.0, 1);
            const double bound = RowBound(target, fit);
            row.outOfRange = *row.deviation > bound || *row.deviation < -bound;
        }
        result.rows.push_back(row);

        if (target.element >= 1 && target.element <= kKeyElements && !seen[target.element]) {
            seen[target.element] = true;
            key[target.element] = rachet;
        }
        if (vega > 0.0 && rachet == 0.0) {
            // A fertilizer that has the element but came out at 0 g/l is not
            // the same as none having it: the first is cured by the amounts.
            const bool supplied = std::any_of(lines.begin(), lines.end(), [&target](const SolutionLine& line) {
                return HasElement(line, target.element);
            });
            result.warnings.append(Quoted(target.shortName) +
                                   (supplied ? QStringLiteral(": удобрение с этим элементом получилось 0 г/л")
                                             : QStringLiteral(": ни одно удобрение раствора не даёт этот элемент")));
        }
    }

    if (!fit.message.isEmpty())
        result.warnings.append(fit.message);
    if (fit.namesRowsBeyond)
        for (size_t i = 0; i < targets.size(); ++i) {
            const TargetRow& target = targets[i];
            const bool fitted = target.vega.value_or(0.0) > 0.0 && target.weight.value_or(1.0) > 0.0;
            if (fitted && result.rows[i].outOfRange)
                result.warnings.append(Quoted(target.shortName) + QStringLiteral(": вне пределов ±") +
                                       FormatNumber(RowBound(target, fit)) +
                                       QStringLiteral(" % — удобрения раствора не дают нужного соотношения"));
        }

    result.cations = key[KeyElement::Potassium] / kPotassium + key[KeyElement::Calcium] / kCalcium +
                     key[KeyElement::Magnesium] / kMagnesium;
    result.anions = key[KeyElement::Nitrogen] / kNitrogen + key[KeyElement::Phosphorus] / kPhosphorus +
                    key[KeyElement::Sulfur] / kSulfur;
    result.cationsShown = RoundToDecimalsSymmetric(result.cations, 2);
    result.anionsShown = RoundToDecimalsSymmetric(result.anions, 2);
    result.conductivity = RoundToDecimalsSymmetric((result.cations + result.anions) / 20.0, 2);

    if (singularValueLeftOut)
        result.warnings.append(
            QStringLiteral("Удобрения раствора не позволяют подобрать все элементы независимо друг от друга"));
    return result;
}

} // namespace solvane
