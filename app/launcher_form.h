#pragma once

#include "controls/form.h"
#include "store/connection.h"

class QPushButton;
class QTimer;

namespace solvane {

class Program;

// The launcher "Solvane v1.2": three buttons that open the element
// directory, the fertilizer directory and the calculator. It owns the one
// database connection and the timer that opens the calculator by itself.
class TForm1 : public Form {
    Q_OBJECT
public:
    explicit TForm1(Program& program);
    ~TForm1() override;

    Connection ADOConnection1;
    QPushButton* RzButton3; // "Элементы"
    QPushButton* RzButton1; // "Удобрения"
    QPushButton* RzButton2; // "Калькулятор"
    QTimer* Timer1;

    void RzButton3Click();
    void RzButton1Click();
    void RzButton2Click();
    void Timer1Timer();

    void FormShow() override;
    void FormClose() override;

private:
    Program& program_;
};

} // namespace solvane
