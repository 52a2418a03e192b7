// The calculator's saved solutions: saving the composition under a name
// (through the name dialog), renaming and deleting, the concentrations of a
// saved solution, its amounts for a chosen number of litres, and the export
// of its lines and of the concentrations to spreadsheet files.
//
// Re-entry. The pass posts target rows, and every post runs the zero-target
// rule, whose deletion runs the recipe and a calculation from the
// composition. The zero-target rows are therefore removed before the pass
// links T_SOS to the saved lines (each removal may run the recipe, which
// links T_SOS to the composition for its own calculation); the loops then run
// over a list in which no post deletes anything, and their result is that of
// one complete pass over the remaining rows.

#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "controls/message_service.h"
#include "windows/solutions/grid_export.h"
#include "windows/solutions/name_dialog.h"
#include "core/number_text.h"

#include <QLineEdit>

namespace solvane {

namespace {

const QString kLinesFile = QStringLiteral("Состав р-ра.xls");
const QString kConcentrationsFile = QStringLiteral("Концентрация р-ра.xls");

QString OptionalNumber(const Field* field) {
    return field->isNull() ? QString() : FormatNumber(field->asFloat());
}

} // namespace

// ---------------------------------------------------------------- save, rename, delete

void TForm4::Button5Click() {
    program_.NameMode = 0;
    program_.Form5->showWindow();
}

void TForm4::N1Click() {
    program_.NameMode = 1;
    program_.Form5->showWindow();
    const QString name = T_HEAD_RAR.isActive() && !T_HEAD_RAR.isEmpty()
                             ? T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->asString()
                             : QString();
    program_.Form5->Edit1->setText(name);
}

// Only the header goes; its lines stay in the table unless the database
// removes them with it, and are not shown either way.
void TForm4::N5Click() {
    T_HEAD_RAR.deleteRecord();
}

// ---------------------------------------------------------------- the pass

void TForm4::dxDBGrid5Click() {
    SavedSolutionPass();
}

void TForm4::dxDBGrid5KeyUp(int) {
    SavedSolutionPass();
}

void TForm4::N4Click() {
    SavedSolutionPass();
}

void TForm4::SavedSolutionPass() {
    T_save_rar.checkBrowseMode();
    ADOTable2.checkBrowseMode();
    RemoveZeroTargets();
    {
        const DisabledSource targetGrid(DataSource2);
        const Bookmark crop = ADOTable3.isActive() ? ADOTable3.bookmark() : kNoBookmark;

        T_SOS.setMaster(&DS_SAVE_RAR, QStringLiteral("id_udobra"), QStringLiteral("id_udobra"));
        const Bookmark header = T_HEAD_RAR.isActive() ? T_HEAD_RAR.bookmark() : kNoBookmark;
        T_SOS.close();
        T_SOS.open();
        if (T_HEAD_RAR.isActive() && T_HEAD_RAR.bookmarkValid(header) && T_HEAD_RAR.bookmark() != header)
            T_HEAD_RAR.gotoBookmark(header);

        CompositionConcentrations = false;
        AddConcentrations(T_save_rar);
        RoundConcentrations();
        returnToCrop(crop);

        setLitresCaption(QStringLiteral("Кол-во, г/") + FormatNumber(litres()) + QStringLiteral(" л."));
        reopenLines();
    }
    UpdateTotals();
}

// ---------------------------------------------------------------- per-litres amounts

double TForm4::litres() const {
    double value = 0;
    if (!dxDBSpinEdit1 || !TryParseFloat(dxDBSpinEdit1->valueText(), value))
        return 0;
    return value;
}

void TForm4::setLitresCaption(const QString& caption) {
    if (dxDBGrid4kol_temp && dxDBGrid4kol_temp->caption() != caption)
        dxDBGrid4kol_temp->setCaption(caption);
}

void TForm4::dxDBSpinEdit1Change() {
    setLitresCaption(QStringLiteral("Кол-во г./") + dxDBSpinEdit1->valueText() + QStringLiteral("л."));
    if (!T_save_rar.isActive())
        return;
    // An amount being typed in the lines grid is kept, not dropped by the reopening.
    T_save_rar.checkBrowseMode();
    reopenLines();
}

// Reading the lines anew computes their per-litres amounts at once, as the
// grid reads them, so the caption is the one of the computed lines even
// before the grid has painted.
void TForm4::reopenLines() {
    T_save_rar.close();
    T_save_rar.open();
    if (!T_save_rar.isEmpty())
        calcFields_.lineKolTemp->value();
}

void TForm4::T_save_rarCalcFields(DataSet&) {
    const CalculationFields& f = calcFields_;
    if (!f.lineKol)
        return;
    f.lineKolTemp->setAsFloat(f.lineKol->asFloat() * litres());
    if (T_HEAD_RAR.isActive())
        setLitresCaption(QStringLiteral("Кол-во г./") + OptionalNumber(f.headerLitres) + QStringLiteral("л."));
}

// ---------------------------------------------------------------- export

void TForm4::EXCEL1Click() {
    SaveGridToXls(*dxDBGrid4, kLinesFile);
    SaveGridToXls(*dxDBGrid3, kConcentrationsFile);
    program_.messages().show(this, MessageKind::Information, QStringLiteral("Инфо"), QStringLiteral("Выгруженно."),
                             MessageButtons::Ok);
}

} // namespace solvane
