#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

namespace solvane {

class Program;

// The fertilizer directory "Справочник удобрений": the fertilizer list that
// the whole program shares, and each fertilizer's content in percent by mass.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(Program& program);
    ~TForm2() override;
    // Binds what lives in windows created after this one.
    void linkWindows();

    DataSet T_Udobra;
    DataSource DS_UDobRA;
    DataSet T_Sostav_Udobra;
    DataSource DS_SOSTAV;

    // The content in element terms: an oxide's percentage converted to the
    // element its conversion record yields.
    void T_Sostav_UdobraCalcFields(DataSet& dataSet);

    void FormClose() override;

private:
    Program& program_;
    Field* kolElement_ = nullptr;
    Field* idElement_ = nullptr;
    Field* val_ = nullptr;
    Field* okel_ = nullptr;
    Field* free_ = nullptr;
    Field* freeid_ = nullptr;
};

} // namespace solvane
