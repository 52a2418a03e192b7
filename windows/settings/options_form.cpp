#include "windows/settings/options_form.h"

#include "app/launcher_form.h"
#include "app/program.h"

namespace solvane {

TForm18::TForm18(Program& program)
    : Form(program.guard(), QStringLiteral("Form18")),
      ADOTable1(&program.Form1->ADOConnection1, QStringLiteral("ADOTable1")), DataSource1(&ADOTable1) {
    setWindowTitle(QStringLiteral("Опции"));
    ADOTable1.setTable(QStringLiteral("t_opt"));
}

TForm18::~TForm18() = default;

} // namespace solvane
