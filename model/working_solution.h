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

// What a pass leaves for the windows to show: the inputs it read, with the
// results it posted, the lines whose figures are shown, and the steps that ran.
struct ShownPass {
    SolutionInputs in;
    std::vector<LineRecord> lines;
    // The composition's lines (otherwise the current saved solution's).
    bool composition = true;
    // The amounts were fitted.
    bool fitted = false;
    // The fit's message was worked out again (by a fit, or without one).
    bool fitJudged = false;
    // The saved-solution pass posted its results.
    bool savedPosted = false;
};

// What the mixing tools read of a source's lines.
struct SourceLines {
    std::vector<SolutionLine> lines; // in the source's order
    std::vector<long long> keys;     // each line's fertilizer (id_udobra), 0 for none
};

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

    // ---- the passes ----
    // Each settles what is being typed into the sets it reads first, applies
    // the zero-target rule, posts its results once and ends with passFinished.
    // The automatic recipe: the amounts fitted, then the composition's results.
    void recipe();
    // The composition's results; the amounts are fitted only when the
    // zero-target rule took a row away.
    void calculation();
    // The current saved solution's results.
    void savedSolutionPass();
    // The results worked out again from what is stored: the composition's,
    // or the saved solution's when that was calculated last.
    void refresh();
    // The figures of the lines shown, worked out again without posting.
    void figures();
    // A target row was stored: one left without a target goes, and the
    // recipe runs without it.
    void targetStored();
    // The crop chosen (or stored) gets its full target list, and the recipe
    // runs when rows came and went.
    void cropChosen();

    // The target rows hold what the composition gives (its calculation ran
    // last) rather than a saved solution's.
    bool showsComposition() const { return compositionShown_; }
    // The last classic recipe left out a singular value.
    bool singularValueLeftOut() const { return singularValueLeftOut_; }
    // The ions, their report and the EC of the lines the target rows show,
    // the source water included.
    SolutionIons shownIons() const;
    // The lines the mixing windows read, with their fertilizers' content: the
    // composition's with the lines the program adds, or the current saved
    // solution's (none without one).
    SourceLines mixingLines(bool composition) const;
    // The lines the program adds to the composition (the acid's).
    std::vector<LineRecord> addedLines() const;

    // ---- the fit, the water and the crop chosen ----
    // 1 the grower's fit, 2 the cheapest, 0 the classic least squares.
    int fitMode() const;
    // The water profile counted, or null for none (also for a profile gone).
    QVariant water() const;
    void chooseWater(const QVariant& profile);
    // The counted water's mg/l read again; true when they changed.
    bool readWater();
    // The crop in use is kept in the options (id_kult_last) for the next
    // start; it is written only when it changed.
    void rememberCrop();
    // The crop remembered, null for none (the first crop).
    QVariant rememberedCrop() const;
    // The current crop's EC, when it has one above 0.
    std::optional<double> cropEc() const;
    // The one factor of the targets that brings the fitted recipe's EC to
    // the given one; none when these fertilizers cannot reach it.
    std::optional<double> ecTargetFactor(double ec);
    // The targets times the factor, unrounded, as one write; then the recipe.
    void scaleTargets(double factor);

    int strength() const { return strength_; }
    void setStrength(int percent) { strength_ = percent; }

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

    // The current crop gets a target row for every plain element it lacks,
    // in the elements' order. Such a row has no target, so the zero-target
    // rule deletes it again at once (with any other row without a target).
    // True when any row came and went; on a base that cannot be written
    // nothing is added.
    bool completeTargets();
    // The last fit's message (why the cheapest fit gave way to the grower's);
    // empty when it had none.
    const QString& fitMessage() const { return fitMessage_; }
    // The totals strips.
    SolutionTotals totals(const SolutionInputs& in) const;

    // DerivedValues
    TargetFigures target(const QVariant& vega, const QVariant& cvet, const QVariant& result,
                         const QVariant& element) const override;
    QVariant lineAtStrength(const QVariant& amount) const override;
    QVariant savedLineForLitres(const QVariant& amount) const override;
    QVariant millilitres(const QVariant& grams, const QVariant& density) const override;

signals:
    // A pass ended: what it leaves to show.
    void passFinished(const ShownPass& pass);

private:
    // The litres the current saved solution is worked out for (as its box
    // shows them, also while they are typed); 0 without one.
    double savedLitres() const;
    // The key of the crop the calculator is on; null without one.
    QVariant currentCrop() const;
    // What is being typed into the composition and the target rows is stored.
    void settleEdits();
    // The zero-target rule over the current crop's rows: those without a
    // target are deleted. True when any was.
    bool removeMissingTargets();
    // The steps of a pass, over inputs read once (inputs()), which they keep
    // in line with what they post.
    // Fits the composition's amounts with the options' fit and posts them.
    // True when the classic solve left out a singular value.
    bool fit(SolutionInputs& in);
    // The message the options' fit gives over these inputs, worked out
    // without posting anything: the amounts shown may come from a fit of an
    // earlier run, whose message was not kept.
    void explainFit(const SolutionInputs& in);
    // Posts each target row's result from the lines (the composition's, or a
    // saved solution's), where it changed.
    void postResults(SolutionInputs& in, const std::vector<LineRecord>& lines);
    // The fit over the inputs, remembering whether it left out a singular value.
    void fitPass(SolutionInputs& in, ShownPass& pass);
    // The composition's results posted, and the pass announced.
    void finishWithComposition(SolutionInputs& in, ShownPass& pass);
    // The figures of the lines shown, read again, announced.
    void announceFigures(ShownPass pass);

    Database& data_;
    int strength_ = 100;
    QString fitMessage_;
    bool compositionShown_ = true;
    bool singularValueLeftOut_ = false;
    std::unordered_map<long long, double> water_;
    std::unordered_map<long long, double> sourceWater_;
};

} // namespace solvane
