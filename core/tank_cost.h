// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Liquids by volume and what a solution costs: a liquid (a fertilizer with a
// density) is dosed in ml and priced per litre, a solid weighed in g and
// priced per kilogram.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace solvane {

// ml of a liquid for grams of it: g ÷ density (g/ml).
double MillilitresOf(double grams, double density);

// The price of one gram: price per kg ÷ 1000 for a solid, price per litre ÷
// 1000 ÷ density for a liquid.
double PricePerGram(double price, std::optional<double> density);

struct CostLine {
    QString fertilizer;
    double gramsPerLitre = 0.0;
    std::optional<double> density; // empty: a solid
    std::optional<double> price;   // per kg (per l for a liquid); empty: none
};

struct SolutionCost {
    double perThousandLitres = 0.0; // Σ price × kg (l) per 1000 l of the priced lines
    QStringList withoutPrice;       // the lines left out, in their order, each name once
};

// The cost of 1000 l: price × amount, where the amount is kg per 1000 l (=
// g/l) for a solid and l per 1000 l (= ml/l) for a liquid. A line without a
// price is left out and named; a negative amount (the classic fit may give
// one) buys nothing and costs nothing.
SolutionCost CostOf(const std::vector<CostLine>& lines);

// "Стоимость 1000 л: 123,45", with " (без цены: name, name)" when lines were
// left out. litres: the volume the cost is for.
QString CostText(const SolutionCost& cost, double litres = 1000.0);

} // namespace solvane
