#pragma once

#include "controls/form.h"

namespace solvane {

class Program;

// The converter "Конвертер": an amount per litre as a percentage content.
class TF_Converter : public Form {
    Q_OBJECT
public:
    explicit TF_Converter(Program& program);
    ~TF_Converter() override;
};

} // namespace solvane
