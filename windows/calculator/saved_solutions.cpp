// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's saved solutions: saving the composition under a name
// (through the name dialog), renaming and deleting, the concentrations of a
// saved solution, its amounts for a chosen number of litres, and the export
// of its lines and of the concentrations to spreadsheet files.

#include "windows/calculator/calculator_window.h"
#include "store/columns.h"

#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "core/number_text.h"
#include "store/cascade.h"
#include "store/database.h"
#include "store/disabled_source.h"
#include "windows/solutions/grid_export.h"

namespace solvane {

namespace {

const QString kLinesFile = QStringLiteral("Состав р-ра.xls");
const QString kConcentrationsFile = QStringLiteral("Концентрация р-ра.xls");

QString OptionalNumber(const Field* field) {
    return field->isNull() ? QString() : FormatNumber(field->asFloat());
}

} // namespace

// ---------------------------------------------------------------- save, rename, delete

void CalculatorWindow::saveComposition() {
    relay([this] { emit newSolutionNameRequested(); });
}

void CalculatorWindow::renameSavedSolution() {
    const QString name = data_.savedSolutions.isActive() && !data_.savedSolutions.isEmpty()
                             ? data_.savedSolutions.fieldByName(col::solutions::name)->asString()
                             : QString();
    relay([this, &name] { emit renameRequested(name); });
}

// The header goes with its lines, in one transaction, without a question.
void CalculatorWindow::deleteSavedSolution() {
    DataSet& headers = data_.savedSolutions;
    DataSet& lines = data_.savedLines;
    // An empty list gets the data layer's refusal; a new header is dropped.
    if (!headers.isActive() || headers.isEmpty() || headers.state() == DataSetState::Insert) {
        headers.deleteRecord();
        return;
    }
    lines.checkBrowseMode();
    Connection& connection = data_.connection();
    const long long key = headers.fieldByName(col::solutions::key)->asLargeInt();
    AllOrNothing(connection, {&headers, &lines}, [&] {
        DeleteSolutionLines(connection, key);
        headers.deleteRecord();
    });
    ReloadDataSets({&lines}, {});
}

// ---------------------------------------------------------------- the pass

void CalculatorWindow::calculateSavedSolution() {
    data_.savedLines.checkBrowseMode();
    data_.targets.checkBrowseMode();
    // A row left without a target goes, and the amounts are fitted without it.
    const bool removed = solution_.removeMissingTargets();
    SolutionInputs in = solution_.inputs();
    if (removed)
        fitAmounts(in);
    compositionShown_ = false;
    solution_.postResults(in, solution_.savedLines());
    setLitresCaption(QStringLiteral("Кол-во, г/") + FormatNumber(litres()) + QStringLiteral(" л."));
    reopenLines();
    updateTotals();
}

// ---------------------------------------------------------------- per-litres amounts

double CalculatorWindow::litres() const {
    double value = 0;
    if (!litresBox_ || !TryParseFloat(litresBox_->valueText(), value))
        return 0;
    return value;
}

void CalculatorWindow::setLitresCaption(const QString& caption) {
    if (litresAmountColumn_ && litresAmountColumn_->caption() != caption)
        litresAmountColumn_->setCaption(caption);
    // A liquid's ml for the same litres.
    const QString millilitres = QStringLiteral("мл/") + FormatNumber(litres()) + QStringLiteral(" л.");
    if (litresMillilitresColumn_ && litresMillilitresColumn_->caption() != millilitres)
        litresMillilitresColumn_->setCaption(millilitres);
}

void CalculatorWindow::litresChanged() {
    setLitresCaption(QStringLiteral("Кол-во г./") + litresBox_->valueText() + QStringLiteral("л."));
    if (!data_.savedLines.isActive())
        return;
    // An amount being typed in the lines grid is kept, not dropped by the reopening.
    data_.savedLines.checkBrowseMode();
    reopenLines();
}

// Reading the lines anew computes their per-litres amounts at once, as the
// grid reads them, so the caption is the one of the computed lines even
// before the grid has painted.
void CalculatorWindow::reopenLines() {
    data_.savedLines.close();
    data_.savedLines.open();
    showSavedMillilitres();
    if (!data_.savedLines.isEmpty())
        calcFields_.lineKolTemp->value();
}

void CalculatorWindow::savedLineCalcFields() {
    const CalculationFields& f = calcFields_;
    if (!f.lineKol)
        return;
    f.lineKolTemp->setAsFloat(f.lineKol->asFloat() * litres());
    f.lineMlTemp->setValue(solution_.millilitres(f.lineKolTemp->value(), f.lineDensity->value()));
    if (data_.savedSolutions.isActive())
        setLitresCaption(QStringLiteral("Кол-во г./") + OptionalNumber(f.headerLitres) + QStringLiteral("л."));
}

// ---------------------------------------------------------------- export

void CalculatorWindow::exportToSpreadsheets() {
    SaveGridToXls(*savedLinesGrid_, kLinesFile);
    SaveGridToXls(*targetGrid_, kConcentrationsFile);
    guard().messages().show(this, MessageKind::Information, QStringLiteral("Инфо"), QStringLiteral("Выгруженно."),
                            MessageButtons::Ok);
}

} // namespace solvane
