// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of one EC evaluation (the speciation and the conductance at 25 °C)
// of a nutrient solution that holds all ten ions, the source water's
// bicarbonate included, at pH 5.5.
//
//   bench_ec [RUNS]
//
// Every evaluation is timed on its own, RUNS times (20001 by default); the
// median and the fastest are printed with the EC and the rounds the ionic
// strength took.

#include "core/ec_model.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace solvane;

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20001;
    constexpr double kTargetMicroseconds = 20.0;
    // mmol/l: NO3, NH4, H2PO4, K, Ca, Mg, SO4, Na, Cl, HCO3.
    const IonMillimoles solution = {16.0, 1.2, 1.5, 9.5, 5.4, 2.4, 4.4, 2.0, 2.0, 0.5};
    using Clock = std::chrono::steady_clock;

    const EcSpeciation detail = SpeciateForEc(solution, kSolutionPh);
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    volatile double sink = 0.0;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        sink = SolutionEc(solution, kSolutionPh);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const bool met = median < kTargetMicroseconds;
    std::printf("EC of a solution with all ten ions: %.4f mS/cm (I %.5f mol/kg, %d rounds)\n", sink,
                detail.ionicStrength, detail.rounds);
    std::printf("median %.2f us, fastest %.2f us over %d runs; under %g us: %s\n", median, times[0], runs,
                kTargetMicroseconds, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
