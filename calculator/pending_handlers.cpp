// Temporary empty handlers of the saved solutions, so that the library links
// until their own file lands.

#include "calculator/calculator_form.h"

namespace solvane {

void TForm4::Button5Click() {}
void TForm4::N1Click() {}
void TForm4::N5Click() {}
void TForm4::dxDBGrid5Click() {}
void TForm4::dxDBGrid5KeyUp(int) {}
void TForm4::N4Click() {}
void TForm4::dxDBSpinEdit1Change() {}
void TForm4::T_save_rarCalcFields(DataSet&) {}
void TForm4::EXCEL1Click() {}

} // namespace solvane
