#pragma once

#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "store/open_tables.h"

#include <functional>
#include <memory>
#include <vector>

namespace solvane {

class Form;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm18;
class TF_Converter;
class TF_StockSolutions;
class TF_Analysis;
class WaterProfilesWindow;

// The running program: it creates the windows once, in a fixed order
// (launcher, fertilizer directory, element directory, calculator, name
// dialog, coefficient directory, options window, converter, then the two
// mixing tools: stock concentrates and solution analysis, and the source
// water's profiles), and lets each
// reach the others. None is shown while they are created. Creating the
// launcher opens the database and creating the element directory opens its
// two data sets; either failing throws Error and no window remains.
class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    MessageService& messages() { return messages_; }
    HandlerGuard& guard() { return guard_; }

    // Tells the name dialog to save the composition as a new solution (0) or
    // to rename the current saved solution (1).
    int NameMode = 0;

    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm18> Form18;
    std::unique_ptr<TF_Converter> F_Converter;
    std::unique_ptr<TF_StockSolutions> F_StockSolutions;
    std::unique_ptr<TF_Analysis> F_Analysis;
    std::unique_ptr<WaterProfilesWindow> WaterProfiles;

    // The windows in the order of their creation.
    std::vector<Form*> forms() const;

    ProgramDataSets dataSets();
    void OpenTables();
    void CloseTables();
    // Stores what the user typed into any window before data sets are closed
    // and read again: every pending change is posted (the controls write their
    // open editors into the fields first) while every data set is still open,
    // so after-post handlers run as on any post; the calculator's pending
    // recalculation runs too. Then the running action's writes are committed,
    // so that a failure is reported before anything is closed.
    void storeTypedValues();
    // What closing the fertilizer directory, the element directory or the
    // calculator runs: what was typed is stored, the sizes are saved and
    // every data set is read again.
    void closingSequence();

    // Ends the event loop; tests replace it to watch for the end.
    std::function<void()> quit;

private:
    MessageService messages_;
    HandlerGuard guard_{messages_};
};

} // namespace solvane
