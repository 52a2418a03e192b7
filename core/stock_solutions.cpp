// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stock_solutions.h"

#include <algorithm>

namespace solvane {

namespace {

bool HasAnyOf(const SolutionLine& line, const std::vector<long long>& elements) {
    return std::any_of(elements.begin(), elements.end(),
                       [&line](long long element) { return HasElement(line, element); });
}

bool HasPhosphateOrSulfate(const SolutionLine& line) {
    return HasElement(line, KeyElement::Phosphorus) || HasElement(line, KeyElement::Sulfur);
}

// What a tank holds, counted line by line, to tell whether calcium and a
// phosphate or sulfate meet in it from two different fertilizers.
struct TankContents {
    int calcium = 0; // lines with calcium
    int anions = 0;  // lines with phosphorus or sulfur
    int both = 0;    // lines with both
    double total = 0.0;

    bool precipitates() const {
        // A pair of distinct lines exists unless the only calcium line is the
        // only phosphate or sulfate line as well.
        return calcium > 0 && anions > 0 && !(calcium == 1 && anions == 1 && both == 1);
    }
};

} // namespace

QString TankText(Tank tank) {
    return tank == Tank::A ? QStringLiteral("А") : QStringLiteral("Б");
}

std::vector<Tank> FirstTankAssignment(const std::vector<SolutionLine>& lines,
                                      const std::vector<long long>& ironElements) {
    std::vector<Tank> tanks;
    tanks.reserve(lines.size());
    for (const SolutionLine& line : lines) {
        const bool tankA = HasElement(line, KeyElement::Calcium) ||
                           (HasAnyOf(line, ironElements) && !HasElement(line, KeyElement::Sulfur));
        tanks.push_back(tankA ? Tank::A : Tank::B);
    }
    return tanks;
}

StockSolutions ComputeStockSolutions(const std::vector<SolutionLine>& lines, const std::vector<Tank>& tanks,
                                     int concentration, double volume) {
    StockSolutions result;
    result.grams.reserve(lines.size());
    result.millilitresPerLitre = 1000.0 / concentration;
    TankContents a, b;
    // Priced as 1000 l of working solution whose g/l are the tank's kg.
    std::vector<CostLine> costLinesA, costLinesB;
    for (size_t i = 0; i < lines.size(); ++i) {
        const SolutionLine& line = lines[i];
        const double grams = line.amount * concentration * volume;
        result.grams.push_back(grams);
        result.millilitres.push_back(line.density && *line.density > 0.0
                                         ? std::optional<double>(MillilitresOf(grams, *line.density))
                                         : std::nullopt);
        const bool inA = i < tanks.size() && tanks[i] == Tank::A;
        TankContents& tank = inA ? a : b;
        // Nobody weighs a negative amount: it stays out of the tank's total
        // (its warning still names the fertilizer).
        if (grams > 0.0)
            tank.total += grams;
        (inA ? costLinesA : costLinesB).push_back({line.fertilizer, grams / 1000.0, line.density, line.price});

        AppendAmountWarning(line, result.warnings);
        if (line.amount <= 0.0)
            continue;
        const bool calcium = HasElement(line, KeyElement::Calcium);
        const bool anion = HasPhosphateOrSulfate(line);
        tank.calcium += calcium;
        tank.anions += anion;
        tank.both += calcium && anion;
        if (calcium && anion)
            result.warnings.append(
                Quoted(line.fertilizer) +
                QStringLiteral(": кальций вместе с фосфатом или сульфатом — в концентрате может выпасть осадок"));
    }
    result.totalA = a.total;
    result.totalB = b.total;
    result.costA = CostOf(costLinesA);
    result.costB = CostOf(costLinesB);
    for (Tank tank : {Tank::A, Tank::B})
        if ((tank == Tank::A ? a : b).precipitates())
            result.warnings.append(QStringLiteral("Бак ") + TankText(tank) +
                                   QStringLiteral(": кальций вместе с фосфатом или сульфатом — может выпасть осадок"));
    return result;
}

} // namespace solvane
