#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

namespace solvane {

class Program;

// The options window "Опции": it owns the options record and is never shown.
class TForm18 : public Form {
    Q_OBJECT
public:
    explicit TForm18(Program& program);
    ~TForm18() override;

    DataSet ADOTable1;
    DataSource DataSource1;
};

} // namespace solvane
