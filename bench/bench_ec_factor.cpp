// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of "Под EC" (EcTargetFactor: the factor on the crop's targets that
// brings the fitted recipe's EC to the crop's, by bisection over refits in
// memory) on the starter base's tomato with the eleven usual fertilizers,
// under both fits, to 2,5 mS/cm. The base is made by the starter maker in a
// temporary folder and read once, as solvane-calc reads it; each search is
// timed on its own, RUNS times (31 by default), and the median is printed
// with the factor found.
//
//   bench_ec_factor [RUNS]

#include "model/base_snapshot.h"
#include "model/solution_calculation.h"
#include "store/connection.h"
#include "store/starter_database.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace solvane;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("base.mdb"));
    CreateStarterDatabase(file);
    Connection connection(file, Connection::ReadingOnly::Yes);
    const BaseSnapshot snapshot = ReadBaseSnapshot(connection);

    const std::vector<QString> tomatoSet = {"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия",
                                            "Сульфат магния",     "Сульфат калия",    "Хелат железа (Fe-EDTA)",
                                            "Сульфат марганца",   "Сульфат цинка",    "Сульфат меди",
                                            "Борная кислота",     "Молибдат натрия"};
    SolutionInputs inputs = InputsFor(snapshot, snapshot.crops.front().key);
    inputs.lines.clear();
    for (const QString& name : tomatoSet)
        for (const FertilizerRecord& fertilizer : inputs.fertilizers)
            if (fertilizer.name == name)
                inputs.lines.push_back({0, fertilizer.key, 0.0, std::nullopt, std::nullopt});

    std::printf("\"Под EC\" on tomato with %zu fertilizers, %zu target rows, to 2,5 mS/cm (%d runs)\n",
                inputs.lines.size(), inputs.targets.size(), runs);
    for (const int fit : {kClassicFit, kGrowerFit}) {
        inputs.options.fitMode = fit;
        std::vector<double> times;
        std::optional<double> factor;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            factor = EcTargetFactor(inputs, 2.5);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        std::printf("  fit %d: median %.2f ms (target under 50 ms), factor %s\n", fit, times[times.size() / 2],
                    factor ? QString::number(*factor, 'f', 4).toUtf8().constData() : "none");
    }
    return 0;
}
