// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ions of a solution over plain values: what its lines and its water give
// each ion, and the sums of the cations and the anions.

#include "core/concentration_sums.h"
#include "core/ions.h"

#include <unordered_map>
#include <vector>

namespace solvane {

struct IonSums {
    IonValues mgPerLitre{};   // of the element the directory counts (N, P, S, ...)
    IonValues mmolPerLitre{}; // mg/l ÷ the ion's mass
    double cations = 0.0;     // meq/l
    double anions = 0.0;      // meq/l
};

// Every content row of every line counts by its own element: a row of an
// element that has an ion adds (percent × 10) × grams mg/l to that ion;
// otherwise a row whose conversion yields an element with an ion (an oxide)
// adds that times the coefficient to the yielded element's ion; any other row
// (micro elements, amide nitrogen) counts in no ion. The water's mg/l of an
// element with an ion add to that ion. ionOfElement holds only elements that
// have an ion: a form of an element is an element of its own here, and
// nothing is counted again through the element it is a form of.
IonSums IonSumsOf(const std::vector<ConcentrationLine>& lines, const std::unordered_map<long long, double>& water,
                  const std::unordered_map<long long, Ion>& ionOfElement);

} // namespace solvane
