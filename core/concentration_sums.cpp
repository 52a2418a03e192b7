// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/concentration_sums.h"

#include "core/rounding.h"

#include <cstddef>
#include <map>

namespace solvane {

std::unordered_map<long long, double> WaterWithFormTotals(const std::unordered_map<long long, double>& water,
                                                          const std::unordered_map<long long, long long>& totalOf) {
    std::map<long long, double> forms; // in key order
    for (const auto& [element, amount] : water)
        if (const auto total = totalOf.find(element);
            total != totalOf.end() && total->second != 0 && total->second != element)
            forms.emplace(element, amount);
    std::unordered_map<long long, double> result = water;
    for (const auto& [form, amount] : forms) {
        double& sum = result[totalOf.at(form)];
        sum = sum + amount;
    }
    return result;
}

std::vector<double> ConcentrationsOf(const std::vector<long long>& targetElements,
                                     const std::vector<ConcentrationLine>& lines,
                                     const std::unordered_map<long long, double>& water) {
    std::vector<double> sums(targetElements.size(), 0.0);
    for (const ConcentrationLine& line : lines)
        for (const ContentRow& row : line.content) {
            const double share = (row.percent * 10.0) * line.grams;
            for (std::size_t t = 0; t < targetElements.size(); ++t) {
                // The direct match first (a form of the target's element
                // counts as the element, with factor 1); an oxide counts
                // toward the element it yields only where it is not itself
                // the target.
                if (row.element == targetElements[t] || IsFormOf(row, targetElements[t]))
                    sums[t] = share + sums[t];
                else if (row.yields == targetElements[t])
                    sums[t] = share * row.coefficient + sums[t];
            }
        }
    for (std::size_t t = 0; t < targetElements.size(); ++t) {
        if (const auto w = water.find(targetElements[t]); w != water.end())
            sums[t] = sums[t] + w->second;
        sums[t] = RoundToDecimals(sums[t], 4);
    }
    return sums;
}

} // namespace solvane
