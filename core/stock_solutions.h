// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Two stock concentrates, A and B, from the lines of a solution: tank A takes
// the calcium, tank B the phosphates and sulfates, so that nothing
// precipitates in the concentrate; the grower doses the same number of
// millilitres of each per litre of water.

#include "core/solution_lines.h"
#include "core/tank_cost.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace solvane {

enum class Tank { A, B };

// The tank as the grid shows it: "А" or "Б".
QString TankText(Tank tank);

// The first assignment of each line, in the lines' order: a fertilizer with
// calcium goes to A; otherwise one with iron and without sulfur goes to A;
// every other to B. ironElements: the keys of the elements whose short name
// is iron's (IsIronShortName).
std::vector<Tank> FirstTankAssignment(const std::vector<SolutionLine>& lines,
                                      const std::vector<long long>& ironElements);

struct StockSolutions {
    std::vector<double> grams; // per line: amount × concentration × volume, unrounded (shown to 4 digits)
    // per line: the grams of a liquid as ml (grams ÷ density); empty for a solid
    std::vector<std::optional<double>> millilitres;
    double totalA = 0.0; // the sum of the grams of the lines in tank A
    double totalB = 0.0;
    // What each tank's fertilizers cost (price × kg or l in it), and the
    // lines without a price that are left out of it.
    SolutionCost costA, costB;
    double millilitresPerLitre = 0.0; // of each concentrate per litre of water: 1000 / concentration
    QStringList warnings;             // the lines' warnings in their order, then tank A's, then tank B's
};

// The concentrates for the lines in the given tanks (one per line, the first
// assignment or the user's switches; a line without one counts in B),
// concentration times stronger than the solution, volume litres each.
//
// Warnings: a negative amount or 0 g/l; a fertilizer that brings calcium
// together with phosphorus or sulfur; a tank in which one fertilizer brings
// calcium and another phosphorus or sulfur. Only lines with an amount above 0
// put anything into a tank, so only they can precipitate.
StockSolutions ComputeStockSolutions(const std::vector<SolutionLine>& lines, const std::vector<Tank>& tanks,
                                     int concentration, double volume);

} // namespace solvane
