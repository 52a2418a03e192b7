// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ion_report.h"

#include "core/number_text.h"
#include "core/rounding.h"

#include <algorithm>
#include <cmath>

namespace solvane {

namespace {

double Meq(const IonSums& sums, Ion ion) {
    return Milliequivalents(ion, sums.mmolPerLitre[IonIndex(ion)]);
}

QString PercentText(double percent) {
    return FormatNumber(RoundToDecimalsSymmetric(percent, 1));
}

} // namespace

IonReport ReportIons(const IonReportInputs& inputs) {
    const IonSums& sums = inputs.sums;
    IonReport report;
    const double larger = std::max(sums.cations, sums.anions);
    if (larger > 0.0)
        report.balancePercent = std::fabs(sums.cations - sums.anions) / larger * 100.0;

    const double ammoniumN = sums.mgPerLitre[IonIndex(Ion::Ammonium)];
    const double allN = sums.mgPerLitre[IonIndex(Ion::Nitrate)] + ammoniumN + inputs.unchargedNitrogen;
    if (allN > 0.0)
        report.ammoniumShare = ammoniumN / allN * 100.0;

    report.potassium = Meq(sums, Ion::Potassium);
    report.calcium = Meq(sums, Ion::Calcium);
    report.magnesium = Meq(sums, Ion::Magnesium);
    report.nitrate = Meq(sums, Ion::Nitrate);
    report.ammonium = Meq(sums, Ion::Ammonium);

    if (report.ammoniumShare && *report.ammoniumShare > kAmmoniumShareLimit)
        report.warnings.append(QStringLiteral("Аммонийный азот ") + PercentText(*report.ammoniumShare) +
                               QStringLiteral(" % от N — больше 15 %"));
    if (!inputs.plainNitrogen.isEmpty())
        report.warnings.append(QStringLiteral("Форма азота не указана для: ") +
                               inputs.plainNitrogen.join(QStringLiteral(", ")));
    if (report.balancePercent > kIonBalanceLimit)
        report.warnings.append(QStringLiteral("Баланс ионов расходится на ") + PercentText(report.balancePercent) +
                               QStringLiteral(" %"));
    if (inputs.unneutralisedBicarbonate && *inputs.unneutralisedBicarbonate > kBicarbonateWarning)
        report.warnings.append(QStringLiteral("HCO3 в воде ") +
                               FormatNumber(RoundToDecimalsSymmetric(*inputs.unneutralisedBicarbonate, 1)) +
                               QStringLiteral(" мг/л не нейтрализован — pH раствора поднимется"));
    return report;
}

IonReportInputs IonInputsOf(const std::vector<SolutionLine>& lines, const std::unordered_map<long long, double>& water,
                            const std::unordered_map<long long, Ion>& ionOfElement,
                            const std::unordered_map<long long, long long>& totalOf) {
    IonReportInputs inputs;
    const auto unchargedNitrogen = [&](long long element) {
        const auto total = totalOf.find(element);
        return total != totalOf.end() && total->second == KeyElement::Nitrogen && element != KeyElement::Nitrogen &&
               !ionOfElement.count(element);
    };
    std::vector<ConcentrationLine> counted;
    for (const SolutionLine& line : lines) {
        if (line.deleted || !(line.amount > 0.0))
            continue;
        ConcentrationLine& c = counted.emplace_back();
        c.grams = line.amount;
        bool plainN = false;
        for (const ElementShare& share : line.content) {
            c.content.push_back({share.element, 0, share.percent, 0.0, 0});
            if (unchargedNitrogen(share.element))
                inputs.unchargedNitrogen += share.percent * 10.0 * line.amount;
            plainN = plainN || (share.element == KeyElement::Nitrogen && share.percent > 0.0);
        }
        if (plainN && !inputs.plainNitrogen.contains(line.fertilizer))
            inputs.plainNitrogen.append(line.fertilizer);
    }
    for (const auto& [element, amount] : water) {
        if (unchargedNitrogen(element))
            inputs.unchargedNitrogen += amount;
        if (const auto ion = ionOfElement.find(element); ion != ionOfElement.end() && ion->second == Ion::Bicarbonate)
            inputs.unneutralisedBicarbonate = inputs.unneutralisedBicarbonate.value_or(0.0) + amount;
    }
    inputs.sums = IonSumsOf(counted, water, ionOfElement);
    return inputs;
}

} // namespace solvane
