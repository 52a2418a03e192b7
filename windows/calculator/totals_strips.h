// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/solution_calculation.h"

#include <QWidget>
#include <optional>
#include <vector>

class QColor;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace solvane {

class HandlerGuard;

// Under the targets: the PPM strip and the mg/l strip with their sums, both
// built hidden, and the row of the EC ("EC ≈ 2,13 мСм/см"), "Под EC" and the
// cost.
class TotalsStrips : public QWidget {
    Q_OBJECT
public:
    TotalsStrips(HandlerGuard& guard, QWidget* parent);

    // The options' choice of the strips: the PPM strip, the mg/l strip.
    void showStrips(bool ppm, bool mgl);
    // The sums' backgrounds: at the strength, of the results, of the targets
    // and of the flowering targets.
    void setColours(const QColor& atStrength, const QColor& result, const QColor& target, const QColor& flowering);
    void showTotals(const SolutionTotals& totals);
    // The EC and the cost of the lines shown, for that many litres, with the
    // crop's EC when it has one. "Под EC" is enabled when ecFitAllowed: the
    // crop has an EC and the composition, with lines, is what is shown.
    void showSolutionFigures(const SolutionInputs& in, const std::vector<LineRecord>& lines, double litres,
                             std::optional<double> cropEc, bool ecFitAllowed);

signals:
    // "Под EC", emitted through the handler guard's relay.
    void ecFitRequested();

private:
    void buildPpmStrip(QVBoxLayout* column);
    void buildMglStrip(QVBoxLayout* column);
    void buildFiguresRow(HandlerGuard& guard, QVBoxLayout* column);

    QWidget* ppmStrip_ = nullptr;
    QLabel* ppmTotal_ = nullptr;
    QLabel* ppmTotalAtStrength_ = nullptr;
    QWidget* mglStrip_ = nullptr;
    QLabel* resultsTotal_ = nullptr;
    QLabel* resultsTotalAtStrength_ = nullptr;
    QLabel* targetsTotal_ = nullptr;
    QLabel* floweringTotal_ = nullptr;
    QLabel* ecLabel_ = nullptr;          // "EC ≈ 2,13 мСм/см"
    QPushButton* ecFitButton_ = nullptr; // "Под EC"
    QLabel* costLabel_ = nullptr; // "Стоимость 1000 л: 123,45 (без цены: ...)", once a line has a price
};

} // namespace solvane
