// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The working solution of the open base: what the calculator shows, read
// from the data sets without moving any cursor, computed over plain values
// (model/solution_calculation.h) and posted by key, each result once, in the
// running action's transaction. It gives the calculated fields of the target
// rows, the composition and the saved lines their values (the strength, the
// water counted, the litres), and announces what it posted.

#include "model/solution_calculation.h"
#include "store/derived_values.h"

#include <QObject>

namespace solvane {

class Database;

class WorkingSolution : public QObject, public DerivedValues {
    Q_OBJECT

public:
    explicit WorkingSolution(Database& data, QObject* parent = nullptr);
    ~WorkingSolution() override;

    // What the calculation is made of now: the directories, the current
    // crop's target rows, the composition's lines, the options (the fit as
    // the options store gives it), the water counted and the strength.
    SolutionInputs inputs() const;
    // The composition's lines, in the grid's order.
    std::vector<LineRecord> compositionLines() const;
    // The current saved solution's lines (none without one).
    std::vector<LineRecord> savedLines() const;

    int strength() const { return strength_; }
    void setStrength(int percent) { strength_ = percent; }
    // The mg/l of each element the counted water brings.
    void setWater(std::unordered_map<long long, double> amounts) { water_ = std::move(amounts); }
    // The same water as the profile holds it (the ions count it so).
    void setSourceWater(std::unordered_map<long long, double> amounts) { sourceWater_ = std::move(amounts); }
    void setLitres(double litres) { litres_ = litres; }

    // The composition's lines, changed by key in the running action's
    // transaction (the data sets follow without their cursors being walked).
    // ">": a line for the fertilizer unless the composition has one; true
    // when one was added.
    bool addLine(long long fertilizer);
    // "<": the line goes.
    void removeLine(long long line);
    // "X": every line goes.
    void clearLines();

    // Saves the composition under the name for the current crop, at the
    // strength given (%): a header, then a line per composition line with its
    // amount per litre as composed, then the lines the program adds (the
    // acid's) as ordinary ones. Returns the header's key.
    long long saveSolution(const QString& name, int strength);
    // The saved solution takes the name; without one, a header for the
    // current crop is made with it. Returns the header's key.
    long long renameSolution(std::optional<long long> solution, const QString& name);

    // The zero-target rule over the current crop's rows: those without a
    // target are deleted. True when any was.
    bool removeMissingTargets();
    // The current crop gets a target row for every plain element it lacks,
    // in the elements' order. Such a row has no target, so the zero-target
    // rule deletes it again at once (with any other row without a target).
    // True when any row came and went; on a base that cannot be written
    // nothing is added.
    bool completeTargets();
    // The steps of a pass, over inputs read once (inputs()), which they keep
    // in line with what they post.
    // Fits the composition's amounts with the options' fit and posts them.
    // True when the classic solve left out a singular value.
    bool fit(SolutionInputs& in);
    // The last fit's message (why the cheapest fit gave way to the grower's);
    // empty when it had none.
    const QString& fitMessage() const { return fitMessage_; }
    // The message the options' fit gives over these inputs, worked out
    // without posting anything: the amounts shown may come from a fit of an
    // earlier run, whose message was not kept.
    void explainFit(const SolutionInputs& in);
    // Posts each target row's result from the lines (the composition's, or a
    // saved solution's), where it changed.
    void postResults(SolutionInputs& in, const std::vector<LineRecord>& lines);
    // The totals strips.
    SolutionTotals totals(const SolutionInputs& in) const;

    // DerivedValues
    TargetFigures target(const QVariant& vega, const QVariant& cvet, const QVariant& result,
                         const QVariant& element) const override;
    QVariant lineAtStrength(const QVariant& amount) const override;
    QVariant savedLineForLitres(const QVariant& amount) const override;
    QVariant millilitres(const QVariant& grams, const QVariant& density) const override;

signals:
    // The composition's amounts were posted by a fit.
    void compositionChanged();
    // The target rows' results were posted.
    void resultsPosted();

private:
    // The key of the crop the calculator is on; null without one.
    QVariant currentCrop() const;

    Database& data_;
    int strength_ = 100;
    double litres_ = 0.0;
    QString fitMessage_;
    std::unordered_map<long long, double> water_;
    std::unordered_map<long long, double> sourceWater_;
};

} // namespace solvane
