#pragma once

#include "controls/form.h"
#include "solver/matrix.h"
#include "store/data_source.h"
#include "store/dataset.h"

#include <unordered_map>

class QAction;
class QComboBox;
class QEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;
class QVBoxLayout;
class QWidget;

namespace solvane {

class DBGrid;
class DBGridColumn;
class DBNavigator;
class DBSpinBox;
class Program;
class Splitter;

// The calculator "Tarvik v1.2": the working composition, the current crop's
// targets with the concentrations the composition gives, the crops, and the
// saved solutions. Every change of the composition or of a target runs the
// automatic recipe, which fits the amounts to the crop's targets and ends
// with the concentration calculation.
class TForm4 : public Form {
    Q_OBJECT
public:
    explicit TForm4(Program& program);
    ~TForm4() override;

    // ---- data sets (masters before their details) ----
    DataSet ADOTable3; // crops
    DataSource DataSource3;
    DataSet ADOTable2; // the current crop's targets
    DataSource DataSource2;
    DataSet T_HEAD_RAR; // saved solutions of the current crop
    DataSource DS_HEAD_RAR;
    DataSet T_save_rar; // lines of the current saved solution
    DataSource DS_SAVE_RAR;
    DataSet T_rachet; // the working composition
    DataSource DS_rachet;
    DataSet T_SOS; // content of a composition line's (or saved line's) fertilizer
    DataSource DS_SOS;
    DataSet T_el; // plain elements only
    DataSource DS_EL;
    DataSet ADOTable1; // conversion records
    DataSource DataSource1;

    // ---- splitters ----
    Splitter* RzSplitter1 = nullptr; // left part | concentrations and crops
    Splitter* RzSplitter2 = nullptr; // fertilizers and composition / saved solutions
    Splitter* RzSplitter3 = nullptr; // saved-solution names and litres | their lines
    Splitter* RzSplitter4 = nullptr; // fertilizer list and buttons | composition
    Splitter* RzSplitter5 = nullptr; // concentration grid and totals / crop pane

    // ---- fertilizer pane ----
    QLineEdit* Edit1 = nullptr;  // name search
    DBGrid* dxDBGrid1 = nullptr; // fertilizer list (DS_UDobRA)
    QLabel* Label6 = nullptr;    // fertilizer count

    // ---- buttons ----
    QPushButton* Button1 = nullptr;  // ">"
    QPushButton* Button2 = nullptr;  // "<"
    QPushButton* Button6 = nullptr;  // "E"
    QPushButton* Button8 = nullptr;  // "U"
    QPushButton* Button7 = nullptr;  // "O", disabled
    QPushButton* Button3 = nullptr;  // "X"
    QPushButton* Button5 = nullptr;  // "Сохранить"
    QPushButton* Button4 = nullptr;  // "Рассчитать >>", never shown
    QPushButton* Button10 = nullptr; // "?", never shown

    // ---- composition ----
    DBGrid* dxDBGrid2 = nullptr;              // T_rachet
    DBGridColumn* dxDBGrid2Column2 = nullptr; // amount
    QMenu* PopupMenu2 = nullptr;
    QAction* N7 = nullptr;  // "Удалить"
    QAction* N8 = nullptr;  // "Добавить"
    QAction* N11 = nullptr; // "Маточные растворы..." of the composition

    // ---- saved solutions ----
    QGroupBox* GroupSaved = nullptr; // "Готовые растворы:"
    DBGrid* dxDBGrid5 = nullptr;     // names (DS_HEAD_RAR)
    QMenu* PopupMenu3 = nullptr;
    QAction* N1 = nullptr;                     // "изменить название"
    QAction* N5 = nullptr;                     // "удалить р-р"
    QWidget* LitresPanel = nullptr;            // "Расчет на:" box "литров", with the mixing-order hint
    DBSpinBox* dxDBSpinEdit1 = nullptr;        // litres (kol_l)
    DBGrid* dxDBGrid4 = nullptr;               // lines (DS_SAVE_RAR)
    DBGridColumn* dxDBGrid4kol = nullptr;      // "Кол-во г/л."
    DBGridColumn* dxDBGrid4kol_temp = nullptr; // the per-litres amount
    QMenu* PopupMenu4 = nullptr;
    QAction* N4 = nullptr;     // "Рассчитать"
    QAction* EXCEL1 = nullptr; // "Выгрузить в EXCEL"
    QAction* N12 = nullptr;    // "Маточные растворы..." of the saved solution

