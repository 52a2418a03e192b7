#include "directories/fertilizer_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "directories/element_form.h"

namespace solvane {

TForm2::TForm2(Program& program)
    : Form(program.guard(), QStringLiteral("Form2")),
      T_Udobra(&program.Form1->ADOConnection1, QStringLiteral("T_Udobra")), DS_UDobRA(&T_Udobra),
      T_Sostav_Udobra(&program.Form1->ADOConnection1, QStringLiteral("T_Sostav_Udobra")), DS_SOSTAV(&T_Sostav_Udobra),
      program_(program) {
    setWindowTitle(QStringLiteral("Справочник удобрений"));
    T_Udobra.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"), QStringLiteral("t_udobra"));
    T_Sostav_Udobra.setTable(QStringLiteral("T_sostav_udobra"));
    T_Sostav_Udobra.setMaster(&DS_UDobRA, QStringLiteral("id_udobra"), QStringLiteral("id_udobra"));
}

TForm2::~TForm2() = default;

void TForm2::linkWindows() {
    DataSet* elements = &program_.Form3->T_Element;
    const QString id = QStringLiteral("id_element");
    T_Sostav_Udobra.addLookupField(QStringLiteral("name_element"), ColumnType::Text, 10, id, elements, id,
                                   QStringLiteral("Smallname_element"));
    val_ = T_Sostav_Udobra.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, id, elements, id,
                                          QStringLiteral("val"));
    free_ = T_Sostav_Udobra.addCalculatedField(QStringLiteral("free"), ColumnType::Double);
    okel_ = T_Sostav_Udobra.addLookupField(QStringLiteral("okel"), ColumnType::Integer, 0, id, elements, id,
                                           QStringLiteral("oksielement"));
    freeid_ = T_Sostav_Udobra.addCalculatedField(QStringLiteral("freeid"), ColumnType::Integer);
    kolElement_ = T_Sostav_Udobra.fieldByName(QStringLiteral("kol_element"));
    idElement_ = T_Sostav_Udobra.fieldByName(id);
    T_Sostav_Udobra.onCalcFields = [this](DataSet& ds) { T_Sostav_UdobraCalcFields(ds); };
}

void TForm2::T_Sostav_UdobraCalcFields(DataSet&) {
    // Only the conversion record decides, not the element's oxide mark.
    if (val_->isNull())
        free_->setValue(kolElement_->value());
    else
        free_->setAsFloat(kolElement_->asFloat() * val_->asFloat());
    if (okel_->isNull())
        freeid_->setValue(idElement_->value());
    else
        freeid_->setValue(okel_->value());
}

void TForm2::FormClose() {
    program_.closingSequence();
}

} // namespace solvane
