// The concentration calculation of the calculator: the element concentrations
// that the composition gives for the current crop's target rows, their
// rounding, the totals strips, the strength percentage and the recalculation
// timer.
//
// Re-entry. Every post of a target row runs the zero-target rule, which
// deletes a row whose target is 0 or empty and, through the deletion, runs the
// recipe and a nested calculation. So that every calculation is one complete
// pass over the rows that remain, the zero-target rows are removed before the
// loops (each removal may run the recipe and its own calculation, which finds
// none left); the loops then run over a list in which no post deletes
// anything. The nesting is bounded by the number of zero-target rows.

#include "windows/calculator/calculator_form.h"

#include "app/program.h"
#include "core/rounding.h"
#include "controls/db_grid.h"
#include "windows/settings/options_form.h"
#include "core/number_text.h"
#include "store/row_place.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace solvane {

namespace {

constexpr int kRecalculationDelayMs = 1500;
constexpr int kFullStrength = 100;

QString TotalText(double sum) {
    return QStringLiteral("   ") + FormatNumber(RoundToDecimals(sum, 2));
}

} // namespace

void TForm4::installCalculation() {
    calcFields_.vega = ADOTable2.fieldByName(QStringLiteral("vega"));
    calcFields_.cvet = ADOTable2.fieldByName(QStringLiteral("cvet"));
    calcFields_.rachet = ADOTable2.fieldByName(QStringLiteral("rachet"));
    calcFields_.vagaCalc = ADOTable2.fieldByName(QStringLiteral("vaga_calc"));
    calcFields_.cvetCalc = ADOTable2.fieldByName(QStringLiteral("cvet_calc"));
    calcFields_.rPr = ADOTable2.fieldByName(QStringLiteral("r_pr"));
    calcFields_.targetElement = ADOTable2.fieldByName(QStringLiteral("id_el"));
    calcFields_.water = ADOTable2.fieldByName(QStringLiteral("voda"));
    calcFields_.kol = T_rachet.fieldByName(QStringLiteral("kol"));
    calcFields_.kolPr = T_rachet.fieldByName(QStringLiteral("kol_pr"));
    calcFields_.lineKol = T_save_rar.fieldByName(QStringLiteral("kol"));
    calcFields_.lineKolTemp = T_save_rar.fieldByName(QStringLiteral("kol_temp"));
    calcFields_.headerLitres = T_HEAD_RAR.fieldByName(QStringLiteral("kol_l"));
    ADOTable2.onCalcFields = [this](DataSet& set) { ADOTable2CalcFields(set); };
    T_rachet.onCalcFields = [this](DataSet& set) { T_rachetCalcFields(set); };
    Timer1->setSingleShot(true);
    Timer1->setInterval(kRecalculationDelayMs);
}

// ---------------------------------------------------------------- calculation

void TForm4::Button4Click() {
    const Bookmark crop = ADOTable3.isActive() ? ADOTable3.bookmark() : kNoBookmark;
    T_rachet.checkBrowseMode();
    // A target being typed is settled first (its post may delete it), then the
    // zero-target rows go, so that no post in the loops below deletes a row.
    ADOTable2.checkBrowseMode();
    // The lists end on the rows they were on, found again by key.
    const RowPlace lineAt = RowPlace::of(T_rachet, kLineKey);
    const RowPlace targetAt = RowPlace::of(ADOTable2, kTargetKey);
    RemoveZeroTargets();
    {
        const DisabledSource targetGrid(DataSource2);
        const DisabledSource lines(DS_rachet);

        T_SOS.setMaster(&DS_rachet, QStringLiteral("id_udobra"), QStringLiteral("id_udobra"));
        T_SOS.close();
        T_SOS.open();
        CompositionConcentrations = true;
        AddConcentrations(T_rachet);
        RoundConcentrations();
        returnToCrop(crop);
    }
    UpdateTotals();
    lineAt.returnTo(T_rachet, kLineKey);
    targetAt.returnTo(ADOTable2, kTargetKey);
}

