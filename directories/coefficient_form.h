#pragma once

#include "controls/form.h"

namespace solvane {

class Program;

// The coefficient directory "Спарвочник коэффициентов": the conversion records
// that turn an oxide's percentage into its element's.
class TForm6 : public Form {
    Q_OBJECT
public:
    explicit TForm6(Program& program);
    ~TForm6() override;

private:
    Program& program_;
};

} // namespace solvane
