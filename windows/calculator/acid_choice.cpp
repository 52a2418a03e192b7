// SPDX-License-Identifier: GPL-3.0-or-later
// The acid that neutralises the counted water's bicarbonate: "Кислота:"
// beside "Вода:", its dose under it, and its line under the composition. The
// model adds the line and its amount (model/acid_line.h); the window shows
// them and stores the choice.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "core/error.h"
#include "core/number_text.h"
#include "core/tank_cost.h"
#include "model/acid_line.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/options.h"
#include "windows/calculator/added_line_row.h"
#include "windows/calculator/mixing_sources.h"
#include "windows/calculator/saved_solutions_pane.h"

#include <QComboBox>
#include <algorithm>
#include <unordered_set>
#include <QLabel>
#include <QSignalBlocker>

namespace solvane {

namespace {

const LineRecord* AddedLine(const std::vector<LineRecord>& lines) {
    for (const LineRecord& line : lines)
        if (line.derived)
            return &line;
    return nullptr;
}

} // namespace

void CalculatorWindow::showAcidChoice() {
    const QVariant chosen = data_.optionsStore().acid();
    const QSignalBlocker block(acidBox_);
    acidBox_->clear();
    acidBox_->addItem(QStringLiteral("без кислоты"), QVariant());
    for (const FertilizerRecord& fertilizer : FertilizerRecords(data_.rowsOf(col::fertilizers::table)))
        if (fertilizer.acid)
            acidBox_->addItem(fertilizer.name, fertilizer.key);
    acidBox_->setCurrentIndex(chosen.isNull() ? 0 : std::max(0, acidBox_->findData(chosen.toLongLong())));
    acidBox_->setToolTip(acidBox_->currentText());
}

void CalculatorWindow::chooseAcid(const QVariant& fertilizer) {
    if (!fertilizer.isNull()) {
        const SolutionInputs in = solution_.inputs();
        if (!(AcidityOf(in, fertilizer.toLongLong()) > 0.0)) {
            showAcidChoice();
            throw Error(QStringLiteral("«") + acidBox_->itemText(acidBox_->findData(fertilizer)) +
                        QStringLiteral("» не даёт кислотности: в нём нет N, P или S"));
        }
    }
    data_.optionsStore().setAcid(fertilizer);
    showAcidChoice();
    buildRecipe();
}

void CalculatorWindow::showAcidLine(const SolutionInputs& in) {
    acidDose_->setText(in.acidLabel);
    millilitresColumn_->setVisible(AnyLiquid(LiquidFertilizers(in), in.lines));
    savedPane_->showSavedMillilitres(in);
    const LineRecord* line = AddedLine(in.lines);
    if (!line) {
        acidLineRow_->showTexts({}, {});
        return;
    }
    const Directories directories(in);
    const FertilizerRecord* fertilizer = directories.fertilizer(line->fertilizer);
    const double grams = line->amount.value_or(0.0);
    QStringList texts, tips;
    std::vector<bool> numbers;
    for (const DBGridColumn* column : compositionGrid_->visibleColumns()) {
        const QString& field = column->fieldName();
        QString text;
        if (field == col::lines::name)
            text = LineName(directories, *line);
        else if (field == col::lines::amount)
            text = FormatNumber(grams, column->significantDigits());
        else if (field == col::lines::millilitres && fertilizer && fertilizer->density && *fertilizer->density > 0.0)
            text = FormatNumber(MillilitresOf(grams, *fertilizer->density), column->significantDigits());
        texts << text;
        tips << (field == col::lines::name ? text : QString());
        numbers.push_back(field != col::lines::name);
    }
    acidLineRow_->showTexts(texts, numbers, tips);
}

SourceLines CalculatorWindow::mixingLines(bool composition) const {
    const SolutionInputs in = solution_.inputs();
    const bool saved = data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty();
    const std::vector<LineRecord> lines = composition ? in.lines
                                          : saved     ? solution_.savedLines()
                                                      : std::vector<LineRecord>();
    SourceLines out;
    out.lines = MixingLines(in, lines);
    for (const LineRecord& line : lines)
        out.keys.push_back(line.fertilizer.value_or(0));
    return out;
}

std::vector<LineRecord> CalculatorWindow::addedLines() const {
    std::vector<LineRecord> added;
    for (const LineRecord& line : solution_.inputs().lines)
        if (line.derived)
            added.push_back(line);
    return added;
}

} // namespace solvane
