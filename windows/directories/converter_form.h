#pragma once

#include "controls/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace solvane {

class Program;

// The converter "Конвертер": an amount per litre as a percentage content.
// It reads and writes no data; closing it only hides it, so the amount, the
// unit and the result stay for the next opening.
class TF_Converter : public Form {
    Q_OBJECT
public:
    explicit TF_Converter(Program& program);
    ~TF_Converter() override;

    QLabel* Label1 = nullptr;       // "Кол-во:"
    QLineEdit* Edit1 = nullptr;     // the amount
    QLabel* Label2 = nullptr;       // "Ед-ца измерения:"
    QComboBox* ComboBox1 = nullptr; // the unit
    QWidget* Panel1 = nullptr;      // the result strip
    QLabel* Label3 = nullptr;       // "  Процентное содержание:"
    QLabel* Label4 = nullptr;       // the result

    // The amount changed.
    void Edit1Change();
    // The unit changed (chosen or typed).
    void ComboBox1Change();

    // The position of the unit the box holds, -1 when its text is none of them.
    int unitPosition() const;

private:
    // The result for the amount and unit in the boxes; emptyText is shown
    // when the amount box is empty.
    void convert(const QString& emptyText);
};

} // namespace solvane
