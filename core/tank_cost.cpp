// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/tank_cost.h"

#include "core/number_text.h"
#include "core/rounding.h"

namespace solvane {

double MillilitresOf(double grams, double density) {
    return grams / density;
}

double PricePerGram(double price, std::optional<double> density) {
    const double perUnit = price / 1000.0;
    return density && *density > 0.0 ? perUnit / *density : perUnit;
}

SolutionCost CostOf(const std::vector<CostLine>& lines) {
    SolutionCost cost;
    for (const CostLine& line : lines) {
        if (!line.price) {
            if (!cost.withoutPrice.contains(line.fertilizer))
                cost.withoutPrice.append(line.fertilizer);
            continue;
        }
        if (line.gramsPerLitre <= 0.0)
            continue;
        const double amount =
            line.density && *line.density > 0.0 ? MillilitresOf(line.gramsPerLitre, *line.density) : line.gramsPerLitre;
        cost.perThousandLitres += *line.price * amount;
    }
    return cost;
}

QString CostText(const SolutionCost& cost, double litres) {
    QString text = QStringLiteral("Стоимость ") + FormatNumber(litres) + QStringLiteral(" л: ") +
                   FormatNumber(RoundToDecimalsSymmetric(cost.perThousandLitres * litres / 1000.0, 2));
    if (!cost.withoutPrice.isEmpty())
        text += QStringLiteral(" (без цены: ") + cost.withoutPrice.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text;
}

} // namespace solvane
