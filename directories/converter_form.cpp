#include "directories/converter_form.h"

#include "app/program.h"

namespace solvane {

TF_Converter::TF_Converter(Program& program) : Form(program.guard(), QStringLiteral("F_Converter")) {
    setWindowTitle(QStringLiteral("Конвертер"));
}

TF_Converter::~TF_Converter() = default;

} // namespace solvane
