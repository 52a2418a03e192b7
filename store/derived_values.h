// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>

namespace solvane {

// What the program works out for the calculated fields of the data sets from
// each row's own values: the targets and the result at the strength and what
// the counted water brings (t_konc), the amount at the strength (t_rachet),
// the amount for the chosen litres (t_save_rar), and a liquid's amounts in ml. The store shows them; the
// rules are the solution model's, which gives them (Database::setDerivedValues).
class DerivedValues {
public:
    virtual ~DerivedValues() = default;

    struct TargetFigures {
        QVariant vegaAtStrength;
        QVariant cvetAtStrength;
        QVariant resultAtStrength;
        QVariant water; // empty when no water is counted for the element
    };
    virtual TargetFigures target(const QVariant& vega, const QVariant& cvet, const QVariant& result,
                                 const QVariant& element) const = 0;
    virtual QVariant lineAtStrength(const QVariant& amount) const = 0;
    virtual QVariant savedLineForLitres(const QVariant& amount) const = 0;
    // The ml of an amount in grams of a fertilizer of this density (g/ml);
    // empty for a solid (no density).
    virtual QVariant millilitres(const QVariant& grams, const QVariant& density) const = 0;
};

} // namespace solvane
