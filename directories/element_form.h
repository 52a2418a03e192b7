#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

namespace solvane {

class Program;

// The element directory "Справочник элементов": elements and oxides, each
// optionally linked to a conversion record. Its two data sets are the lookup
// sources of element names and conversion factors for the whole program.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(Program& program);
    ~TForm3() override;

    DataSet T_KOF;
    DataSource DS_KOF;
    DataSet T_Element;
    DataSource DS_Element;

    void FormClose() override;

private:
    Program& program_;
};

} // namespace solvane
