// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The electrical conductivity of a solution from its ions, as a
// temperature-compensating meter reads it (mS/cm at 25 °C): the speciation
// with the ion pairs and acid-base species of PHREEQC's phreeqc.dat, and the
// specific conductance of C.A.J. Appelo (2017), Cement and Concrete Research
// 101, 102-113, as PHREEQC computes it. Nothing in it is fitted to
// measurements.

#include "core/ions.h"

#include <array>
#include <cstddef>

namespace solvane {

// mmol/l of each ion: nitrate, ammonium, total phosphate (as H2PO4-), K, Ca,
// Mg, total sulfate, Na, Cl and the bicarbonate a water report gives.
using IonMillimoles = IonValues;

// The pH a nutrient solution is computed at, and a water on its own.
constexpr double kSolutionPh = 5.5;
constexpr double kWaterPh = 7.5;

// The species of the model. The first ten are the basis species, in the
// order of Ion; the rest are formed from them and from H+.
enum class Species {
    NO3,
    NH4,
    H2PO4,
    K,
    Ca,
    Mg,
    SO4,
    Na,
    Cl,
    HCO3,
    H,
    OH,
    HPO4,
    PO4,
    H3PO4,
    HSO4,
    CaSO4,
    MgSO4,
    KSO4,
    NaSO4,
    NH4SO4,
    CaH2PO4,
    MgH2PO4,
    CaHPO4,
    MgHPO4,
    CaPO4,
    MgPO4,
    KHPO4,
    NaHPO4,
    CO2,
    CO3,
    CaHCO3,
    MgHCO3,
    CaCO3,
    MgCO3,
    NaCO3,
    NaHCO3,
};
constexpr std::size_t kSpeciesCount = 37;

struct EcSpeciation {
    double ec = 0.0;                                 // mS/cm at 25 °C
    double ionicStrength = 0.0;                      // mol/kg water
    int rounds = 0;                                  // rounds of the ionic strength
    bool converged = false;                          // the ionic strength settled within the rounds allowed
    std::array<double, kSpeciesCount> molality{};    // mol/kg water
    std::array<double, kSpeciesCount> logGamma{};    // log10 of the activity coefficient
    std::array<double, kSpeciesCount> conductance{}; // the mS/cm each species carries

    double molalityOf(Species s) const { return molality[static_cast<std::size_t>(s)]; }
    double logGammaOf(Species s) const { return logGamma[static_cast<std::size_t>(s)]; }
    double conductanceOf(Species s) const { return conductance[static_cast<std::size_t>(s)]; }
};

// The speciation and the EC of a solution at 25 °C and the given pH. A
// negative input, or one that is not a finite number, counts as 0.
EcSpeciation SpeciateForEc(const IonMillimoles& millimoles, double pH);

// The EC in mS/cm at 25 °C; not a number where the ionic strength does not
// settle, which happens only at concentrations far beyond any solution.
double SolutionEc(const IonMillimoles& millimoles, double pH = kSolutionPh);

} // namespace solvane
