// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include "app/launcher_window.h"
#include "model/working_solution.h"
#include "store/database.h"
#include "store/columns.h"
#include "store/open_base.h"
#include "store/row_place.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/recalculation_timer.h"
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
Program::Program() {
    connect(this, &Program::ending, this, [] { QCoreApplication::exit(0); });
    data_ = std::make_unique<Database>();
    messages_.setConnection(&data_->connection());
    guard_.setConnection(&data_->connection());
    launcher_ = std::make_unique<LauncherWindow>(guard_);
    fertilizers_ = std::make_unique<FertilizerDirectory>(*data_, guard_);
    elements_ = std::make_unique<ElementDirectory>(*data_, guard_);
    solution_ = std::make_unique<WorkingSolution>(*data_);
    calculator_ = std::make_unique<CalculatorWindow>(*data_, *solution_, guard_);
    nameDialog_ = std::make_unique<SolutionNameDialog>(*data_, *solution_, guard_);
    coefficients_ = std::make_unique<CoefficientDirectory>(*data_, guard_);
    options_ = std::make_unique<OptionsWindow>(guard_);
    converter_ = std::make_unique<ConverterWindow>(guard_);
    stockSolutions_ = std::make_unique<StockSolutionsWindow>(*data_, guard_, *solution_);
    analysis_ = std::make_unique<SolutionAnalysisWindow>(*data_, guard_, *solution_);
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
    solution_.reset();
    elements_.reset();
    fertilizers_.reset();
    launcher_.reset();
    data_.reset();
}

namespace {

// Where the calculator stands: its crop, saved solution and composition
// line, by key.
struct CalculatorPlace {
    RowPlace crop;
    RowPlace solution;
    RowPlace line;

    static CalculatorPlace of(Database& data) {
        return {RowPlace::of(data.crops, col::crops::key), RowPlace::of(data.savedSolutions, col::solutions::key),
                RowPlace::of(data.composition, col::lines::key)};
    }
    // Back there after every data set was read again; the crop first, as its
    // saved solutions follow it.
    void returnTo(Database& data) const {
        crop.returnTo(data.crops, col::crops::key);
        solution.returnTo(data.savedSolutions, col::solutions::key);
        line.returnTo(data.composition, col::lines::key);
    }
};

// Joins a window's request to what answers it. The answer runs inside the
// guard's carry, so that its failure reaches the window's action (which
// emitted the request through relay) without passing through Qt.
template <typename Sender, typename Signal, typename Handler>
void Answer(HandlerGuard& guard, Sender* sender, Signal signal, Handler handler) {
    QObject::connect(sender, signal, sender,
                     [&guard, handler](const auto&... request) { guard.carry([&] { handler(request...); }); });
}

} // namespace

void Program::connectWindows() {
    data_->afterOpenTables = [this] { LoadSizes(rememberedWindows()); };
    Answer(guard_, launcher_.get(), &LauncherWindow::shown, [this] {
        showBaseNotes();
        nameDialog_->resetMode();
        OpenTables();
        ApplyOptions();
        // The calculator opens on the crop remembered, or on the first one
        // when it is gone.
        RowPlace{solution_->rememberedCrop(), 1}.returnTo(data_->crops, col::crops::key);
    });
    Answer(guard_, launcher_.get(), &LauncherWindow::closing, [this] {
        storeTypedValues();
        solution_->rememberCrop();
        for (Form* window : forms())
            window->keepPlace();
        CloseTables();
        emit ending();
    });
    // Each launcher button, and the calculator's "E" and "U", load the sizes
    // before they show their window.
    const auto showingSized = [this](Form* window) { return [this, window] { showSized(window); }; };
    Answer(guard_, launcher_.get(), &LauncherWindow::elementsRequested, showingSized(elements_.get()));
    Answer(guard_, launcher_.get(), &LauncherWindow::fertilizersRequested, showingSized(fertilizers_.get()));
    Answer(guard_, launcher_.get(), &LauncherWindow::calculatorRequested, showingSized(calculator_.get()));

    const auto closing = [this] { closingSequence(); };
    Answer(guard_, fertilizers_.get(), &FertilizerDirectory::closing, closing);
    Answer(guard_, fertilizers_.get(), &FertilizerDirectory::converterRequested, [this] { converter_->showWindow(); });
    QObject::connect(fertilizers_.get(), &FertilizerDirectory::countChanged, calculator_->fertilizerPane(),
                     &FertilizerPane::showCount);
    Answer(guard_, elements_.get(), &ElementDirectory::closing, closing);
    Answer(guard_, elements_.get(), &ElementDirectory::coefficientsRequested, [this] { coefficients_->showWindow(); });

    CalculatorWindow* calculator = calculator_.get();
    Answer(guard_, calculator, &CalculatorWindow::elementsRequested, showingSized(elements_.get()));
    Answer(guard_, calculator, &CalculatorWindow::fertilizersRequested, showingSized(fertilizers_.get()));
    Answer(guard_, calculator, &CalculatorWindow::stockSolutionsRequested, [this](bool savedSolution) {
        stockSolutions_->open(savedSolution ? StockSolutionsWindow::Source::SavedSolution
                                            : StockSolutionsWindow::Source::Composition);
    });
    Answer(guard_, calculator, &CalculatorWindow::analysisRequested, [this] { analysis_->open(); });
    Answer(guard_, calculator, &CalculatorWindow::waterProfilesRequested, [this] { waterProfiles_->showWindow(); });
    Answer(guard_, calculator, &CalculatorWindow::newSolutionNameRequested,
           [this] { nameDialog_->askForNewSolution(); });
    Answer(guard_, calculator, &CalculatorWindow::renameRequested,
           [this](const QString& name) { nameDialog_->askForNewName(name); });
    Answer(guard_, calculator, &CalculatorWindow::closing, closing);
    Answer(guard_, calculator, &CalculatorWindow::endRequested, [this] { launcher_->close(); });
    Answer(guard_, nameDialog_.get(), &SolutionNameDialog::newSolutionSaving,
           [this] { nameDialog_->supplyStrength(calculator_->cropPane()->strengthText()); });
    Answer(guard_, waterProfiles_.get(), &WaterProfilesWindow::waterProfilesClosed,
           [this] { calculator_->waterProfilesChanged(); });
}

void Program::showSized(Form* window) {
    LoadSizes(rememberedWindows());
    window->showWindow();
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
    // A crop being typed in the calculator is stored first, with what follows
    // from it there.
    if (data_->crops.isActive() && data_->crops.checkBrowseMode())
        calculator_->cropPane()->cropPosted();
    const std::vector<DataSet*> sets = connection.dataSets();
    for (DataSet* set : sets)
        if (set->isActive() && set->isEditing())
            set->checkBrowseMode();
    if (calculator_->recalculation()->pending())
        calculator_->recalculation()->runNow();
    connection.commitPending();
}

void Program::closingSequence() {
    storeTypedValues();
    // The calculator stays on its crop, saved solution and line, and shows
    // results that follow from what the closed window may have changed.
    solution_->rememberCrop();
    const CalculatorPlace place = CalculatorPlace::of(*data_);
    // Beside a base opened read-only nothing is written (a read-only folder
    // would refuse size.ini, and the window could never be closed).
    if (data_->connection().writable())
        SaveSizes(rememberedWindows());
    CloseTables();
    OpenTables();
    place.returnTo(*data_);
    guard_.relay([this] { solution_->refresh(); });
}

} // namespace solvane
