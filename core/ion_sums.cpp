// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ion_sums.h"

namespace solvane {

IonSums IonSumsOf(const std::vector<ConcentrationLine>& lines, const std::unordered_map<long long, double>& water,
                  const std::unordered_map<long long, Ion>& ionOfElement) {
    IonSums sums;
    for (const ConcentrationLine& line : lines)
        for (const ContentRow& row : line.content) {
            const double share = (row.percent * 10.0) * line.grams;
            if (const auto own = ionOfElement.find(row.element); own != ionOfElement.end())
                sums.mgPerLitre[IonIndex(own->second)] += share;
            else if (const auto yielded = ionOfElement.find(row.yields); yielded != ionOfElement.end())
                sums.mgPerLitre[IonIndex(yielded->second)] += share * row.coefficient;
        }
    for (const auto& [element, mgPerLitre] : water)
        if (const auto own = ionOfElement.find(element); own != ionOfElement.end())
            sums.mgPerLitre[IonIndex(own->second)] += mgPerLitre;

    for (std::size_t i = 0; i < kIonCount; ++i) {
        const Ion ion = static_cast<Ion>(i);
        sums.mmolPerLitre[i] = sums.mgPerLitre[i] / InfoOf(ion).mass;
        (InfoOf(ion).charge > 0 ? sums.cations : sums.anions) += Milliequivalents(ion, sums.mmolPerLitre[i]);
    }
    return sums;
}

} // namespace solvane
