// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/acid_dose.h"

#include "core/ion_sums.h"
#include "core/number_text.h"
#include "core/rounding.h"

namespace solvane {

double ProtonsPerGram(const std::vector<ContentRow>& content, const std::unordered_map<long long, Ion>& ionOfElement) {
    // One gram in a litre gives these mmol per litre of each ion.
    const IonSums sums = IonSumsOf({ConcentrationLine{1.0, content}}, {}, ionOfElement);
    return sums.mmolPerLitre[IonIndex(Ion::Nitrate)] + sums.mmolPerLitre[IonIndex(Ion::Phosphate)] +
           2.0 * sums.mmolPerLitre[IonIndex(Ion::Sulfate)];
}

AcidDose DoseAcid(std::optional<double> bicarbonate, double residue, double protonsPerGram) {
    AcidDose dose;
    if (!bicarbonate || *bicarbonate <= 0.0)
        return dose;
    if (*bicarbonate <= residue || protonsPerGram <= 0.0) {
        dose.state = AcidDose::State::NotAboveResidue;
        return dose;
    }
    dose.state = AcidDose::State::Dosed;
    dose.gramsPerLitre = (*bicarbonate - residue) / kBicarbonateMass / protonsPerGram;
    return dose;
}

QString AcidDoseText(const AcidDose& dose, std::optional<double> density, double residue) {
    switch (dose.state) {
    case AcidDose::State::NoBicarbonate:
        return QStringLiteral("В воде нет гидрокарбонатов");
    case AcidDose::State::NotAboveResidue:
        return QStringLiteral("HCO3 воды не выше остатка");
    case AcidDose::State::Dosed:
        break;
    }
    const bool liquid = density && *density > 0.0;
    const double perLitre = liquid ? dose.gramsPerLitre / *density : dose.gramsPerLitre;
    const QString unit = liquid ? QStringLiteral("мл") : QStringLiteral("г");
    return FormatNumber(perLitre, 4) + QLatin1Char(' ') + unit + QStringLiteral("/л (") +
           FormatNumber(perLitre * 100.0, 4) + QLatin1Char(' ') + unit + QStringLiteral(" на 100 л) — остаток HCO3 ") +
           FormatNumber(RoundToDecimalsSymmetric(residue, 2)) + QStringLiteral(" мг/л");
}

} // namespace solvane
