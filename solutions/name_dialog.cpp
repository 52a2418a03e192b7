#include "solutions/name_dialog.h"

#include "app/program.h"

namespace solvane {

TForm5::TForm5(Program& program) : Form(program.guard(), QStringLiteral("Form5")), program_(program) {
    setWindowTitle(QStringLiteral("Введите название"));
}

TForm5::~TForm5() = default;

} // namespace solvane
