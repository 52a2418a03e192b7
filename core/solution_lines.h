// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plain values for the mixing tools (stock concentrates, solution analysis):
// the lines of a solution as the windows gather them, the key elements, and
// the warnings about a line's amount that both tools give.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace solvane {

// The key elements by their fixed keys: the element directory keeps the rows
// 1 to 6 and the starter database holds these elements under them.
namespace KeyElement {
constexpr long long Nitrogen = 1;
constexpr long long Phosphorus = 2;
constexpr long long Potassium = 3;
constexpr long long Calcium = 4;
constexpr long long Magnesium = 5;
constexpr long long Sulfur = 6;
} // namespace KeyElement

// One content row of a fertilizer in element terms: the element it counts
// toward (freeid) and the percentage after an oxide's conversion (free).
struct ElementShare {
    long long element = 0;
    double percent = 0.0;
    long long total = 0; // the element that this row's element is a form of (0 when none)
};

// A line of a solution (the working composition or a saved solution).
struct SolutionLine {
    QString fertilizer;                // the name as the line shows it
    double amount = 0.0;               // g per litre; an empty amount reads as 0
    std::vector<ElementShare> content; // the fertilizer's rows, in the content set's order
    std::optional<double> density;     // g/ml of a liquid; empty for a solid
    std::optional<double> price;       // per kg (per l of a liquid); empty for none
    // The line's fertilizer is no longer in the directory: the line counts
    // nowhere and is named as such.
    bool deleted = false;
};

// The fertilizer's percentage of an element as the recipe reads it: the last
// content row that counts toward the element, 0 when none does; plus every
// row of a form of the element (N-NO3 and N-NH4 rows add to N's).
double ElementPercent(const std::vector<ElementShare>& content, long long element);
double ElementPercent(const SolutionLine& line, long long element);

// Whether the fertilizer gives the element: its percentage, read as above, is
// above 0.
bool HasElement(const SolutionLine& line, long long element);

// Whether an element's short name is iron's: "Fe" in any case, blanks around
// it ignored.
bool IsIronShortName(const QString& shortName);

// Appends the warning about the line's amount, if any: a negative amount or
// 0 g/l.
void AppendAmountWarning(const SolutionLine& line, QStringList& warnings);

// The name as the warnings quote it: «name».
QString Quoted(const QString& name);

} // namespace solvane
