// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ec_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

// Only 25 °C is modelled: a meter that compensates for temperature shows the
// EC at 25 °C, so the temperature dependence of the constants (van 't Hoff,
// the diffusion coefficients' dw_t, the Debye-Hückel A and B, the viscosity
// of water) is left out.

namespace solvane {

namespace {

constexpr std::size_t kBasisCount = kIonCount;
constexpr double kKelvin25 = 298.15;
constexpr double kLn10 = 2.302585092994045684;

// Debye-Hückel A (kg^0.5 mol^-0.5) and B (kg^0.5 mol^-0.5 Å^-1) at 25 °C, from
// PHREEQC's dielectric model.
constexpr double kDebyeA = 0.51001;
constexpr double kDebyeB = 0.32848;

// Density of water at 25 °C, kg/l: mmol/l ÷ 1000 ÷ this is mol/kg water.
constexpr double kWaterDensity = 0.99705;

// 10^4 F² / (R · 298.15) turns Σ m z² D (m in mol/kg, D in m²/s) into mS/cm
// (CODATA 2018 F and R).
constexpr double kFaraday = 96485.33212;
constexpr double kGasConstant = 8.314462618;
constexpr double kConductanceScale = 1e4 * kFaraday * kFaraday / (kGasConstant * kKelvin25);

// Appelo's defaults where a species gives no a or a2 of its own.
constexpr double kDefaultA = 1.6;
constexpr double kDefaultA2 = 4.73;

constexpr double kTolerance = 1e-12;
constexpr int kMaxRounds = 500;
// The mass balances settle in a few dozen sweeps on any solution a grower
// mixes; the cap only ends a loop on absurd input.
constexpr int kMaxSweeps = 100000;

enum class Activity { Wateq, Davies, Neutral };

struct SpeciesData {
    Species species;
    int z;
    double dw; // diffusion coefficient at infinite dilution, 1e-9 m²/s; 0: carries no current
    double a;  // Appelo's a and a2; 0: the defaults
    double a2;
    Activity activity;
    double size; // WATEQ å (Å) and b
    double b;
};

// PHREEQC's phreeqc.dat: -gamma and -dw of each species.
constexpr SpeciesData kSpecies[kSpeciesCount] = {
    {Species::NO3, -1, 1.9, 1.85, 3.85, Activity::Wateq, 3.0, 0},
    {Species::NH4, +1, 1.98, 0.95, 4.53, Activity::Wateq, 2.5, 0},
    {Species::H2PO4, -1, 0.846, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::K, +1, 1.96, 2.5, 21, Activity::Wateq, 3.5, 0.015},
    {Species::Ca, +2, 0.793, 3.4, 24.6, Activity::Wateq, 5.0, 0.165},
    {Species::Mg, +2, 0.705, 2.4, 13.7, Activity::Wateq, 5.5, 0.20},
    {Species::SO4, -2, 1.07, 2.08, 13.4, Activity::Wateq, 5.0, -0.04},
    {Species::Na, +1, 1.33, 1.52, 3.70, Activity::Wateq, 4.08, 0.082},
    {Species::Cl, -1, 2.03, 1.6, 6.9, Activity::Wateq, 3.63, 0.017},
    {Species::HCO3, -1, 1.18, 1.43, 1e-10, Activity::Wateq, 5.4, 0},
    {Species::H, +1, 9.31, 0.46, 1e-10, Activity::Wateq, 9.0, 0},
    {Species::OH, -1, 5.27, 0.52, 1e-10, Activity::Wateq, 3.5, 0},
    {Species::HPO4, -2, 0.69, 0, 0, Activity::Wateq, 5.0, 0},
    {Species::PO4, -3, 0.612, 0, 0, Activity::Wateq, 4.0, 0},
    {Species::H3PO4, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::HSO4, -1, 1.33, 0, 0, Activity::Davies, 0, 0},
    {Species::CaSO4, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::MgSO4, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::KSO4, -1, 1.5, 1e-10, 1e10, Activity::Wateq, 5.4, 0},
    {Species::NaSO4, -1, 1.33, 0.57, 1e-10, Activity::Wateq, 5.4, 0},
    {Species::NH4SO4, -1, 0, 0, 0, Activity::Davies, 0, 0},
    {Species::CaH2PO4, +1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::MgH2PO4, +1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::CaHPO4, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::MgHPO4, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::CaPO4, -1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::MgPO4, -1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::KHPO4, -1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::NaHPO4, -1, 0, 0, 0, Activity::Wateq, 5.4, 0},
    {Species::CO2, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::CO3, -2, 0.955, 1.12, 2.84, Activity::Wateq, 5.4, 0},
    {Species::CaHCO3, +1, 0.506, 0, 0, Activity::Wateq, 6.0, 0},
    {Species::MgHCO3, +1, 0.478, 0, 0, Activity::Wateq, 4.0, 0},
    {Species::CaCO3, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::MgCO3, 0, 0, 0, 0, Activity::Neutral, 0, 0},
    {Species::NaCO3, -1, 1.2, 1e-10, 1e-10, Activity::Wateq, 5.4, 0},
    {Species::NaHCO3, 0, 0, 0, 0, Activity::Neutral, 0, 0},
};

constexpr std::size_t Index(Species s) {
    return static_cast<std::size_t>(s);
}

constexpr bool TableInOrder() {
    for (std::size_t i = 0; i < kSpeciesCount; ++i)
        if (Index(kSpecies[i].species) != i)
            return false;
    return true;
}
static_assert(TableInOrder(), "the species table follows the order of Species");

// A species formed from at most two basis species, each once, and hPlus H+
// (negative: released).
struct Reaction {
    Species product;
    int first;  // basis index, -1 for none
    int second; // basis index, -1 for none
    int hPlus;
    double logK; // at 25 °C
};

constexpr int Basis(Species s) {
    return static_cast<int>(Index(s));
}

// log K at 25 °C of the analytical expressions A1 + A2 T + A3/T + A4 log10 T + A6 T².
double Analytic(double a1, double a2, double a3, double a4, double a6) {
    const double t = kKelvin25;
    return a1 + a2 * t + a3 / t + a4 * std::log10(t) + a6 * t * t;
}

// PHREEQC's phreeqc.dat, written from the basis species: phosphate from
// H2PO4- (log K of PO4-3 + 2H+ = H2PO4- is 19.553) and carbonate from HCO3-
// (log K of CO3-2 + H+ = HCO3- is 10.329); NaHCO3 is given from HCO3- there.
constexpr std::size_t kReactionCount = 26;

std::array<Reaction, kReactionCount> MakeReactions() {
    using S = Species;
    constexpr int none = -1;
    return {{
        {S::OH, none, none, -1, Analytic(293.29227, 0.1360833, -10576.913, -123.73158, -6.996455e-5)},
        {S::HPO4, Basis(S::H2PO4), none, -1, -7.207},
        {S::PO4, Basis(S::H2PO4), none, -2, -19.553},
        {S::H3PO4, Basis(S::H2PO4), none, +1, 21.721 - 19.553},
        {S::HSO4, Basis(S::SO4), none, +1, Analytic(-56.889, 0.006473, 2307.9, 19.8858, 0)},
        {S::CaSO4, Basis(S::Ca), Basis(S::SO4), 0, 2.25},
        {S::MgSO4, Basis(S::Mg), Basis(S::SO4), 0, 2.37},
        {S::KSO4, Basis(S::K), Basis(S::SO4), 0, Analytic(3.106, 0, -673.6, 0, 0)},
        {S::NaSO4, Basis(S::Na), Basis(S::SO4), 0, 0.70},
        {S::NH4SO4, Basis(S::NH4), Basis(S::SO4), 0, 1.11},
        {S::CaH2PO4, Basis(S::Ca), Basis(S::H2PO4), 0, 1.408},
        {S::MgH2PO4, Basis(S::Mg), Basis(S::H2PO4), 0, 1.513},
        {S::CaHPO4, Basis(S::Ca), Basis(S::H2PO4), -1, 2.739 - 7.207},
        {S::MgHPO4, Basis(S::Mg), Basis(S::H2PO4), -1, 2.87 - 7.207},
        {S::CaPO4, Basis(S::Ca), Basis(S::H2PO4), -2, 6.459 - 19.553},
        {S::MgPO4, Basis(S::Mg), Basis(S::H2PO4), -2, 6.589 - 19.553},
        {S::KHPO4, Basis(S::K), Basis(S::H2PO4), -1, 0.29 - 7.207},
        {S::NaHPO4, Basis(S::Na), Basis(S::H2PO4), -1, 0.29 - 7.207},
        {S::CO2, Basis(S::HCO3), none, +1, 16.681 - 10.329},
        {S::CO3, Basis(S::HCO3), none, -1, -10.329},
        {S::CaHCO3, Basis(S::Ca), Basis(S::HCO3), 0, 11.435 - 10.329},
        {S::MgHCO3, Basis(S::Mg), Basis(S::HCO3), 0, 11.399 - 10.329},
        {S::CaCO3, Basis(S::Ca), Basis(S::HCO3), -1, 3.224 - 10.329},
        {S::MgCO3, Basis(S::Mg), Basis(S::HCO3), -1, 2.98 - 10.329},
        {S::NaCO3, Basis(S::Na), Basis(S::HCO3), -1, 1.27 - 10.329},
        {S::NaHCO3, Basis(S::Na), Basis(S::HCO3), 0, -0.25},
    }};
}

// The reactions, and for each basis species the reactions it takes part in
// with the other basis species of each (-1 for none).
struct Model {
    std::array<Reaction, kReactionCount> reactions = MakeReactions();
    std::array<std::vector<std::pair<std::size_t, int>>, kBasisCount> partners;

