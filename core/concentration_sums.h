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
// (percent × 10) × grams, otherwise a row whose conversion yields it adds
// ((percent × 10) × grams) × coefficient; then the counted water adds its mg/l
// of the row's element; then the sum is rounded.
std::vector<double> ConcentrationsOf(const std::vector<long long>& targetElements,
                                     const std::vector<ConcentrationLine>& lines,
                                     const std::unordered_map<long long, double>& water);

} // namespace solvane
