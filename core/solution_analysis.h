// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How far a solution's concentrations are from the crop's targets, the sums of
// its cations and anions, the conductivity a meter should read, and why an
// element or a fertilizer came out as it did.

#include "core/solution_lines.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace solvane {

// A target row of the current crop, as the concentration grid shows it.
struct TargetRow {
    TargetRow(long long element = 0, QString shortName = {}, std::optional<double> vega = {},
              std::optional<double> rachet = {}, std::optional<double> weight = {},
              std::optional<double> tolerance = {})
        : element(element), shortName(std::move(shortName)), vega(vega), rachet(rachet), weight(weight),
          tolerance(tolerance) {}

    long long element;
    QString shortName;
    std::optional<double> vega;      // empty: no target typed
    std::optional<double> rachet;    // empty reads as 0, as everywhere in the calculator
    std::optional<double> weight;    // the row's weight in the grower's fit; empty counts 1
    std::optional<double> tolerance; // %, the row's tolerance in the cheapest fit; empty counts 10
};

struct AnalysisRow {
    // (rachet − vega) / vega × 100, RoundToDecimalsSymmetric to 1 place; empty
    // where vega is 0 or empty.
    std::optional<double> deviation;
    // The deviation, as shown, is beyond ±10 % (beyond the row's own
    // tolerance when the fit judges by it).
    bool outOfRange = false;
};

struct SolutionAnalysis {
    std::vector<AnalysisRow> rows; // one per target row, in their order
    // mg-equivalents per litre, of rachet of the key elements (a missing row
    // counts 0; of two rows of one element the first counts):
    // K/39.098 + Ca/20.039 + Mg/12.1525 and N/14.007 + P/30.974 + S/16.03.
    double cations = 0.0;
    double anions = 0.0;
    double cationsShown = 0.0; // rounded to 2 places (RoundToDecimalsSymmetric)
    double anionsShown = 0.0;
    // The conductivity estimate in mS/cm: (cations + anions) / 20 rounded to 2 places.
    double conductivity = 0.0;
    // The lines left out (their fertilizer deleted) and the lines' amount
    // warnings (only with compositionShown), then the
    // elements that no fertilizer gives, then the fit's message, then the
    // fitted rows beyond ±10 % (or their own tolerance), then the
    // singular-value message.
    QStringList warnings;
};

// How the fit that made the amounts reads the rows.
struct FitJudgement {
    // The grower's fit or the cheapest one made the amounts: a fitted row (a
    // target and a weight above 0) beyond its bound is named as a ratio the
    // fertilizers cannot give.
    bool namesRowsBeyond = false;
    // Each row's bound is its own tolerance (the cheapest fit's), not ±10 %.
    bool ownTolerances = false;
    // What the fit had to say (why the cheapest fit gave way); empty for nothing.
    QString message;
};

// lines: the composition's lines; their amounts are judged only when
// compositionShown says that the rows hold the composition's concentrations.
// singularValueLeftOut: the last recipe's solve left out a singular value.
SolutionAnalysis AnalyseSolution(const std::vector<TargetRow>& targets, const std::vector<SolutionLine>& lines,
                                 bool compositionShown, bool singularValueLeftOut, const FitJudgement& fit = {});

} // namespace solvane
