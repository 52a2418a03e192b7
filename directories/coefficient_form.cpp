#include "directories/coefficient_form.h"

#include "app/program.h"

namespace solvane {

TForm6::TForm6(Program& program) : Form(program.guard(), QStringLiteral("Form6")), program_(program) {
    setWindowTitle(QStringLiteral("Спарвочник коэффициентов"));
}

TForm6::~TForm6() = default;

} // namespace solvane
