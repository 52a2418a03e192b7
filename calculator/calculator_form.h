#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

class QLabel;

namespace solvane {

class Program;

// The calculator "Tarvik v1.2": the working composition, the current crop's
// targets with the concentrations the composition gives, the crops, and the
// saved solutions.
class TForm4 : public Form {
    Q_OBJECT
public:
    explicit TForm4(Program& program);
    ~TForm4() override;

    // Crops and, as their details, the targets and the saved solutions.
    DataSet ADOTable3;
    DataSource DataSource3;
    DataSet ADOTable2;
    DataSource DataSource2;
    DataSet T_HEAD_RAR;
    DataSource DS_HEAD_RAR;
    DataSet T_save_rar;
    DataSource DS_SAVE_RAR;
    // The working composition and the content of its fertilizers.
    DataSet T_rachet;
    DataSource DS_rachet;
    DataSet T_SOS;
    DataSource DS_SOS;
    // Plain elements (no oxides) and the conversion records.
    DataSet T_el;
    DataSource DS_EL;
    DataSet ADOTable1;
    DataSource DataSource1;

    QLabel* Label6; // the fertilizer count

    void FormClose() override;

private:
    Program& program_;
};

} // namespace solvane
