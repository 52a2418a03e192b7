#pragma once

#include "controls/form.h"

namespace solvane {

class Program;

// The name dialog "Введите название" for saving and renaming solutions.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(Program& program);
    ~TForm5() override;

private:
    Program& program_;
};

} // namespace solvane
