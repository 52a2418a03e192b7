// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/totals_strips.h"

#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "windows/settings/colours.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace solvane {

namespace {

// A sum in a totals strip. The strips share a narrow pane: the sums take
// equal shares of the width they are given, apart by a gap, and a sum too
// wide for its share loses its leading blanks first.
QLabel* totalLabel(QLabel* sum) {
    sum->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return sum;
}
constexpr int kTotalsGap = 4;

QString TotalText(double sum) {
    return QStringLiteral("   ") + FormatNumber(RoundToDecimals(sum, 2));
}

} // namespace

TotalsStrips::TotalsStrips(HandlerGuard& guard, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelTotals"));
    // The gap of the pane the strips stand in, without margins of their own.
    auto* column = MakeColumn(this, 0, 2);
    buildPpmStrip(column);
    buildMglStrip(column);
    buildFiguresRow(guard, column);
    // The strips sit in the narrow right half: one point smaller than the
    // window's text, so that they take little of it.
    for (QWidget* strip : {ppmStrip_, mglStrip_}) {
        QFont f = strip->font();
        if (f.pointSizeF() > 7)
            f.setPointSizeF(f.pointSizeF() - 1);
        strip->setFont(f);
    }
}

void TotalsStrips::buildPpmStrip(QVBoxLayout* column) {
    ppmStrip_ = MakePanel(QStringLiteral("PanelPpm"), this);
    auto* ppmLayout = MakeRow(ppmStrip_, 2, kTotalsGap);
    QLabel* ppmCaption =
        MakeLabel(QStringLiteral("Label12"), QStringLiteral(" Общее кол-во солей (PPM):  "), ppmStrip_);
    ppmCaption->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ppmLayout->addWidget(ppmCaption);
    ppmTotal_ = MakeLabel(QStringLiteral("Label10"), QStringLiteral("   0"), ppmStrip_);
    ppmTotalAtStrength_ = MakeLabel(QStringLiteral("Label11"), QStringLiteral("   0"), ppmStrip_);
    for (QLabel* l : {ppmTotal_, ppmTotalAtStrength_})
        ppmLayout->addWidget(totalLabel(l), 1);
    ppmStrip_->hide();
    column->addWidget(ppmStrip_);
}

void TotalsStrips::buildMglStrip(QVBoxLayout* column) {
    mglStrip_ = MakePanel(QStringLiteral("PanelMgl"), this);
    // Four sums beside the caption would not fit in the pane: they get the
    // line under it.
    auto* mglLayout = MakeColumn(mglStrip_, 2, 0);
    QLabel* mglCaption =
        MakeLabel(QStringLiteral("Label8"), QStringLiteral(" Общее кол-во солей (мг./л.):  "), mglStrip_);
    mglLayout->addWidget(mglCaption);
    auto* mglSums = new QHBoxLayout;
    mglSums->setSpacing(kTotalsGap);
    mglLayout->addLayout(mglSums);
    resultsTotal_ = MakeLabel(QStringLiteral("Label4"), QStringLiteral("   0"), mglStrip_);
    resultsTotalAtStrength_ = MakeLabel(QStringLiteral("Label13"), QStringLiteral("   0"), mglStrip_);
    targetsTotal_ = MakeLabel(QStringLiteral("Label5"), QStringLiteral("   0"), mglStrip_);
    floweringTotal_ = MakeLabel(QStringLiteral("Label9"), QStringLiteral("   0"), mglStrip_);
    for (QLabel* l : {resultsTotal_, resultsTotalAtStrength_, targetsTotal_, floweringTotal_})
        mglSums->addWidget(totalLabel(l), 1);
    mglStrip_->hide();
    column->addWidget(mglStrip_);
}

// What a meter should read and what the tank costs, after every recipe and
// calculation.
void TotalsStrips::buildFiguresRow(HandlerGuard& guard, QVBoxLayout* column) {
    auto* figuresRow = new QHBoxLayout;
    figuresRow->setContentsMargins(4, 0, 4, 0);
    ecLabel_ = MakeLabel(QStringLiteral("EcLabel"), QString(), this, true);
    ecFitButton_ = MakeButton(QStringLiteral("EcFitButton"), QStringLiteral("Под EC"), this);
    ecFitButton_->setToolTip(QStringLiteral("Умножить цели культуры на один множитель так, чтобы EC раствора стала "
                                            "EC культуры"));
    ecFitButton_->setEnabled(false);
    ecFitButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(ecFitButton_, &QPushButton::clicked, this, [this, &guard] {
        guard.run(window(), [this, &guard] { guard.relay([this] { emit ecFitRequested(); }); });
    });
    costLabel_ = MakeLabel(QStringLiteral("CostLabel"), QString(), this);
    costLabel_->setWordWrap(true);
    costLabel_->hide();
    ecLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    costLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figuresRow->addWidget(ecLabel_);
    figuresRow->addWidget(ecFitButton_);
    figuresRow->addWidget(costLabel_, 1);
    figuresRow->addStretch(0);
    column->addLayout(figuresRow);
}

void TotalsStrips::showStrips(bool ppm, bool mgl) {
    ppmStrip_->setVisible(ppm);
    mglStrip_->setVisible(mgl);
}

void TotalsStrips::setColours(const QColor& atStrength, const QColor& result, const QColor& target,
                              const QColor& flowering) {
    for (QLabel* sum : {ppmTotalAtStrength_, resultsTotalAtStrength_})
        SetWidgetColour(sum, QPalette::Window, atStrength);
    for (QLabel* sum : {ppmTotal_, resultsTotal_})
        SetWidgetColour(sum, QPalette::Window, result);
    SetWidgetColour(targetsTotal_, QPalette::Window, target);
    SetWidgetColour(floweringTotal_, QPalette::Window, flowering);
}

void TotalsStrips::showTotals(const SolutionTotals& totals) {
    resultsTotal_->setText(TotalText(totals.result));
    targetsTotal_->setText(TotalText(totals.target));
    floweringTotal_->setText(TotalText(totals.floweringTarget));
    resultsTotalAtStrength_->setText(TotalText(totals.resultAtStrength));
    ppmTotal_->setText(TotalText(totals.ppm));
    ppmTotalAtStrength_->setText(TotalText(totals.ppmAtStrength));
}

void TotalsStrips::showSolutionFigures(const SolutionInputs& in, const std::vector<LineRecord>& lines, double litres,
                                       std::optional<double> cropEc, bool ecFitAllowed) {
    ecLabel_->setText(QStringLiteral("EC ≈ ") + FormatDecimals(IonsOfSolution(in, lines).ec, 2) +
                      (cropEc ? QStringLiteral(" из ") + FormatDecimals(*cropEc, 2) : QString()) +
                      QStringLiteral(" мСм/см"));
    ecFitButton_->setEnabled(ecFitAllowed);
    // The cost once the grower has priced anything: without prices it
    // would only list every fertilizer.
    const SolutionCost cost = CostOfSolution(in, lines);
    const bool priced = std::any_of(in.fertilizers.begin(), in.fertilizers.end(),
                                    [](const FertilizerRecord& f) { return f.price.has_value(); });
    costLabel_->setVisible(priced && litres > 0.0);
    costLabel_->setText(priced && litres > 0.0 ? CostText(cost, litres) : QString());
}

} // namespace solvane
