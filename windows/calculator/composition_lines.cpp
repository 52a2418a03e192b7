// SPDX-License-Identifier: GPL-3.0-or-later
// The composition's lines as the mixing windows read them, with the acid's
// line that the model adds (model/acid_line.h) to neutralise the counted
// water's bicarbonate.

#include "windows/calculator/calculator_window.h"

#include "store/database.h"
#include "windows/calculator/mixing_sources.h"

namespace solvane {

SourceLines CalculatorWindow::mixingLines(bool composition) const {
    const SolutionInputs in = solution_.inputs();
    const bool saved = data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty();
    const std::vector<LineRecord> lines = composition ? in.lines
                                          : saved     ? solution_.savedLines()
                                                      : std::vector<LineRecord>();
    SourceLines out;
    out.lines = MixingLines(in, lines);
    for (const LineRecord& line : lines)
        out.keys.push_back(line.fertilizer.value_or(0));
    return out;
}

std::vector<LineRecord> CalculatorWindow::addedLines() const {
    std::vector<LineRecord> added;
    for (const LineRecord& line : solution_.inputs().lines)
        if (line.derived)
            added.push_back(line);
    return added;
}

} // namespace solvane
