#include "calculator/calculator_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "directories/element_form.h"
#include "directories/fertilizer_form.h"

#include <QLabel>

namespace solvane {

namespace {
Connection* connectionOf(Program& program) {
    return &program.Form1->ADOConnection1;
}
} // namespace

TForm4::TForm4(Program& program)
    : Form(program.guard(), QStringLiteral("Form4")), ADOTable3(connectionOf(program), QStringLiteral("ADOTable3")),
      DataSource3(&ADOTable3), ADOTable2(connectionOf(program), QStringLiteral("ADOTable2")), DataSource2(&ADOTable2),
      T_HEAD_RAR(connectionOf(program), QStringLiteral("T_HEAD_RAR")), DS_HEAD_RAR(&T_HEAD_RAR),
      T_save_rar(connectionOf(program), QStringLiteral("T_save_rar")), DS_SAVE_RAR(&T_save_rar),
      T_rachet(connectionOf(program), QStringLiteral("T_rachet")), DS_rachet(&T_rachet),
      T_SOS(connectionOf(program), QStringLiteral("T_SOS")), DS_SOS(&T_SOS),
      T_el(connectionOf(program), QStringLiteral("T_el")), DS_EL(&T_el),
      ADOTable1(connectionOf(program), QStringLiteral("ADOTable1")), DataSource1(&ADOTable1), program_(program) {
    setWindowTitle(QStringLiteral("Tarvik v1.2"));
    DataSet* fertilizers = &program.Form2->T_Udobra;
    DataSet* elements = &program.Form3->T_Element;
    DataSet* coefficients = &program.Form3->T_KOF;

    ADOTable3.setTable(QStringLiteral("T_kult"));

    ADOTable2.setTable(QStringLiteral("t_konc"));
    ADOTable2.setMaster(&DataSource3, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
    ADOTable2.addLookupField(QStringLiteral("name_el"), ColumnType::Text, 20, QStringLiteral("id_el"), elements,
                             QStringLiteral("id_element"), QStringLiteral("Smallname_element"));
    ADOTable2.addCalculatedField(QStringLiteral("vaga_calc"), ColumnType::Double);
    ADOTable2.addCalculatedField(QStringLiteral("cvet_calc"), ColumnType::Double);
    ADOTable2.addCalculatedField(QStringLiteral("r_pr"), ColumnType::Double);

    T_HEAD_RAR.setTable(QStringLiteral("t_head_rar"));
    T_HEAD_RAR.setMaster(&DataSource3, QStringLiteral("id_kult"), QStringLiteral("id_konc"));

    T_save_rar.setTable(QStringLiteral("t_save_rar"));
    T_save_rar.setMaster(&DS_HEAD_RAR, QStringLiteral("id_head_rar"), QStringLiteral("id_head_rar"));
    T_save_rar.addCalculatedField(QStringLiteral("kol_temp"), ColumnType::Double);
    T_save_rar.addLookupField(QStringLiteral("name"), ColumnType::Text, 50, QStringLiteral("id_udobra"), fertilizers,
                              QStringLiteral("id_udobra"), QStringLiteral("name_udobra"));

    T_rachet.setTable(QStringLiteral("t_rachet"));
    T_rachet.addLookupField(QStringLiteral("name"), ColumnType::Text, 80, QStringLiteral("id_udobra"), fertilizers,
                            QStringLiteral("id_udobra"), QStringLiteral("name_udobra"));
    T_rachet.addCalculatedField(QStringLiteral("kol_pr"), ColumnType::Double);
    T_rachet.addLookupField(QStringLiteral("ppm"), ColumnType::Integer, 0, QStringLiteral("id_udobra"), fertilizers,
                            QStringLiteral("id_udobra"), QStringLiteral("ppm"));

    T_SOS.setTable(QStringLiteral("T_sostav_udobra"));
    T_SOS.addLookupField(QStringLiteral("name"), ColumnType::Text, 20, QStringLiteral("id_element"), elements,
                         QStringLiteral("id_element"), QStringLiteral("Smallname_element"));
    T_SOS.addLookupField(QStringLiteral("id_kof"), ColumnType::Integer, 0, QStringLiteral("id_element"), elements,
                         QStringLiteral("id_element"), QStringLiteral("id_kof"));
    T_SOS.addLookupField(QStringLiteral("kof"), ColumnType::Double, 0, QStringLiteral("id_kof"), coefficients,
                         QStringLiteral("id_kof"), QStringLiteral("kof"));
    T_SOS.addLookupField(QStringLiteral("id_el"), ColumnType::Integer, 0, QStringLiteral("id_kof"), coefficients,
                         QStringLiteral("id_kof"), QStringLiteral("id_element"));

    T_el.setTable(QStringLiteral("T_element"));
    T_el.setFilter(QStringLiteral("kof<>true"));
    T_el.setFiltered(true);
    T_el.onCalcFields = [](DataSet&) {};

    ADOTable1.setTable(QStringLiteral("t_kof"));

    Label6 = new QLabel(QStringLiteral("0"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
}

TForm4::~TForm4() = default;

void TForm4::FormClose() {
    program_.closingSequence();
}

} // namespace solvane
