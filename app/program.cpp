#include "app/program.h"

#include "app/launcher_form.h"
#include "windows/calculator/analysis_form.h"
#include "windows/calculator/stock_solutions_form.h"
#include "windows/calculator/calculator_form.h"
#include "windows/directories/coefficient_form.h"
#include "windows/directories/converter_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "windows/directories/water_form.h"
#include "windows/settings/options_form.h"
#include "windows/settings/window_sizes.h"
#include "windows/solutions/name_dialog.h"

#include "store/connection.h"
#include "store/dataset.h"

#include <QCoreApplication>
#include <QTimer>

namespace solvane {

Program::Program() : quit([] { QCoreApplication::quit(); }) {
    Form1 = std::make_unique<TForm1>(*this);
    messages_.setConnection(&Form1->ADOConnection1);
    guard_.setConnection(&Form1->ADOConnection1);
    Form2 = std::make_unique<TForm2>(*this);
    Form3 = std::make_unique<TForm3>(*this);
    Form4 = std::make_unique<TForm4>(*this);
    Form5 = std::make_unique<TForm5>(*this);
    Form6 = std::make_unique<TForm6>(*this);
    Form18 = std::make_unique<TForm18>(*this);
    F_Converter = std::make_unique<TF_Converter>(*this);
    F_StockSolutions = std::make_unique<TF_StockSolutions>(*this);
    F_Analysis = std::make_unique<TF_Analysis>(*this);
    WaterProfiles = std::make_unique<WaterProfilesWindow>(*this);
    // Bindings to windows created later than the one that declares them.
    Form2->linkWindows();
}

Program::~Program() {
    // Windows go in the reverse order of their creation, without close handlers.
    messages_.setConnection(nullptr);
    guard_.setConnection(nullptr);
    WaterProfiles.reset();
    F_Analysis.reset();
    F_StockSolutions.reset();
    F_Converter.reset();
    Form18.reset();
    Form6.reset();
    Form5.reset();
    Form4.reset();
    Form3.reset();
    Form2.reset();
    Form1.reset();
}

std::vector<Form*> Program::forms() const {
    return {Form1.get(),      Form2.get(),        Form3.get(),
            Form4.get(),      Form5.get(),        Form6.get(),
            Form18.get(),     F_Converter.get(),  F_StockSolutions.get(),
            F_Analysis.get(), WaterProfiles.get()};
}

ProgramDataSets Program::dataSets() {
    ProgramDataSets s;
    s.connection = &Form1->ADOConnection1;
    s.options = &Form18->ADOTable1;
    s.composition = &Form4->T_rachet;
    s.components = &Form4->T_SOS;
    s.savedHeads = &Form4->T_HEAD_RAR;
    s.savedLines = &Form4->T_save_rar;
    s.plainElements = &Form4->T_el;
    s.elements = &Form3->T_Element;
    s.coefficients = &Form3->T_KOF;
    s.fertilizers = &Form2->T_Udobra;
    s.content = &Form2->T_Sostav_Udobra;
    s.calcCoefficients = &Form4->ADOTable1;
    s.crops = &Form4->ADOTable3;
    s.targets = &Form4->ADOTable2;
    s.waterProfiles = &WaterProfiles->profiles;
    s.waterElements = &WaterProfiles->profileElements;
    s.loadSizes = [this] { LoadSizes(*this); };
    return s;
}

void Program::OpenTables() {
    solvane::OpenTables(dataSets());
}

void Program::CloseTables() {
    solvane::CloseTables(dataSets());
}

void Program::storeTypedValues() {
    Connection& connection = Form1->ADOConnection1;
    // A post's handlers may leave another set with a pending change: a second
    // pass stores that too.
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<DataSet*> sets = connection.dataSets();
        for (DataSet* set : sets)
            if (set->isActive() && (set->state() == DataSetState::Edit || set->state() == DataSetState::Insert))
                set->checkBrowseMode();
    }
    if (Form4->recalculationPending())
        Form4->recalculate();
    connection.commitPending();
}

void Program::closingSequence() {
    storeTypedValues();
    SaveSizes(*this);
    CloseTables();
    OpenTables();
}

} // namespace solvane
