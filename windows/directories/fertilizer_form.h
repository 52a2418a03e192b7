#pragma once

#include "controls/form.h"
#include "store/data_source.h"
#include "store/dataset.h"

#include <QVariant>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace solvane {

class DBGrid;
class DBGridColumn;
class DBNavigator;
class Program;
class Splitter;
enum class NavButton;

// A content row in element terms (the fields free and freeid): the
// percentage kolElement of the element idElement, converted by the element's
// conversion record when it has one (val: the record's coefficient, okel: the
// element the record yields). Only the record decides, not the element's
// oxide mark; a record without a coefficient leaves the percentage as it is.
struct ContentInElementTerms {
    QVariant free;
    QVariant freeid;
};
ContentInElementTerms InElementTerms(const QVariant& kolElement, const QVariant& idElement, const QVariant& val,
                                     const QVariant& okel);

// The fertilizer directory "Справочник удобрений": the fertilizer list that
// the whole program shares, and each fertilizer's content in percent by mass.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(Program& program);
    ~TForm2() override;
    // Binds what lives in windows created after this one.
    void linkWindows();

    DataSet T_Udobra;
    DataSource DS_UDobRA;
    DataSet T_Sostav_Udobra;
    DataSource DS_SOSTAV;

    QGroupBox* GroupBox1 = nullptr;  // "Список удобрений:"
    Splitter* RzSplitter1 = nullptr; // fertilizers | their content
    // ---- the fertilizers ----
    QWidget* Panel1 = nullptr;      // the left pane
    QWidget* PanelSearch = nullptr; // the row of the search box
    QLabel* Label1 = nullptr;       // "Поиск:"
    QLineEdit* Edit1 = nullptr;     // name search
    DBGrid* dxDBGrid2 = nullptr;    // the fertilizer list (DS_UDobRA)
    DBGridColumn* dxDBGrid2name_udobra = nullptr;
    DBGridColumn* dxDBGrid2ppm = nullptr;
    DBNavigator* DBNavigator1 = nullptr; // insert, delete, post
    QLabel* Label2 = nullptr;            // "Всего удобрений:   "
    QLabel* Label3 = nullptr;            // the fertilizer count
    // ---- the content of the current fertilizer ----
    QGroupBox* GroupBox2 = nullptr;      // "Содержание элементов в удобрении:"
    DBNavigator* DBNavigator3 = nullptr; // insert, delete, post
    DBGrid* dxDBGrid1 = nullptr;         // the content (DS_SOSTAV)
    DBGridColumn* dxDBGrid1name_element = nullptr;
    DBGridColumn* dxDBGrid1kol_element = nullptr;
    QPushButton* Button1 = nullptr; // "КОНВЕРТЕР"

    // The content in element terms: an oxide's percentage converted to the
    // element its conversion record yields.
    void T_Sostav_UdobraCalcFields(DataSet& dataSet);

    void FormShow() override;
    void FormResize() override;
    void FormClose() override;
    void RzSplitter1Change();
    // Shows the fertilizers whose name contains the search text.
    void Edit1Change();
    // Sorts the list by name, toggling between descending and ascending.
    void dxDBGrid2ColumnClick();
    // Writes the number of listed fertilizers here and in the calculator.
    void DS_UDobRADataChange();
    // Stores a fertilizer being typed in before its content is worked on.
    void dxDBGrid1Click();
    void DBNavigator3Click(NavButton button);
    // "КОНВЕРТЕР"
    void Button1Click();

private:
    void buildLayout();
    void setSearchBoxWidth(int width);

    Program& program_;
    Field* kolElement_ = nullptr;
    Field* idElement_ = nullptr;
    Field* val_ = nullptr;
    Field* okel_ = nullptr;
    Field* free_ = nullptr;
    Field* freeid_ = nullptr;
};

} // namespace solvane