    // ---- concentrations ----
    DBGrid* dxDBGrid3 = nullptr;              // targets (DataSource2)
    DBGridColumn* dxDBGrid3name_el = nullptr; // "Элемент"
    DBGridColumn* dxDBGrid3vega = nullptr;    // "Необходимость (Введите)"
    DBGridColumn* dxDBGrid3rachet = nullptr;  // "Расчёт"
    QMenu* PopupMenu1 = nullptr;
    QAction* N9 = nullptr;               // "Добавить"
    QAction* N10 = nullptr;              // "Удалить"
    QAction* N13 = nullptr;              // "Анализ раствора..."
    DBNavigator* DBNavigator1 = nullptr; // targets: insert, delete, post
    QWidget* PanelPpm = nullptr;         // PPM totals strip
    QLabel* Label10 = nullptr;           // PPM sum
    QLabel* Label11 = nullptr;           // PPM sum at strength
    QWidget* PanelMgl = nullptr;         // mg/l totals strip
    QLabel* Label4 = nullptr;            // sum of rachet
    QLabel* Label13 = nullptr;           // sum of r_pr
    QLabel* Label5 = nullptr;            // sum of vaga_calc
    QLabel* Label9 = nullptr;            // sum of cvet_calc

    // ---- crops ----
    QGroupBox* GroupCrop = nullptr;     // "Культура:"
    QGroupBox* GroupStrength = nullptr; // "Концентрация: 100%", never shown
    QSlider* RxSlider1 = nullptr;       // strength percentage
    QWidget* PanelStrengthEdit = nullptr;
    QLineEdit* Edit2 = nullptr;          // strength as text
    DBGrid* dxDBGrid6 = nullptr;         // crops (DataSource3)
    QWidget* CropNavigators = nullptr;   // the column of crop navigators
    DBNavigator* DBNavigator2 = nullptr; // insert
    DBNavigator* DBNavigator3 = nullptr; // delete
    DBNavigator* DBNavigator4 = nullptr; // post

    QTimer* Timer1 = nullptr; // recalculation, 1500 ms

    // ---- composition handlers ----
    void Button1Click();
    void dxDBGrid1DblClick();
    void N8Click();
    void Button2Click();
    void N7Click();
    void Button3Click();
    void Edit1Change();
    void dxDBGrid1Click();
    void dxDBGrid1ColumnClick();
    void dxDBGrid2Column2Change();
    void Button6Click();
    void Button8Click();
    // "Маточные растворы..." of the composition grid's and of the saved
    // lines' menus: the stock concentrates of the working composition or of
    // the current saved solution.
    void N11Click();
    void N12Click();
    void RzSplitter4Change();
    void FormShow() override;
    void FormClose() override;

    // ---- concentration calculation ----
    void Button4Click();
    // The target rows hold what the composition gives (its calculation ran
    // last) rather than a saved solution's (the saved-solution pass ran last).
    bool CompositionConcentrations = true;
    // Zeroes every target row of the crop and adds what the given lines (the
    // composition or a saved solution's lines, T_SOS linked to them) give it.
    void AddConcentrations(DataSet& lines);
    void RoundConcentrations();
    void UpdateTotals();
    void ADOTable2CalcFields(DataSet& dataSet);
    void T_rachetCalcFields(DataSet& dataSet);
    void RxSlider1Change();
    void Edit2Change();
    void dxDBGrid3vegaChange();
    void Timer1Timer();
    // The recipe the timer runs: the pending target edit posted, the recipe
    // pressed, the timer off.
    void recalculate();
    // The timer runs, or came due while a cell was being edited.
    bool recalculationPending() const;
    // A cell editor of the targets or of the composition is open.
    bool cellBeingEdited() const;
    // A cell editor of those grids closed: a recalculation that waited for it runs.
    void cellEditorClosed();
    // Arms the recalculation timer; while it runs, a second call does not restart it.
    void armRecalculation();
    // The options' maximum strength, with the slider's own rule.
    void setStrengthMaximum(int maximum);
    int strength() const;
    // Installs the calculated-field handlers of the targets and of the
    // composition and sets up the recalculation timer; the constructor calls
    // it once the data sets are declared and the widgets exist.
    void installCalculation();

    // ---- crops and targets ----
    void ADOTable3AfterPost(DataSet& dataSet);
    void dxDBGrid6Click();
    void ADOTable2AfterPost(DataSet& dataSet);
    void ADOTable2AfterDelete(DataSet& dataSet);
    void N9Click();
    void N10Click();
    // "Анализ раствора..."
    void N13Click();
    void CompleteTargetList();
    // Deletes the current crop's target rows whose target is 0 or empty, so
    // that the loops of a calculation run over a list in which no post deletes.
    void RemoveZeroTargets();