    Model() {
        for (std::size_t p = 0; p < reactions.size(); ++p) {
            const Reaction& r = reactions[p];
            if (r.first >= 0)
                partners[static_cast<std::size_t>(r.first)].emplace_back(p, r.second);
            if (r.second >= 0)
                partners[static_cast<std::size_t>(r.second)].emplace_back(p, r.first);
        }
    }
};

const Model& TheModel() {
    static const Model model;
    return model;
}

double LogGamma(const SpeciesData& s, double ionicStrength, double sqrtI) {
    const double z2 = static_cast<double>(s.z * s.z);
    switch (s.activity) {
    case Activity::Wateq:
        return -kDebyeA * z2 * sqrtI / (1.0 + kDebyeB * s.size * sqrtI) + s.b * ionicStrength;
    case Activity::Davies:
        return -kDebyeA * z2 * (sqrtI / (1.0 + sqrtI) - 0.3 * ionicStrength);
    case Activity::Neutral:
        break;
    }
    return 0.1 * ionicStrength;
}

double Pow10(double x) {
    return std::exp(kLn10 * x);
}

double Free(const std::array<double, kSpeciesCount>& m, int basis) {
    return basis < 0 ? 1.0 : m[static_cast<std::size_t>(basis)];
}

} // namespace

EcSpeciation SpeciateForEc(const IonMillimoles& millimoles, double pH) {
    const Model& model = TheModel();
    EcSpeciation result;
    std::array<double, kSpeciesCount>& m = result.molality;
    std::array<double, kSpeciesCount>& lg = result.logGamma;

    std::array<double, kBasisCount> total{};
    double ionicStrength = 0.0;
    for (std::size_t j = 0; j < kBasisCount; ++j) {
        const double c = millimoles[j];
        total[j] = c > 0.0 && std::isfinite(c) ? c / 1000.0 / kWaterDensity : 0.0;
        m[j] = total[j];
        ionicStrength += 0.5 * kSpecies[j].z * kSpecies[j].z * total[j];
    }

    std::array<double, kReactionCount> k{};
    while (result.rounds < kMaxRounds) {
        ++result.rounds;
        const double sqrtI = std::sqrt(ionicStrength);
        for (std::size_t s = 0; s < kSpeciesCount; ++s)
            lg[s] = LogGamma(kSpecies[s], ionicStrength, sqrtI);
        for (std::size_t p = 0; p < model.reactions.size(); ++p) {
            const Reaction& r = model.reactions[p];
            double logK = r.logK - lg[Index(r.product)] - r.hPlus * pH;
            if (r.first >= 0)
                logK += lg[static_cast<std::size_t>(r.first)];
            if (r.second >= 0)
                logK += lg[static_cast<std::size_t>(r.second)];
            k[p] = Pow10(logK);
        }

        // The mass balance of each basis species in turn, with the others
        // held, until no free molality moves.
        for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
            double largest = 0.0;
            for (std::size_t j = 0; j < kBasisCount; ++j) {
                if (total[j] <= 0.0)
                    continue;
                double bound = 1.0;
                for (const auto& [p, other] : model.partners[j])
                    bound += k[p] * Free(m, other);
                const double next = total[j] / bound;
                largest = std::max(largest, std::abs(next - m[j]) / total[j]);
                m[j] = next;
            }
            if (largest < kTolerance)
                break;
        }

        for (std::size_t p = 0; p < model.reactions.size(); ++p) {
            const Reaction& r = model.reactions[p];
            m[Index(r.product)] = k[p] * Free(m, r.first) * Free(m, r.second);
        }
        m[Index(Species::H)] = Pow10(-pH - lg[Index(Species::H)]);
        double next = 0.0;
        for (std::size_t s = 0; s < kSpeciesCount; ++s)
            next += 0.5 * kSpecies[s].z * kSpecies[s].z * m[s];
        const bool settled = std::abs(next - ionicStrength) <= kTolerance * next;
        ionicStrength = next;
        if (settled) {
            result.converged = true;
            break;
        }
    }
    result.ionicStrength = ionicStrength;

    // Appelo's conductance: each diffusion coefficient lowered by the ionic
    // strength, then Σ m z² D.
    const double sqrtI = std::sqrt(ionicStrength);
    const double screening = kDebyeB * sqrtI / (1.0 + std::pow(ionicStrength, 0.75));
    for (std::size_t s = 0; s < kSpeciesCount; ++s) {
        const SpeciesData& d = kSpecies[s];
        if (d.z == 0 || d.dw == 0.0)
            continue;
        const double a = d.a != 0.0 ? d.a : kDefaultA;
        const double a2 = d.a2 != 0.0 ? d.a2 : kDefaultA2;
        const double z = std::abs(d.z);
        const double diffusion = d.dw * 1e-9 * std::exp(-a * kDebyeA * z * sqrtI / (1.0 + a2 * screening));
        result.conductance[s] = kConductanceScale * m[s] * z * z * diffusion;
        result.ec += result.conductance[s];
    }
    return result;
}

double SolutionEc(const IonMillimoles& millimoles, double pH) {
    const EcSpeciation speciation = SpeciateForEc(millimoles, pH);
    return speciation.converged ? speciation.ec : std::numeric_limits<double>::quiet_NaN();
}

} // namespace solvane
