#pragma once

#include "controls/form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace solvane {

class DBGrid;
class DBGridColumn;
class DBLookupCombo;
class DBNavigator;
class Program;

// The coefficient directory "Спарвочник коэффициентов": the conversion records
// that turn an oxide's percentage into its element's. It edits the element
// directory's T_KOF through DS_KOF; the element a record yields is chosen
// among the plain elements of the calculator's T_el.
class TForm6 : public Form {
    Q_OBJECT
public:
    explicit TForm6(Program& program);
    ~TForm6() override;

    QGroupBox* GroupBox1 = nullptr;             // "Список Коэффициентов:"
    DBGrid* dxDBGrid1 = nullptr;                // the conversion records
    DBGridColumn* dxDBGrid1name_kof = nullptr;  // "Название коэффициента"
    DBGridColumn* dxDBGrid1kof = nullptr;       // "Значение коэффц."
    QLabel* Label1 = nullptr;                   // "Коэффициент "
    QLabel* Label2 = nullptr;                   // "пересчета"
    QLabel* Label3 = nullptr;                   // "элемента:"
    DBLookupCombo* DBLookupComboBox1 = nullptr; // the element the record yields
    QLabel* Label4 = nullptr;                   // "Внимание!"
    QLabel* Label5 = nullptr;                   // "не удаляйте"
    QLabel* Label6 = nullptr;                   // "используемые"
    QLabel* Label7 = nullptr;                   // "коэффициенты"
    DBNavigator* DBNavigator1 = nullptr;        // insert, delete, post
    QPushButton* Button1 = nullptr;             // "выход"

    // "выход"
    void Button1Click();

    void FormClose() override;

private:
    void buildLayout();

    Program& program_;
};

} // namespace solvane
