#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

class QGroupBox;
class QPushButton;

namespace solvane {

class DBGrid;
class DBGridColumn;
class DBNavigator;
class Program;

// The element directory "Справочник элементов": elements and oxides, each
// optionally linked to a conversion record. Its two data sets are the lookup
// sources of element names and conversion factors for the whole program.
class TForm3 : public Form {
    Q_OBJECT
public:
    explicit TForm3(Program& program);
    ~TForm3() override;

    DataSet T_KOF;
    DataSource DS_KOF;
    DataSet T_Element;
    DataSource DS_Element;

    QGroupBox* GroupBox1 = nullptr;      // "Список элементов:"
    DBNavigator* DBNavigator1 = nullptr; // insert, post
    QPushButton* Button2 = nullptr;      // "удалить"
    QPushButton* Button3 = nullptr;      // "коэффициэнты"
    QPushButton* Button1 = nullptr;      // "выход"
    DBGrid* dxDBGrid1 = nullptr;         // the elements
    DBGridColumn* dxDBGrid1Smallname = nullptr;
    DBGridColumn* dxDBGrid1Fullname = nullptr;
    DBGridColumn* dxDBGrid1kof = nullptr;    // "Оксид"
    DBGridColumn* dxDBGrid1name_k = nullptr; // "Коэффициент"

    // The keys of the elements that can never be deleted.
    static constexpr int kFirstKeyElement = 1;
    static constexpr int kLastKeyElement = 6;

    // "удалить": deletes the current element after asking, never a key element.
    void Button2Click();
    // "коэффициэнты": shows the coefficient directory.
    void Button3Click();
    // "выход"
    void Button1Click();

    void FormClose() override;

private:
    void buildLayout();

    Program& program_;
};

} // namespace solvane
