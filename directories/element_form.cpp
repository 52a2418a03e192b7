#include "directories/element_form.h"

#include "app/launcher_form.h"
#include "app/program.h"

namespace solvane {

TForm3::TForm3(Program& program)
    : Form(program.guard(), QStringLiteral("Form3")), T_KOF(&program.Form1->ADOConnection1, QStringLiteral("T_KOF")),
      DS_KOF(&T_KOF), T_Element(&program.Form1->ADOConnection1, QStringLiteral("T_Element")), DS_Element(&T_Element),
      program_(program) {
    setWindowTitle(QStringLiteral("Справочник элементов"));
    T_KOF.setTable(QStringLiteral("t_kof"));
    T_Element.setTable(QStringLiteral("T_element"));
    const QString id = QStringLiteral("id_kof");
    T_Element.addLookupField(QStringLiteral("name_k"), ColumnType::Text, 20, id, &T_KOF, id,
                             QStringLiteral("name_kof"));
    T_Element.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, id, &T_KOF, id, QStringLiteral("kof"));
    T_Element.addLookupField(QStringLiteral("oksielement"), ColumnType::Integer, 0, id, &T_KOF, id,
                             QStringLiteral("id_element"));
    // Both sets open with the window, at start-up.
    T_Element.open();
    T_KOF.open();
}

TForm3::~TForm3() = default;

void TForm3::FormClose() {
    program_.closingSequence();
}

} // namespace solvane