// Every target row of the crop gets 0, then what each content row of each
// line's fertilizer gives it, in mg per litre: the lines are the composition
// or a saved solution's lines, and T_SOS is linked to them, so it holds the
// content rows of the current line's fertilizer.
void TForm4::AddConcentrations(DataSet& lines) {
    Field* const targetElement = ADOTable2.fieldByName(QStringLiteral("id_el"));
    Field* const result = ADOTable2.fieldByName(QStringLiteral("rachet"));
    Field* const amount = lines.fieldByName(QStringLiteral("kol"));
    Field* const contentElement = T_SOS.fieldByName(QStringLiteral("id_element"));
    Field* const contentPercent = T_SOS.fieldByName(QStringLiteral("kol_element"));
    Field* const yieldedElement = T_SOS.fieldByName(QStringLiteral("id_el"));
    Field* const coefficient = T_SOS.fieldByName(QStringLiteral("kof"));

    for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
        ADOTable2.edit();
        result->setAsFloat(0.0);
        ADOTable2.post();
    }

    for (lines.first(); !lines.eof(); lines.next()) {
        const double grams = amount->asFloat();
        for (T_SOS.first(); !T_SOS.eof(); T_SOS.next()) {
            const long long element = contentElement->asLargeInt();
            const long long yielded = yieldedElement->asLargeInt();
            const double share = (contentPercent->asFloat() * 10.0) * grams;
            const double factor = coefficient->asFloat();
            for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
                const long long target = targetElement->asLargeInt();
                // The direct match first; an oxide counts toward the element
                // it yields only where it is not itself the target.
                if (element == target) {
                    ADOTable2.edit();
                    result->setAsFloat(share + result->asFloat());
                    ADOTable2.post();
                } else if (yielded == target) {
                    ADOTable2.edit();
                    result->setAsFloat(share * factor + result->asFloat());
                    ADOTable2.post();
                }
            }
        }
    }

    // The source water counted brings its own share, added before the rounding.
    if (waterAmounts_.empty())
        return;
    for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
        const auto water = waterAmounts_.find(targetElement->asLargeInt());
        if (water == waterAmounts_.end())
            continue;
        ADOTable2.edit();
        result->setAsFloat(result->asFloat() + water->second);
        ADOTable2.post();
    }
}

// Back to the remembered crop, without settling a crop row being typed.
void TForm4::returnToCrop(Bookmark crop) {
    if (ADOTable3.isActive() && ADOTable3.state() == DataSetState::Browse && ADOTable3.bookmarkValid(crop) &&
        ADOTable3.bookmark() != crop)
        ADOTable3.gotoBookmark(crop);
}

void TForm4::RoundConcentrations() {
    Field* const result = ADOTable2.fieldByName(QStringLiteral("rachet"));
    for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
        const double value = result->asFloat();
        ADOTable2.edit();
        result->setAsFloat(RoundToDecimals(value, 4));
        ADOTable2.post();
    }
}

void TForm4::UpdateTotals() {
    DataSet& options = program_.Form18->ADOTable1;
    const auto option = [&options](const char* name) {
        return options.isActive() && !options.isEmpty() && options.fieldByName(QString::fromLatin1(name))->asBoolean();
    };

    ADOTable2.checkBrowseMode();
    T_rachet.checkBrowseMode();
    // Both sets end on the rows they were on; their grids show that once.
    const RowPlace lineAt = RowPlace::of(T_rachet, kLineKey);
    const RowPlace targetAt = RowPlace::of(ADOTable2, kTargetKey);
    const DisabledSource targetGrid(DataSource2);
    const DisabledSource lines(DS_rachet);

    double results = 0, resultsAtStrength = 0, targets = 0, flowering = 0;
    ADOTable2.first();
    if (option("ppm1")) {
        Field* const result = ADOTable2.fieldByName(QStringLiteral("rachet"));
        Field* const target = ADOTable2.fieldByName(QStringLiteral("vaga_calc"));
        Field* const floweringTarget = ADOTable2.fieldByName(QStringLiteral("cvet_calc"));
        Field* const resultAtStrength = ADOTable2.fieldByName(QStringLiteral("r_pr"));
        for (; !ADOTable2.eof(); ADOTable2.next()) {
            results += result->asFloat();
            targets += target->asFloat();
            flowering += floweringTarget->asFloat();
            resultsAtStrength += resultAtStrength->asFloat();
        }
    }

    double ppm = 0, ppmAtStrength = 0;
    T_rachet.first();
    if (option("ppm2")) {
        Field* const figure = T_rachet.fieldByName(QStringLiteral("ppm"));
        Field* const amount = T_rachet.fieldByName(QStringLiteral("kol"));
        Field* const amountAtStrength = T_rachet.fieldByName(QStringLiteral("kol_pr"));
        for (; !T_rachet.eof(); T_rachet.next()) {
            ppm += figure->asFloat() * amount->asFloat();
            ppmAtStrength += figure->asFloat() * amountAtStrength->asFloat();
        }
    }
    lineAt.returnTo(T_rachet, kLineKey);
    targetAt.returnTo(ADOTable2, kTargetKey);

    Label4->setText(TotalText(results));
    Label5->setText(TotalText(targets));
    Label9->setText(TotalText(flowering));
    Label13->setText(TotalText(resultsAtStrength));
    Label10->setText(TotalText(ppm));
    Label11->setText(TotalText(ppmAtStrength));
}

