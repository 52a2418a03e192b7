// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "windows/settings/window_places.h"
#include "windows/settings/window_sizes.h"

#include <QObject>
#include <memory>
#include <vector>

namespace solvane {

class CalculatorWindow;
class CoefficientDirectory;
class ConverterWindow;
class Database;
class ElementDirectory;
class FertilizerDirectory;
class Form;
class LauncherWindow;
class OptionsWindow;
class SolutionAnalysisWindow;
class SolutionNameDialog;
class StockSolutionsWindow;
class WaterProfilesWindow;
class WorkingSolution;

// The running program: the open base.mdb first, then every window once, in a
// fixed order (launcher, fertilizer directory, element directory,
// calculator, name dialog, coefficient directory, options window,
// converter, the stock concentrates, the solution analysis and the water
// profiles), none shown while they are created, and what each asks of the
// others: the windows' requests are signals, which connectWindows() joins
// to what answers them. Opening the base (its connection and its element
// and coefficient sets) failing throws Error and no window remains.
class Program : public QObject {
    Q_OBJECT
public:
    Program();
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    MessageService& messages() { return messages_; }
    HandlerGuard& guard() { return guard_; }
    Database& data() { return *data_; }
    // The working solution the calculator and the mixing tools show.
    WorkingSolution& solution() { return *solution_; }

    LauncherWindow& launcher() { return *launcher_; }
    FertilizerDirectory& fertilizerDirectory() { return *fertilizers_; }
    ElementDirectory& elementDirectory() { return *elements_; }
    CalculatorWindow& calculator() { return *calculator_; }
    SolutionNameDialog& nameDialog() { return *nameDialog_; }
    CoefficientDirectory& coefficientDirectory() { return *coefficients_; }
    OptionsWindow& optionsWindow() { return *options_; }
    ConverterWindow& converter() { return *converter_; }
    StockSolutionsWindow& stockSolutions() { return *stockSolutions_; }
    SolutionAnalysisWindow& analysis() { return *analysis_; }
    WaterProfilesWindow& waterProfiles() { return *waterProfiles_; }

    // The windows in the order of their creation.
    std::vector<Form*> forms() const;
    // The windows size.ini remembers.
    RememberedWindows rememberedWindows() const;

    // Every data set opened (then the sizes loaded) or closed.
    void OpenTables();
    void CloseTables();
    // The start-up box, once, when the launcher is first shown: the base is
    // read-only, it holds triggers or views that are never run, or cells that
    // read as empty.
    void showBaseNotes();
    // The options record carried over to the calculator and the launcher's timer.
    void ApplyOptions();
    // Stores what the user typed into any window before data sets are closed
    // and read again: every pending change is posted (the controls write their
    // open editors into the fields first) while every data set is still open,
    // so after-post handlers run as on any post; the calculator's pending
    // recalculation runs too. Then the running action's writes are committed,
    // so that a failure is reported before anything is closed.
    void storeTypedValues();
    // What closing the fertilizer directory, the element directory or the
    // calculator runs: what was typed is stored, the sizes are saved and
    // every data set is read again; the calculator then stands where it
    // stood and works its results out again.
    void closingSequence();

signals:
    // The program ends (the launcher closed). Connected from the start to
    // ending the event loop; tests disconnect that to watch for the end.
    void ending();

private:
    void connectWindows();
    // A window that size.ini remembers shown, the sizes loaded first.
    void showSized(Form* window);

    MessageService messages_;
    HandlerGuard guard_{messages_};
    bool baseNotesShown_ = false;
    std::unique_ptr<Database> data_;
    // The places of the stock, analysis and water windows, in windows.ini beside base.mdb.
    std::unique_ptr<WindowPlaces> places_;
    std::unique_ptr<LauncherWindow> launcher_;
    std::unique_ptr<FertilizerDirectory> fertilizers_;
    std::unique_ptr<ElementDirectory> elements_;
    // The working solution the calculator and the name dialog show and change.
    std::unique_ptr<WorkingSolution> solution_;
    std::unique_ptr<CalculatorWindow> calculator_;
    std::unique_ptr<SolutionNameDialog> nameDialog_;
    std::unique_ptr<CoefficientDirectory> coefficients_;
    std::unique_ptr<OptionsWindow> options_;
    std::unique_ptr<ConverterWindow> converter_;
    std::unique_ptr<StockSolutionsWindow> stockSolutions_;
    std::unique_ptr<SolutionAnalysisWindow> analysis_;
    std::unique_ptr<WaterProfilesWindow> waterProfiles_;
};

} // namespace solvane
