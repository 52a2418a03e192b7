// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the mixing tools read from the program's data sets: the lines of the
// working composition or of the current saved solution with each
// fertilizer's content in element terms, the elements that are iron, and the
// current crop's target rows. Nothing is moved: no cursor, filter or current
// record of any set changes, so the windows can read them after every action.

#include "core/contribution.h"
#include "core/solution_analysis.h"
#include "core/solution_lines.h"

#include <QVariant>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace solvane {

class Database;

struct SourceLines {
    std::vector<SolutionLine> lines; // in the source's order
    std::vector<long long> keys;     // each line's fertilizer (id_udobra), 0 for none
};

// Whether the fertilizer list holds a fertilizer with this key (a list that
// is not open cannot tell, and says yes).
bool FertilizerExists(Database& data, long long key);
// A line's fertilizer key that names no fertilizer of the list any more: the
// line counts nowhere (an empty key is a line without a fertilizer).
bool LineFertilizerGone(Database& data, const QVariant& key);

// The content rows of the given fertilizers in element terms, as the classic
// recipe reads them (free, freeid), in the table's order.
std::unordered_map<long long, std::vector<ElementShare>>
ElementTermsContent(Database& data, const std::unordered_set<long long>& fertilizers);

// The content rows of the given fertilizers as the concentration calculation
// reads them: each row's element or oxide, the element its conversion record
// yields and the record's factor, in the table's order.
std::unordered_map<long long, std::vector<ContentRow>>
CalculationContent(Database& data, const std::unordered_set<long long>& fertilizers);

// The working composition's lines, with their fertilizers' content.
SourceLines CompositionLines(Database& data);
// The lines of the current saved solution (none when there is no saved solution).
SourceLines SavedSolutionLines(Database& data);
// The keys of the elements whose short name is iron's.
std::vector<long long> IronElements(Database& data);
// The current crop's target rows, in the concentration grid's order.
std::vector<TargetRow> CurrentTargets(Database& data);

} // namespace solvane