// ---------------------------------------------------------------- calculated fields

void TForm4::ADOTable2CalcFields(DataSet&) {
    const CalculationFields& f = calcFields_;
    if (!f.vega)
        return;
    const double p = strength();
    f.vagaCalc->setAsFloat(RoundToDecimals((f.vega->asFloat() / 100.0) * p, 2));
    f.cvetCalc->setAsFloat(RoundToDecimals((f.cvet->asFloat() / 100.0) * p, 2));
    f.rPr->setAsFloat((f.rachet->asFloat() / 100.0) * p);
    // What the counted source water brings of the row's element; empty without water.
    const auto water = waterAmounts_.find(f.targetElement->asLargeInt());
    f.water->setValue(water == waterAmounts_.end() ? QVariant() : QVariant(water->second));
}

void TForm4::T_rachetCalcFields(DataSet&) {
    const CalculationFields& f = calcFields_;
    if (!f.kol)
        return;
    f.kolPr->setAsFloat((f.kol->asFloat() / 100.0) * strength());
}

// ---------------------------------------------------------------- strength

int TForm4::strength() const {
    return RxSlider1 ? RxSlider1->value() : kFullStrength;
}

namespace {
QString StrengthCaption(int percent) {
    return QStringLiteral("Концентрация %1 %").arg(percent);
}
} // namespace

// The calculated fields of both sets depend on the strength: they are
// recomputed and the grids shown anew (refreshing settles a pending edit, as
// the moves of the totals do anyway).
void TForm4::RxSlider1Change() {
    const int p = strength();
    {
        // The box shows the value; its own change handler has nothing to add.
        const QSignalBlocker blocker(Edit2);
        Edit2->setText(QString::number(p));
    }
    GroupStrength->setTitle(StrengthCaption(p));
    T_rachet.refresh();
    ADOTable2.refresh();
    UpdateTotals();
}

void TForm4::Edit2Change() {
    const QString text = Edit2->text();
    if (!text.isEmpty()) {
        const int typed = ParseInteger(text);
        const int before = RxSlider1->value();
        {
            const QSignalBlocker blocker(RxSlider1);
            RxSlider1->setValue(typed); // the slider clamps it to its range
        }
        if (RxSlider1->value() != before)
            RxSlider1Change();
    }
    GroupStrength->setTitle(StrengthCaption(strength()));
    T_rachet.refresh();
    ADOTable2.refresh();
    UpdateTotals();
}

void TForm4::setStrengthMaximum(int maximum) {
    if (maximum <= RxSlider1->minimum())
        return;
    const int before = RxSlider1->value();
    {
        const QSignalBlocker blocker(RxSlider1);
        RxSlider1->setRange(0, maximum);
    }
    if (before > maximum)
        RxSlider1Change();
}

// ---------------------------------------------------------------- recalculation timer

void TForm4::armRecalculation() {
    // A burst of edits fires once, 1500 ms after the first of them.
    if (!Timer1->isActive())
        Timer1->start();
}

void TForm4::dxDBGrid3vegaChange() {
    armRecalculation();
}

void TForm4::dxDBGrid2Column2Change() {
    armRecalculation();
}

bool TForm4::cellBeingEdited() const {
    return dxDBGrid3->isEditing() || dxDBGrid2->isEditing();
}

void TForm4::Timer1Timer() {
    // A target or an amount still being typed is not cut short: the
    // recalculation waits for its edit to end (cellEditorClosed).
    if (cellBeingEdited()) {
        Timer1->stop();
        recalculationWaiting_ = true;
        return;
    }
    recalculate();
}

void TForm4::recalculate() {
    recalculationWaiting_ = false;
    // The post may delete the row (zero-target rule), which runs the recipe too.
    ADOTable2.checkBrowseMode();
    Button10Click();
    Timer1->stop();
}

bool TForm4::recalculationPending() const {
    return Timer1->isActive() || recalculationWaiting_;
}

void TForm4::cellEditorClosed() {
    if (!recalculationWaiting_ || cellBeingEdited())
        return;
    // After the closing editor's value is in its field.
    QTimer::singleShot(0, this, [this] {
        if (recalculationWaiting_ && !cellBeingEdited())
            runGuarded([this] { recalculate(); });
    });
}

} // namespace solvane
