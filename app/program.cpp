// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include "app/launcher_window.h"
#include "store/database.h"
#include "store/open_base.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/solution_analysis_window.h"
#include "windows/calculator/stock_solutions_window.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/converter_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/directories/water_profiles_window.h"
#include "windows/settings/options.h"
#include "windows/settings/options_window.h"
#include "windows/solutions/solution_name_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace solvane {

// The event loop ends at once: QCoreApplication::quit() would first close
// every window, running the calculator's closing sequence (which saves its
// size) and, when that fails (a folder that cannot be written), cancelling
// the end, so the program could not be left.
Program::Program() : quit([] { QCoreApplication::exit(0); }) {
    data_ = std::make_unique<Database>();
    messages_.setConnection(&data_->connection());
    guard_.setConnection(&data_->connection());
    launcher_ = std::make_unique<LauncherWindow>(guard_);
    fertilizers_ = std::make_unique<FertilizerDirectory>(*data_, guard_);
    elements_ = std::make_unique<ElementDirectory>(*data_, guard_);
    calculator_ = std::make_unique<CalculatorWindow>(*data_, guard_);
    nameDialog_ = std::make_unique<SolutionNameDialog>(*data_, guard_);
    coefficients_ = std::make_unique<CoefficientDirectory>(*data_, guard_);
    options_ = std::make_unique<OptionsWindow>(guard_);
    converter_ = std::make_unique<ConverterWindow>(guard_);
    stockSolutions_ = std::make_unique<StockSolutionsWindow>(*data_, guard_, *calculator_);
    analysis_ = std::make_unique<SolutionAnalysisWindow>(*data_, guard_, *calculator_);
    waterProfiles_ = std::make_unique<WaterProfilesWindow>(*data_, guard_);
    places_ = std::make_unique<WindowPlaces>(
        QFileInfo(data_->connection().fileName()).absoluteDir().filePath(QStringLiteral("windows.ini")));
    for (Form* window : {static_cast<Form*>(stockSolutions_.get()), static_cast<Form*>(analysis_.get()),
                         static_cast<Form*>(waterProfiles_.get())})
        window->setPlaceKeeper(places_.get());
    connectWindows();
}

Program::~Program() {
    // Windows go in the reverse order of their creation, without close
    // handlers; the base goes last.
    messages_.setConnection(nullptr);
    guard_.setConnection(nullptr);
    waterProfiles_.reset();
    analysis_.reset();
    stockSolutions_.reset();
    converter_.reset();
    options_.reset();
    coefficients_.reset();
    nameDialog_.reset();
    calculator_.reset();
    elements_.reset();
    fertilizers_.reset();
    launcher_.reset();
    data_.reset();
}

void Program::connectWindows() {
    data_->afterOpenTables = [this] { LoadSizes(rememberedWindows()); };
    // Each launcher button loads the sizes before it shows its window.
    const auto opening = [this](Form* window) {
        return [this, window] {
            LoadSizes(rememberedWindows());
            window->showWindow();
        };
    };
    launcher_->setActions({[this] {
                               showBaseNotes();
                               nameDialog_->resetMode();
                               OpenTables();
                               ApplyOptions();
                               calculator_->openOnRememberedCrop();
                           },
                           [this] {
                               storeTypedValues();
                               calculator_->rememberCrop();
                               for (Form* window : forms())
                                   window->keepPlace();
                               CloseTables();
                               if (quit)
                                   quit();
                           },
                           opening(elements_.get()), opening(fertilizers_.get()), opening(calculator_.get())});

    const auto closing = [this] { closingSequence(); };
    fertilizers_->setClosingSequence(closing);
    fertilizers_->setConverter([this] { converter_->showWindow(); });
    QObject::connect(fertilizers_.get(), &FertilizerDirectory::countChanged, calculator_.get(),
                     [this](const QString& count) { calculator_->showFertilizerCount(count); });
    elements_->setClosingSequence(closing);
    elements_->setCoefficientDirectory([this] { coefficients_->showWindow(); });

    CalculatorWindow::Actions actions;
    actions.openElements = [this] { launcher_->openElements(); };
    actions.openFertilizers = [this] { launcher_->openFertilizers(); };
    actions.openStockSolutions = [this](bool savedSolution) {
        stockSolutions_->open(savedSolution ? StockSolutionsWindow::Source::SavedSolution
                                            : StockSolutionsWindow::Source::Composition);
    };
    actions.openAnalysis = [this] { analysis_->open(); };
    actions.openWaterProfiles = [this] { waterProfiles_->showWindow(); };
    actions.askNameForNew = [this] { nameDialog_->askForNewSolution(); };
    actions.askNameForRename = [this](const QString& name) { nameDialog_->askForNewName(name); };
    actions.closingSequence = closing;
    actions.endProgram = [this] { launcher_->close(); };
    calculator_->setActions(std::move(actions));
    nameDialog_->setSavedWith([this] {
        return SolutionNameDialog::SavedWith{calculator_->strengthText(), calculator_->addedLines()};
    });
    waterProfiles_->setOnClosed([this] { calculator_->waterProfilesChanged(); });
}

std::vector<Form*> Program::forms() const {
    return {launcher_.get(),       fertilizers_.get(),  elements_.get(),     calculator_.get(),
            nameDialog_.get(),     coefficients_.get(), options_.get(),      converter_.get(),
            stockSolutions_.get(), analysis_.get(),     waterProfiles_.get()};
}

RememberedWindows Program::rememberedWindows() const {
    return {elements_.get(), fertilizers_.get(),           calculator_.get(),
            launcher_.get(), fertilizers_->listSplitter(), calculator_->splitters()};
}

void Program::OpenTables() {
    data_->OpenTables();
    places_->setWritable(data_->connection().writable());
}

void Program::CloseTables() {
    data_->CloseTables();
}

void Program::ApplyOptions() {
    const Options options = data_->optionsStore().read();
    calculator_->applyOptions(options);
    launcher_->setAutoStart(options.avto);
}

void Program::showBaseNotes() {
    if (baseNotesShown_)
        return;
    baseNotesShown_ = true;
    const QString text =
        BaseNotesText(data_->connection().notes(), QFileInfo(data_->connection().fileName()).fileName());
    if (!text.isEmpty())
        messages_.show(launcher_.get(), MessageKind::Warning, QStringLiteral("сообщение"), text, MessageButtons::Ok);
}

void Program::storeTypedValues() {
    Connection& connection = data_->connection();
    const std::vector<DataSet*> sets = connection.dataSets();
    for (DataSet* set : sets)
        if (set->isActive() && (set->state() == DataSetState::Edit || set->state() == DataSetState::Insert))
            set->checkBrowseMode();
    if (calculator_->recalculationPending())
        calculator_->recalculate();
    connection.commitPending();
}

void Program::closingSequence() {
    storeTypedValues();
    // The calculator stays on its crop, saved solution and line, and shows
    // results that follow from what the closed window may have changed.
    calculator_->rememberCrop();
    const CalculatorWindow::Place place = calculator_->place();
    // Beside a base opened read-only nothing is written (a read-only folder
    // would refuse size.ini, and the window could never be closed).
    if (data_->connection().writable())
        SaveSizes(rememberedWindows());
    CloseTables();
    OpenTables();
    calculator_->returnTo(place);
    calculator_->refreshResults();
}

} // namespace solvane
