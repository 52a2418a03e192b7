// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a delete may take with it, or why it is refused, told from plain
// counts and names: the questions and refusals the directories and the
// calculator show before a fertilizer, an element or a crop goes, and the
// name a line shows once its fertilizer is gone.

#include <QString>
#include <vector>

namespace solvane {

// A saved solution by its name and its crop's.
struct SolutionUse {
    QString solution;
    QString crop;
    bool operator==(const SolutionUse& other) const { return solution == other.solution && crop == other.crop; }
};

// Where a fertilizer is used: the working solution, and the saved solutions
// of the crops there are (in the order they were saved).
struct FertilizerUse {
    bool workingSolution = false;
    std::vector<SolutionUse> solutions;
    bool any() const { return workingSolution || !solutions.empty(); }
};

// What refers to an element: the fertilizers whose content names it, the
// crops' target rows, the water profiles, the conversion records that yield
// it, and the elements that are its forms.
struct ElementUse {
    int fertilizers = 0;
    int targets = 0;
    int waterProfiles = 0;
    int coefficients = 0;
    int forms = 0;
    bool any() const { return fertilizers > 0 || targets > 0 || waterProfiles > 0 || coefficients > 0 || forms > 0; }
};

// What goes with a crop: its target rows and its saved solutions.
struct CropContents {
    int targets = 0;
    int solutions = 0;
    bool any() const { return targets > 0 || solutions > 0; }
};

// At most this many saved solutions are named; the rest are counted.
constexpr int kSolutionsNamed = 10;

// "Удобрение «name» входит в рабочий раствор и в растворы «Купер 1» (Раствор
// Купера (NFT)), «Томат 2» (Томат). Сначала уберите его оттуда." Only the
// places it is in are named; beyond ten solutions, "и ещё N". Empty when the
// fertilizer is used nowhere.
QString FertilizerRefusal(const QString& name, const FertilizerUse& use);

// "Элемент «name» используется: удобрения (N), цели культур (M), профили
// воды (K), коэффициенты (L), формы (F). Сначала уберите его оттуда." A part
// whose count is 0 is left out; empty when nothing refers to the element.
QString ElementRefusal(const QString& name, const ElementUse& use);

// "Удалить культуру «name» вместе с её целями (N) и сохранёнными растворами
// (M)?" A part whose count is 0 is left out; empty for a crop with neither.
QString CropDeletionQuestion(const QString& name, const CropContents& contents);

// The name a composition line or a saved line shows when its fertilizer is
// no longer in the directory: "удобрение №N удалено".
QString DeletedFertilizerName(long long key);

// The analysis's and the stock window's word on such a line:
// "«удобрение №N удалено»: строка не учитывается".
QString LeftOutLineWarning(const QString& lineName);

} // namespace solvane
