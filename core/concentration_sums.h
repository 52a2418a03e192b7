// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The concentration calculation over plain values: what the lines of a
// solution give each target row, in mg per litre.

#include "core/contribution.h"

#include <unordered_map>
#include <vector>

namespace solvane {

// A line of the solution: its amount and its fertilizer's content rows.
struct ConcentrationLine {
    double grams = 0.0; // g per litre; empty reads as 0
    std::vector<ContentRow> content;
};

// Each target row's concentration, rounded to 4 places. The sums are formed
// in the calculation's order: for every line, every content row of its
// fertilizer and every target row, a row of the target's own element adds
// (percent × 10) × grams, and so does a row of a form of the target's element;
// otherwise a row whose conversion yields it adds
// ((percent × 10) × grams) × coefficient; then the counted water adds its mg/l
// of the row's element; then the sum is rounded.
// The water's mg/l per element with each form's mg/l also counted toward the
// element it is a form of (totalOf: form → total; an element missing there is
// no form). The sums over the forms are taken in the elements' key order, so
// the same water always gives the same bits. The ion sums take the water as
// it is, each row for its own ion only.
std::unordered_map<long long, double> WaterWithFormTotals(const std::unordered_map<long long, double>& water,
                                                          const std::unordered_map<long long, long long>& totalOf);

std::vector<double> ConcentrationsOf(const std::vector<long long>& targetElements,
                                     const std::vector<ConcentrationLine>& lines,
                                     const std::unordered_map<long long, double>& water);

} // namespace solvane