    // ---- automatic recipe ----
    void Button10Click();
    // The fit the recipe uses: 1 the grower's (amounts ≥ 0, relative error,
    // weights, limits), 0 the classic least squares. From the options record;
    // without one, the choice made in this run.
    int fitMode() const;
    // The source water counted, or null for none.
    QVariant selectedWater() const;
    // "Подбор:" and "Вода:" chosen: stored in the options record (when there
    // is one) and the recipe and the calculation run again.
    void chooseFitMode(int mode);
    void chooseWater(const QVariant& profile);
    // Shows the options' fit and water in the drop-downs and the columns
    // that go with them; run when the options are applied.
    void showFitChoice();
    // The water profile is being deleted: it is no longer counted.
    void forgetWater(const QVariant& profile);
    // The water window closed: the list is read again, and the recipe and the
    // calculation run again when the counted profile changed.
    void waterProfilesChanged(bool selectedChanged);
    Matrix RecipeMatrix;
    Vector RecipeSolution;
    // The last recipe's solve left out a singular value: the fertilizers
    // cannot reach every target independently of the others.
    bool SingularValueLeftOut = false;

    // ---- saved solutions ----
    void Button5Click();
    void N1Click();
    void N5Click();
    void dxDBGrid5Click();
    void dxDBGrid5KeyUp(int key);
    void N4Click();
    void dxDBSpinEdit1Change();
    void T_save_rarCalcFields(DataSet& dataSet);
    void EXCEL1Click();
    // The saved-solution pass: the concentrations of the current saved
    // solution's lines against the current crop's targets.
    void SavedSolutionPass();
    // The litres box's value; an empty or unreadable box counts as 0.
    double litres() const;

private:
    void returnToCrop(Bookmark crop);
    void reopenLines();
    // Sets the per-litres column's caption, only when it changes (it is set
    // while the grid reads its rows).
    void setLitresCaption(const QString& caption);
    // Fields read by the calculated-field handlers, resolved once by installCalculation().
    struct CalculationFields {
        Field* vega = nullptr;
        Field* cvet = nullptr;
        Field* rachet = nullptr;
        Field* vagaCalc = nullptr;
        Field* cvetCalc = nullptr;
        Field* rPr = nullptr;
        Field* targetElement = nullptr; // ADOTable2.id_el
        Field* water = nullptr;         // ADOTable2.voda
        Field* kol = nullptr;
        Field* kolPr = nullptr;
        Field* lineKol = nullptr;      // T_save_rar.kol
        Field* lineKolTemp = nullptr;  // T_save_rar.kol_temp
        Field* headerLitres = nullptr; // T_HEAD_RAR.kol_l
    } calcFields_;

    void buildLayout();
    // "Подбор:" and "Вода:" above the composition.
    void buildFitChoice(QWidget* parent, QVBoxLayout* layout);
    // The refusal of a minimum above the maximum, or the reverse; empty when none.
    QString amountLimitRefusal(const QVariant& value, bool minimum) const;
    // The columns and the amounts' display that go with the fit and the water.
    void applyFitState();
    // The counted water's mg/l by element, read again.
    void refreshWater();
    // The classic fit and the grower's, each writing the composition's amounts.
    void fitClassicAmounts();
    void fitGrowerAmounts();
    void declareDataSets();
    // Connects the controls' events to their handlers.
    void wireControls();
    // Resolves the fields the handlers use and sets the data sets' handlers.
    void wireDataSets();
    void applyInitialProportions();
    // The search box starts 56 pixels from its strip's left edge and is 65
    // pixels narrower than the strip.
    void applySearchBoxWidth();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Program& program_;
    int actionEndHandler_ = 0;
    bool recalculationWaiting_ = false;
    QComboBox* fitModeBox_ = nullptr;
    QComboBox* waterBox_ = nullptr;
    QPushButton* waterButton_ = nullptr;
    DBGridColumn* minimumColumn_ = nullptr;
    DBGridColumn* maximumColumn_ = nullptr;
    DBGridColumn* weightColumn_ = nullptr;
    DBGridColumn* waterColumn_ = nullptr;
    // The choices of a run whose base has no options record.
    int sessionFitMode_ = 0;
    QVariant sessionWater_;
    // The counted water's mg/l by element; empty without water.
    std::unordered_map<long long, double> waterAmounts_;
    QWidget* searchStrip_ = nullptr;
    Field* lineFertilizer_ = nullptr; // T_rachet.id_udobra
    Field* targetElement_ = nullptr;  // ADOTable2.id_el
    Field* targetVega_ = nullptr;     // ADOTable2.vega
    Field* listKey_ = nullptr;        // T_Udobra.id_udobra
    Field* listName_ = nullptr;       // T_Udobra.name_udobra
    Field* elementKey_ = nullptr;     // T_Element.id_element
    Field* elementOxide_ = nullptr;   // T_Element.kof
    Field* contentName_ = nullptr;    // T_Sostav_Udobra.name_element, resolved on first use
    Field* contentPercent_ = nullptr; // T_Sostav_Udobra.kol_element
    // The keys by which the lists find their rows again.
    const QString kLineKey = QStringLiteral("id_rachet");
    const QString kTargetKey = QStringLiteral("id_konc");
};

} // namespace solvane
