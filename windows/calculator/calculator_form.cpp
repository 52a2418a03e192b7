#include "windows/calculator/calculator_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/analysis_form.h"
#include "windows/calculator/stock_solutions_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "windows/directories/fertilizer_list.h"
#include "windows/directories/water_form.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/db_spin_box.h"
#include "controls/hint_text.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "windows/settings/options_form.h"
#include "store/error.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "store/row_place.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSplitterHandle>
#include <QTimer>
#include <QVBoxLayout>

namespace solvane {

namespace {
Connection* connectionOf(Program& program) {
    return &program.Form1->ADOConnection1;
}

// A sum in a totals strip. The strips share a narrow pane: the sums take
// equal shares of the width they are given, apart by a gap, and a sum too
// wide for its share loses its leading blanks first.
QLabel* totalLabel(QLabel* sum) {
    sum->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return sum;
}
constexpr int kTotalsGap = 4;

const QString kSplitterHint = QStringLiteral("Изменить размер");

// The search box is 65 pixels narrower than its strip.
constexpr int kSearchBoxMargin = 65;

// The order in which the components must be dissolved, shown over the litres box.
QString MixingOrderHint() {
    const QStringList lines{
        QStringLiteral("Для того, чтобы ничего не выпадало в осадок, всегда "),
        QStringLiteral("смешивайте компоненты строго в следующей "),
        QStringLiteral("последовательности: "),
        QStringLiteral("--------------------------"),
        QStringLiteral("1. Кальциевая селитра "),
        QStringLiteral("2. Монофосфат калия "),
        QStringLiteral("3. Комплексное удобрение "),
        QStringLiteral("4. Сульфат калия "),
        QStringLiteral("5. Сульфат магния "),
        QStringLiteral("--------------------------"),
        QStringLiteral("1. Аммиачная селитра "),
        QStringLiteral("2. Калиевая селитра "),
        QStringLiteral("3. Монофосфат калия "),
        QStringLiteral("4. Кальциевая селитра "),
        QStringLiteral("5. Микро "),
        QStringLiteral("6. Сульфат магния"),
    };
    return lines.join(QChar(13));
}

bool Editing(const DataSet& set) {
    return set.state() == DataSetState::Edit || set.state() == DataSetState::Insert;
}
} // namespace

TForm4::TForm4(Program& program)
    : Form(program.guard(), QStringLiteral("Form4")), ADOTable3(connectionOf(program), QStringLiteral("ADOTable3")),
      DataSource3(&ADOTable3), ADOTable2(connectionOf(program), QStringLiteral("ADOTable2")), DataSource2(&ADOTable2),
      T_HEAD_RAR(connectionOf(program), QStringLiteral("T_HEAD_RAR")), DS_HEAD_RAR(&T_HEAD_RAR),
      T_save_rar(connectionOf(program), QStringLiteral("T_save_rar")), DS_SAVE_RAR(&T_save_rar),
      T_rachet(connectionOf(program), QStringLiteral("T_rachet")), DS_rachet(&T_rachet),
      T_SOS(connectionOf(program), QStringLiteral("T_SOS")), DS_SOS(&T_SOS),
      T_el(connectionOf(program), QStringLiteral("T_el")), DS_EL(&T_el),
      ADOTable1(connectionOf(program), QStringLiteral("ADOTable1")), DataSource1(&ADOTable1), program_(program) {
    setWindowTitle(QStringLiteral("Tarvik v1.2"));
    declareDataSets();
    buildLayout();
    installCalculation();
    wireDataSets();
    // The totals are labels, not data-aware controls: after an action that
    // the store rolled back they are worked out again from what the data
    // sets, read anew, now hold.
    actionEndHandler_ = connectionOf(program)->addActionEndHandler([this](bool rolledBack) {
        if (rolledBack && ADOTable2.isActive())
            runGuarded([this] { UpdateTotals(); });
    });
}

TForm4::~TForm4() {
    connectionOf(program_)->removeActionEndHandler(actionEndHandler_);
}

void TForm4::declareDataSets() {
    Program& program = program_;
    DataSet* fertilizers = &program.Form2->T_Udobra;
    DataSet* elements = &program.Form3->T_Element;
    DataSet* coefficients = &program.Form3->T_KOF;

    ADOTable3.setTable(QStringLiteral("T_kult"));

    ADOTable2.setTable(QStringLiteral("t_konc"));
    ADOTable2.setMaster(&DataSource3, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
    ADOTable2.addLookupField(QStringLiteral("name_el"), ColumnType::Text, 20, QStringLiteral("id_el"), elements,
                             QStringLiteral("id_element"), QStringLiteral("Smallname_element"));
    ADOTable2.addCalculatedField(QStringLiteral("vaga_calc"), ColumnType::Double);
    ADOTable2.addCalculatedField(QStringLiteral("cvet_calc"), ColumnType::Double);
    ADOTable2.addCalculatedField(QStringLiteral("r_pr"), ColumnType::Double);
    ADOTable2.addCalculatedField(QStringLiteral("voda"), ColumnType::Double);

    T_HEAD_RAR.setTable(QStringLiteral("t_head_rar"));
    T_HEAD_RAR.setMaster(&DataSource3, QStringLiteral("id_kult"), QStringLiteral("id_konc"));

    T_save_rar.setTable(QStringLiteral("t_save_rar"));
    T_save_rar.setMaster(&DS_HEAD_RAR, QStringLiteral("id_head_rar"), QStringLiteral("id_head_rar"));
    T_save_rar.addCalculatedField(QStringLiteral("kol_temp"), ColumnType::Double);
    T_save_rar.addLookupField(QStringLiteral("name"), ColumnType::Text, 50, QStringLiteral("id_udobra"), fertilizers,
                              QStringLiteral("id_udobra"), QStringLiteral("name_udobra"));

    T_rachet.setTable(QStringLiteral("t_rachet"));
    T_rachet.addLookupField(QStringLiteral("name"), ColumnType::Text, 80, QStringLiteral("id_udobra"), fertilizers,
                            QStringLiteral("id_udobra"), QStringLiteral("name_udobra"));
    T_rachet.addCalculatedField(QStringLiteral("kol_pr"), ColumnType::Double);
    T_rachet.addLookupField(QStringLiteral("ppm"), ColumnType::Integer, 0, QStringLiteral("id_udobra"), fertilizers,
                            QStringLiteral("id_udobra"), QStringLiteral("ppm"));

    T_SOS.setTable(QStringLiteral("T_sostav_udobra"));
    T_SOS.addLookupField(QStringLiteral("name"), ColumnType::Text, 20, QStringLiteral("id_element"), elements,
                         QStringLiteral("id_element"), QStringLiteral("Smallname_element"));
    T_SOS.addLookupField(QStringLiteral("id_kof"), ColumnType::Integer, 0, QStringLiteral("id_element"), elements,
                         QStringLiteral("id_element"), QStringLiteral("id_kof"));
    T_SOS.addLookupField(QStringLiteral("kof"), ColumnType::Double, 0, QStringLiteral("id_kof"), coefficients,
                         QStringLiteral("id_kof"), QStringLiteral("kof"));
    T_SOS.addLookupField(QStringLiteral("id_el"), ColumnType::Integer, 0, QStringLiteral("id_kof"), coefficients,
                         QStringLiteral("id_kof"), QStringLiteral("id_element"));

    T_el.setTable(QStringLiteral("T_element"));
    T_el.setFilter(QStringLiteral("kof<>true"));
    T_el.setFiltered(true);
    // Kept as the program always had it: an empty calculated-fields handler (the set has no calculated fields).
    T_el.onCalcFields = [](DataSet&) {};

    ADOTable1.setTable(QStringLiteral("t_kof"));
}

void TForm4::buildLayout() {
    HandlerGuard& g = guard();
    auto* hints = new LineHintFilter(this);
    auto* outer = MakeColumn(this, 2, 0);

    // Left part | concentrations and crops.
    RzSplitter1 = MakeSplitter(g, QStringLiteral("RzSplitter1"), Qt::Horizontal, this);
    outer->addWidget(RzSplitter1);

    // Working area / saved solutions.
    RzSplitter2 = MakeSplitter(g, QStringLiteral("RzSplitter2"), Qt::Vertical, RzSplitter1);
    RzSplitter1->addWidget(RzSplitter2);

    // Fertilizer list with the button column | composition.
    RzSplitter4 = MakeSplitter(g, QStringLiteral("RzSplitter4"), Qt::Horizontal, RzSplitter2);
    RzSplitter2->addWidget(RzSplitter4);

    auto* fertilizerSide = MakePanel(QStringLiteral("PanelFertilizers"), RzSplitter4);
    auto* fertilizerSideLayout = MakeRow(fertilizerSide, 0, 2);
    RzSplitter4->addWidget(fertilizerSide);

    // ---- fertilizer pane ----
    auto* groupFertilizers =
        MakeGroup(QStringLiteral("GroupFertilizers"), QStringLiteral("Удобрения:"), fertilizerSide);
    fertilizerSideLayout->addWidget(groupFertilizers, 1);
    auto* fertilizerLayout = MakeColumn(groupFertilizers);

    searchStrip_ = MakePanel(QStringLiteral("PanelSearch"), groupFertilizers);
    searchStrip_->setFixedHeight(28);
    auto* searchLabel = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Поиск:"), searchStrip_);
    searchLabel->setGeometry(6, 6, kFertilizerSearchBoxLeft - 8, 18);
    Edit1 = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Поиск:"), searchStrip_);
    Edit1->setToolTip(QStringLiteral("Название искомого удобрения"));
    Edit1->setGeometry(kFertilizerSearchBoxLeft, 3, 120, 22);
    searchLabel->setBuddy(Edit1);
    searchStrip_->installEventFilter(this);
    fertilizerLayout->addWidget(searchStrip_);

    dxDBGrid1 = MakeGrid(g, QStringLiteral("dxDBGrid1"), &program_.Form2->DS_UDobRA, groupFertilizers);
    DBGridColumn* names = dxDBGrid1->addColumn(QStringLiteral("name_udobra"), QStringLiteral("Названия"));
    names->setReadOnly(true);
    names->setSortMark(SortMark::Descending);
    dxDBGrid1->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    dxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fertilizerLayout->addWidget(dxDBGrid1, 1);

    auto* countStrip = MakePanel(QStringLiteral("PanelCount"), groupFertilizers);
    auto* countLayout = MakeRow(countStrip, 2, 0);
    countLayout->addWidget(
        MakeLabel(QStringLiteral("Label7"), QStringLiteral("  Всего удобрений:   "), countStrip, true));
    Label6 = MakeLabel(QStringLiteral("Label6"), QStringLiteral("0"), countStrip, true);
    countLayout->addWidget(Label6);
    countLayout->addStretch(1);
    fertilizerLayout->addWidget(countStrip);

    // ---- button column ----
    auto* buttons = MakePanel(QStringLiteral("PanelButtons"), fertilizerSide);
    auto* buttonLayout = MakeColumn(buttons, 2, 4);
    fertilizerSideLayout->addWidget(buttons);
    constexpr int kButtonWidth = 34;
    Button1 =
        MakeHintedButton(QStringLiteral("Button1"), QStringLiteral(">"), QStringLiteral("Добавить в состав"), buttons);
    Button2 =
        MakeHintedButton(QStringLiteral("Button2"), QStringLiteral("<"), QStringLiteral("Удалить из состава"), buttons);
    Button6 = MakeHintedButton(QStringLiteral("Button6"), QStringLiteral("E"), QStringLiteral("Справочник элементов"),
                               buttons);
    Button8 = MakeHintedButton(QStringLiteral("Button8"), QStringLiteral("U"), QStringLiteral("Справочник удобрений"),
                               buttons);
    Button7 = MakeHintedButton(QStringLiteral("Button7"), QStringLiteral("O"), QStringLiteral("Опции"), buttons);
    Button3 = MakeHintedButton(QStringLiteral("Button3"), QStringLiteral("X"), QStringLiteral("Очистить весь состав"),
                               buttons);
    Button7->setEnabled(false);
    for (QPushButton* b : {Button1, Button2, Button6, Button8, Button7, Button3})
        b->setFixedWidth(kButtonWidth);
    Button1->setMinimumHeight(60);
    Button2->setMinimumHeight(60);
    buttonLayout->addSpacing(14);
    buttonLayout->addWidget(Button1);
    buttonLayout->addWidget(Button2);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(Button6);
    buttonLayout->addWidget(Button8);
    buttonLayout->addWidget(Button7);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(Button3);

    // ---- composition ----
    auto* groupComposition =
        MakeGroup(QStringLiteral("GroupComposition"), QStringLiteral("Состав раствора:"), RzSplitter4);
    RzSplitter4->addWidget(groupComposition);
    auto* compositionLayout = MakeColumn(groupComposition);
    buildFitChoice(groupComposition, compositionLayout);
    dxDBGrid2 = MakeGrid(g, QStringLiteral("dxDBGrid2"), &DS_rachet, groupComposition);
    dxDBGrid2->setRowSelect(true);
    dxDBGrid2->setScrollBars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    dxDBGrid2->addColumn(QStringLiteral("name"), QStringLiteral("Наименование"))->setReadOnly(true);
    dxDBGrid2Column2 = dxDBGrid2->addColumn(QStringLiteral("kol"), QStringLiteral("Кол-во г./л."));
    dxDBGrid2Column2->setSpin(0.01, FieldLimits::Amount());
    // The recipe gives a negative amount to a fertilizer the solution does
    // not need: it stands out.
    dxDBGrid2Column2->setNegativeColour(Qt::red);
    // The limits of each amount for the grower's fit, in g/l; empty: none.
    minimumColumn_ = dxDBGrid2->addColumn(QStringLiteral("kol_min"), QStringLiteral("Мин"));
    maximumColumn_ = dxDBGrid2->addColumn(QStringLiteral("kol_max"), QStringLiteral("Макс"));
    for (DBGridColumn* limit : {minimumColumn_, maximumColumn_}) {
        limit->setSpin(0.01, FieldLimits::Amount());
        limit->setWidth(40);
    }
    minimumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, true); };
    maximumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, false); };
    // Without scroll bars every column must stay in sight: the name takes
    // what the figures leave.
    dxDBGrid2Column2->setWidth(74);
    dxDBGrid2->horizontalHeader()->setStretchLastSection(false);
    dxDBGrid2->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    PopupMenu2 = MakeMenu(QStringLiteral("PopupMenu2"), this);
    N7 = MakeMenuItem(PopupMenu2, QStringLiteral("N7"), QStringLiteral("Удалить"));
    N8 = MakeMenuItem(PopupMenu2, QStringLiteral("N8"), QStringLiteral("Добавить"));
    N11 = MakeMenuItem(PopupMenu2, QStringLiteral("N11"), QStringLiteral("Маточные растворы..."));
    dxDBGrid2->setContextMenu(PopupMenu2);
    compositionLayout->addWidget(dxDBGrid2, 1);

    auto* compositionButtons = MakePanel(QStringLiteral("PanelSave"), groupComposition);
    auto* compositionButtonLayout = MakeRow(compositionButtons, 0, 4);
    Button5 = MakeButton(QStringLiteral("Button5"), QStringLiteral("Сохранить"), compositionButtons);
    Button4 = MakeButton(QStringLiteral("Button4"), QStringLiteral("Рассчитать >>"), compositionButtons);
    Button10 = MakeButton(QStringLiteral("Button10"), QStringLiteral("?"), compositionButtons);
    Button4->hide();
    Button10->hide();
    compositionButtonLayout->addWidget(Button5);
    compositionButtonLayout->addWidget(Button4);
    compositionButtonLayout->addWidget(Button10);
    compositionButtonLayout->addStretch(1);
    compositionLayout->addWidget(compositionButtons);

    // ---- saved solutions ----
    GroupSaved = MakeGroup(QStringLiteral("GroupSaved"), QStringLiteral("Готовые растворы:"), RzSplitter2);
    RzSplitter2->addWidget(GroupSaved);
    auto* savedLayout = MakeColumn(GroupSaved, 2, 0);
    RzSplitter3 = MakeSplitter(g, QStringLiteral("RzSplitter3"), Qt::Horizontal, GroupSaved);
    RzSplitter3->setHandleWidth(6);
    savedLayout->addWidget(RzSplitter3);

    auto* namesSide = MakePanel(QStringLiteral("PanelSavedNames"), RzSplitter3);
    auto* namesSideLayout = MakeRow(namesSide, 0, 2);
    RzSplitter3->addWidget(namesSide);
    auto* groupNames = MakeGroup(QStringLiteral("GroupSavedNames"), QStringLiteral("Название:"), namesSide);
    namesSideLayout->addWidget(groupNames, 1);
    auto* namesLayout = MakeColumn(groupNames);
    dxDBGrid5 = MakeGrid(g, QStringLiteral("dxDBGrid5"), &DS_HEAD_RAR, groupNames);
    dxDBGrid5->addColumn(QStringLiteral("name_rar"), QStringLiteral("Имя раствора"))->setReadOnly(true);
    dxDBGrid5->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PopupMenu3 = MakeMenu(QStringLiteral("PopupMenu3"), this);
    N1 = MakeMenuItem(PopupMenu3, QStringLiteral("N1"), QStringLiteral("изменить название"));
    N5 = MakeMenuItem(PopupMenu3, QStringLiteral("N5"), QStringLiteral("удалить р-р"));
    dxDBGrid5->setContextMenu(PopupMenu3);
    namesLayout->addWidget(dxDBGrid5);

    LitresPanel = MakeGroup(QStringLiteral("LitresPanel"), QString(), namesSide);
    LitresPanel->setToolTip(MixingOrderHint());
    LitresPanel->installEventFilter(hints);
    auto* litresLayout = MakeColumn(LitresPanel, 4, 2);
    litresLayout->addWidget(MakeLabel(QStringLiteral("Label2"), QStringLiteral("Расчет на:"), LitresPanel));
    dxDBSpinEdit1 = new DBSpinBox(g, LitresPanel);
    dxDBSpinEdit1->setObjectName(QStringLiteral("dxDBSpinEdit1"));
    dxDBSpinEdit1->setDataSource(&DS_HEAD_RAR, QStringLiteral("kol_l"));
    dxDBSpinEdit1->setSingleStep(0.1);
    dxDBSpinEdit1->setLimits(FieldLimits::Litres());
    dxDBSpinEdit1->setToolTip(QStringLiteral("Укажите кол-во литров"));
    dxDBSpinEdit1->setAccessibleName(QStringLiteral("Расчет на:"));
    dxDBSpinEdit1->setMaximumWidth(72);
    litresLayout->addWidget(dxDBSpinEdit1);
    litresLayout->addWidget(MakeLabel(QStringLiteral("Label3"), QStringLiteral("литров"), LitresPanel));
    litresLayout->addStretch(1);
    namesSideLayout->addWidget(LitresPanel);

    auto* groupLines = MakeGroup(QStringLiteral("GroupSavedLines"), QStringLiteral("Состав:"), RzSplitter3);
    RzSplitter3->addWidget(groupLines);
    auto* linesLayout = MakeColumn(groupLines);
    dxDBGrid4 = MakeGrid(g, QStringLiteral("dxDBGrid4"), &DS_SAVE_RAR, groupLines);
    dxDBGrid4->setRowSelect(true);
    dxDBGrid4->addColumn(QStringLiteral("name"), QStringLiteral("Название"))->setReadOnly(true);
    dxDBGrid4kol = dxDBGrid4->addColumn(QStringLiteral("kol"), QStringLiteral("Кол-во г/л."));
    dxDBGrid4kol->setSpin(0.01, FieldLimits::SavedAmount());
    dxDBGrid4kol_temp = dxDBGrid4->addColumn(QStringLiteral("kol_temp"), QStringLiteral("Кол-во г/1л."));
    dxDBGrid4kol_temp->setReadOnly(true);
    PopupMenu4 = MakeMenu(QStringLiteral("PopupMenu4"), this);
    N4 = MakeMenuItem(PopupMenu4, QStringLiteral("N4"), QStringLiteral("Рассчитать"));
    EXCEL1 = MakeMenuItem(PopupMenu4, QStringLiteral("EXCEL1"), QStringLiteral("Выгрузить в EXCEL"));
    N12 = MakeMenuItem(PopupMenu4, QStringLiteral("N12"), QStringLiteral("Маточные растворы..."));
    dxDBGrid4->setContextMenu(PopupMenu4);
    linesLayout->addWidget(dxDBGrid4);

    // ---- concentrations ----
    auto* groupConcentrations =
        MakeGroup(QStringLiteral("GroupConcentrations"), QStringLiteral("Концентрация элементов: мг/л."), RzSplitter1);
    RzSplitter1->addWidget(groupConcentrations);
    auto* concentrationsLayout = MakeColumn(groupConcentrations, 2, 0);
    RzSplitter5 = MakeSplitter(g, QStringLiteral("RzSplitter5"), Qt::Vertical, groupConcentrations);
    concentrationsLayout->addWidget(RzSplitter5);

    auto* upper = MakePanel(QStringLiteral("PanelConcentrations"), RzSplitter5);
    auto* upperLayout = MakeColumn(upper, 2, 2);
    RzSplitter5->addWidget(upper);
    dxDBGrid3 = MakeGrid(g, QStringLiteral("dxDBGrid3"), &DataSource2, upper);
    // The weight and the water's share may not fit beside the three
    // columns in a narrow pane: then the grid scrolls sideways.
    dxDBGrid3->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    dxDBGrid3name_el = dxDBGrid3->addColumn(QStringLiteral("name_el"), QStringLiteral("Элемент"));
    dxDBGrid3name_el->setLookup(&program_.Form3->DS_Element, QStringLiteral("id_element"),
                                QStringLiteral("Smallname_element"), QStringLiteral("id_el"), 8);
    dxDBGrid3vega = dxDBGrid3->addColumn(QStringLiteral("vega"), QStringLiteral("Необходимость (Введите)"));
    dxDBGrid3vega->setSpin(1, FieldLimits::Target());
    dxDBGrid3rachet = dxDBGrid3->addColumn(QStringLiteral("rachet"), QStringLiteral("Расчёт"));
    dxDBGrid3rachet->setReadOnly(true);
    // The grower's fit weighs each row; the source water's share is shown
    // while a water is counted. Neither goes into the spreadsheet.
    weightColumn_ = dxDBGrid3->addColumn(QStringLiteral("weight"), QStringLiteral("Вес"));
    weightColumn_->setSpin(0.1, FieldLimits::Weight());
    weightColumn_->setWidth(34);
    weightColumn_->setExported(false);
    waterColumn_ = dxDBGrid3->addColumn(QStringLiteral("voda"), QStringLiteral("Вода"));
    waterColumn_->setReadOnly(true);
    waterColumn_->setWidth(48);
    waterColumn_->setExported(false);
    waterColumn_->setVisible(false);
    dxDBGrid3name_el->setWidth(54);
    dxDBGrid3vega->setWidth(166);
    dxDBGrid3rachet->setWidth(68);
    PopupMenu1 = MakeMenu(QStringLiteral("PopupMenu1"), this);
    N9 = MakeMenuItem(PopupMenu1, QStringLiteral("N9"), QStringLiteral("Добавить"));
    N10 = MakeMenuItem(PopupMenu1, QStringLiteral("N10"), QStringLiteral("Удалить"));
    N13 = MakeMenuItem(PopupMenu1, QStringLiteral("N13"), QStringLiteral("Анализ раствора..."));
    dxDBGrid3->setContextMenu(PopupMenu1);
    upperLayout->addWidget(dxDBGrid3, 1);

    DBNavigator1 = MakeNavigator(g, QStringLiteral("DBNavigator1"), &DataSource2,
                                 {NavButton::Insert, NavButton::Delete, NavButton::Post}, upper);
    upperLayout->addWidget(DBNavigator1);

    PanelPpm = MakePanel(QStringLiteral("PanelPpm"), upper);
    auto* ppmLayout = MakeRow(PanelPpm, 2, kTotalsGap);
    QLabel* ppmCaption = MakeLabel(QStringLiteral("Label12"), QStringLiteral(" Общее кол-во солей (PPM):  "), PanelPpm);
    ppmCaption->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ppmLayout->addWidget(ppmCaption);
    Label10 = MakeLabel(QStringLiteral("Label10"), QStringLiteral("   0"), PanelPpm);
    Label11 = MakeLabel(QStringLiteral("Label11"), QStringLiteral("   0"), PanelPpm);
    for (QLabel* l : {Label10, Label11})
        ppmLayout->addWidget(totalLabel(l), 1);
    PanelPpm->hide();
    upperLayout->addWidget(PanelPpm);

    PanelMgl = MakePanel(QStringLiteral("PanelMgl"), upper);
    // Four sums beside the caption would not fit in the pane: they get the
    // line under it.
    auto* mglLayout = MakeColumn(PanelMgl, 2, 0);
    QLabel* mglCaption =
        MakeLabel(QStringLiteral("Label8"), QStringLiteral(" Общее кол-во солей (мг./л.):  "), PanelMgl);
    mglLayout->addWidget(mglCaption);
    auto* mglSums = new QHBoxLayout;
    mglSums->setSpacing(kTotalsGap);
    mglLayout->addLayout(mglSums);
    Label4 = MakeLabel(QStringLiteral("Label4"), QStringLiteral("   0"), PanelMgl);
    Label13 = MakeLabel(QStringLiteral("Label13"), QStringLiteral("   0"), PanelMgl);
    Label5 = MakeLabel(QStringLiteral("Label5"), QStringLiteral("   0"), PanelMgl);
    Label9 = MakeLabel(QStringLiteral("Label9"), QStringLiteral("   0"), PanelMgl);
    for (QLabel* l : {Label4, Label13, Label5, Label9})
        mglSums->addWidget(totalLabel(l), 1);
    PanelMgl->hide();
    upperLayout->addWidget(PanelMgl);
    // The strips sit in the narrow right half: one point smaller than the
    // window's text, so that they take little of it.
    for (QWidget* strip : {PanelPpm, PanelMgl}) {
        QFont f = strip->font();
        if (f.pointSizeF() > 7)
            f.setPointSizeF(f.pointSizeF() - 1);
        strip->setFont(f);
    }

    // ---- crops ----
    GroupCrop = MakeGroup(QStringLiteral("GroupCrop"), QStringLiteral("Культура:"), RzSplitter5);
    RzSplitter5->addWidget(GroupCrop);
    auto* cropLayout = MakeColumn(GroupCrop);

    GroupStrength = MakeGroup(QStringLiteral("GroupStrength"), QStringLiteral("Концентрация: 100%"), GroupCrop);
    auto* strengthLayout = MakeRow(GroupStrength);
    RxSlider1 = new QSlider(Qt::Horizontal, GroupStrength);
    RxSlider1->setObjectName(QStringLiteral("RxSlider1"));
    RxSlider1->setRange(0, 250);
    RxSlider1->setSingleStep(1);
    RxSlider1->setPageStep(1);
    RxSlider1->setValue(100);
    RxSlider1->setToolTip(QStringLiteral("Процентная концентрация"));
    RxSlider1->setAccessibleName(QStringLiteral("Процентная концентрация"));
    strengthLayout->addWidget(RxSlider1, 1);
    PanelStrengthEdit = MakePanel(QStringLiteral("PanelStrengthEdit"), GroupStrength);
    auto* strengthEditLayout = MakeRow(PanelStrengthEdit, 0, 0);
    Edit2 = MakeEdit(QStringLiteral("Edit2"), QStringLiteral("Процентная концентрация"), PanelStrengthEdit,
                     QStringLiteral("100"));
    Edit2->setMaximumWidth(48);
    strengthEditLayout->addWidget(Edit2);
    strengthLayout->addWidget(PanelStrengthEdit);
    GroupStrength->hide();
    cropLayout->addWidget(GroupStrength);

    auto* cropRow = MakePanel(QStringLiteral("PanelCrops"), GroupCrop);
    auto* cropRowLayout = MakeRow(cropRow, 0, 2);
    dxDBGrid6 = MakeGrid(g, QStringLiteral("dxDBGrid6"), &DataSource3, cropRow);
    dxDBGrid6->addColumn(QStringLiteral("name_kult"), QStringLiteral("Название"));
    dxDBGrid6->addColumn(QStringLiteral("ph"), QStringLiteral("ph"))->setWidth(80);
    dxDBGrid6->horizontalHeader()->setStretchLastSection(false);
    dxDBGrid6->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    dxDBGrid6->addColumn(QStringLiteral("id_kult"), QStringLiteral("id_kult"))->setVisible(false);
    cropRowLayout->addWidget(dxDBGrid6, 1);

    CropNavigators = MakePanel(QStringLiteral("CropNavigators"), cropRow);
    auto* navigatorLayout = MakeColumn(CropNavigators, 0, 2);
    const auto cropNavigator = [&](const QString& name, NavButton which, const QString& hint) {
        auto* navigator = MakeNavigator(g, name, &DataSource3, {which}, CropNavigators);
        navigator->setHint(which, hint);
        navigatorLayout->addWidget(navigator);
        return navigator;
    };
    DBNavigator2 =
        cropNavigator(QStringLiteral("DBNavigator2"), NavButton::Insert, QStringLiteral("Добавить новую культуру"));
    DBNavigator3 = cropNavigator(QStringLiteral("DBNavigator3"), NavButton::Delete, QStringLiteral("Удалить культуру"));
    DBNavigator4 =
        cropNavigator(QStringLiteral("DBNavigator4"), NavButton::Post, QStringLiteral("Сохранить изменения"));
    navigatorLayout->addStretch(1);
    cropRowLayout->addWidget(CropNavigators);
    cropLayout->addWidget(cropRow, 1);

    // Every pane keeps the minimum its contents need (the grids their header
    // and three rows), so the window cannot be made smaller than that and no
    // bar can crush a pane.
    for (Splitter* s : {RzSplitter1, RzSplitter2, RzSplitter3, RzSplitter4, RzSplitter5})
        s->setHint(kSplitterHint);

    // Set up by installCalculation().
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    wireControls();
    resize(936, 738);
    applyInitialProportions();
}

void TForm4::wireControls() {
    connectClick(Button1, [this] { Button1Click(); });
    connectClick(Button2, [this] { Button2Click(); });
    connectClick(Button3, [this] { Button3Click(); });
    connectClick(Button4, [this] { Button4Click(); });
    connectClick(Button5, [this] { Button5Click(); });
    connectClick(Button6, [this] { Button6Click(); });
    connectClick(Button8, [this] { Button8Click(); });
    connectClick(Button10, [this] { Button10Click(); });
    const auto onMenu = [this](QAction* action, void (TForm4::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    onMenu(N7, &TForm4::N7Click);
    onMenu(N8, &TForm4::N8Click);
    onMenu(N9, &TForm4::N9Click);
    onMenu(N10, &TForm4::N10Click);
    onMenu(N1, &TForm4::N1Click);
    onMenu(N5, &TForm4::N5Click);
    onMenu(N4, &TForm4::N4Click);
    onMenu(EXCEL1, &TForm4::EXCEL1Click);
    onMenu(N11, &TForm4::N11Click);
    onMenu(N12, &TForm4::N12Click);
    onMenu(N13, &TForm4::N13Click);
    connect(Timer1, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { runGuarded([this] { Edit1Change(); }); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { runGuarded([this] { Edit2Change(); }); });
    connect(RxSlider1, &QSlider::valueChanged, this, [this] { runGuarded([this] { RxSlider1Change(); }); });

    // The controls run these as user actions themselves.
    dxDBGrid1->onClick = [this] { dxDBGrid1Click(); };
    dxDBGrid1->onDblClick = [this] { dxDBGrid1DblClick(); };
    dxDBGrid1->onColumnClick = [this](int) { dxDBGrid1ColumnClick(); };
    dxDBGrid2Column2->onChange = [this] { dxDBGrid2Column2Change(); };
    dxDBGrid3vega->onChange = [this] { dxDBGrid3vegaChange(); };
    // An edit of a weight or of a limit refits, as an amount's does.
    for (DBGridColumn* column : {weightColumn_, minimumColumn_, maximumColumn_})
        column->onChange = [this] { armRecalculation(); };
    connect(fitModeBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseFitMode(fitModeBox_->currentData().toInt()); }); });
    connect(waterBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseWater(waterBox_->currentData()); }); });
    connectClick(waterButton_, [this] { program_.WaterProfiles->showWindow(); });
    dxDBGrid2->onEditorClosed = [this] { cellEditorClosed(); };
    dxDBGrid3->onEditorClosed = [this] { cellEditorClosed(); };
    dxDBGrid5->onClick = [this] { dxDBGrid5Click(); };
    dxDBGrid5->onKeyUp = [this](int key) { dxDBGrid5KeyUp(key); };
    dxDBGrid6->onClick = [this] { dxDBGrid6Click(); };
    dxDBSpinEdit1->onChange = [this] { dxDBSpinEdit1Change(); };
    RzSplitter4->onChange = [this] { RzSplitter4Change(); };
}

void TForm4::wireDataSets() {
    lineFertilizer_ = T_rachet.fieldByName(QStringLiteral("id_udobra"));
    targetElement_ = ADOTable2.fieldByName(QStringLiteral("id_el"));
    targetVega_ = ADOTable2.fieldByName(QStringLiteral("vega"));
    DataSet& fertilizers = program_.Form2->T_Udobra;
    listKey_ = fertilizers.fieldByName(QStringLiteral("id_udobra"));
    listName_ = fertilizers.fieldByName(QStringLiteral("name_udobra"));
    DataSet& elements = program_.Form3->T_Element;
    elementKey_ = elements.fieldByName(QStringLiteral("id_element"));
    elementOxide_ = elements.fieldByName(QStringLiteral("kof"));

    ADOTable3.afterPost = [this](DataSet& set) { ADOTable3AfterPost(set); };
    ADOTable2.afterPost = [this](DataSet& set) { ADOTable2AfterPost(set); };
    ADOTable2.afterDelete = [this](DataSet& set) { ADOTable2AfterDelete(set); };
    T_save_rar.onCalcFields = [this](DataSet& set) { T_save_rarCalcFields(set); };
}

// The default proportions of the panes, before any stored geometry is
// applied. The window is not shown yet, so each level is laid out here to
// learn the size of the splitter it holds; the splitters keep the position
// and apply it again when they are first shown.
void TForm4::applyInitialProportions() {
    const auto layOut = [](QWidget* container) {
        if (container->layout())
            container->layout()->activate();
    };
    const auto place = [](Splitter* splitter, int first) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        splitter->setSizes({first, std::max(0, extent - first - splitter->handleWidth())});
        splitter->setPosition(first);
    };
    const auto share = [](Splitter* splitter, double fraction) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        return static_cast<int>(extent * fraction + 0.5);
    };
    layOut(this);
    place(RzSplitter1, share(RzSplitter1, 0.51));
    place(RzSplitter2, share(RzSplitter2, 0.62));
    place(RzSplitter4, share(RzSplitter4, 0.60));
    layOut(RzSplitter5->parentWidget());
    place(RzSplitter5, share(RzSplitter5, 0.82));
    layOut(GroupSaved);
    place(RzSplitter3, 240);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchStrip_ && event->type() == QEvent::Resize)
        applySearchBoxWidth();
    return Form::eventFilter(watched, event);
}

void TForm4::applySearchBoxWidth() {
    Edit1->setGeometry(kFertilizerSearchBoxLeft, Edit1->y(), std::max(0, searchStrip_->width() - kSearchBoxMargin),
                       Edit1->height());
}

// ---------------------------------------------------------------- composition

void TForm4::Button1Click() {
    DataSet& fertilizers = program_.Form2->T_Udobra;
    // An empty list (a search that matches nothing) has no current fertilizer:
    // the condition would have no key, so nothing is added.
    if (!fertilizers.isActive() || fertilizers.isEmpty())
        throw Error(QStringLiteral("Не выбрано удобрение"));
    const Bookmark remembered = fertilizers.bookmark();
    const long long key = listKey_->asLargeInt();
    T_rachet.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(T_rachet, kLineKey);

    T_rachet.setFilter(QStringLiteral("id_udobra=") + QString::number(key));
    T_rachet.setFiltered(true);
    if (T_rachet.isEmpty()) {
        T_rachet.setFiltered(false);
        T_rachet.append();
        lineFertilizer_->setAsInteger(key);
        T_rachet.post();
    }
    T_rachet.setFiltered(false);
    if (Editing(T_rachet))
        T_rachet.post();
    T_rachet.close();
    T_rachet.open();
    // The composition stays on the line it was on (on the new one when it was empty).
    lineAt.returnTo(T_rachet, kLineKey);

    if (fertilizers.bookmarkValid(remembered))
        fertilizers.gotoBookmark(remembered);
    Button10Click();
}

void TForm4::dxDBGrid1DblClick() {
    Button1Click();
}

void TForm4::N8Click() {
    Button1Click();
}

void TForm4::Button2Click() {
    if (T_rachet.recordCount() >= 1)
        T_rachet.deleteRecord();
    T_rachet.last();
    Button10Click();
}

void TForm4::N7Click() {
    Button2Click();
}

void TForm4::Button3Click() {
    T_rachet.first();
    while (!T_rachet.isEmpty())
        T_rachet.deleteRecord();
    T_rachet.close();
    T_rachet.open();
    Button10Click();
}

void TForm4::Edit1Change() {
    SearchFertilizers(program_.Form2->T_Udobra, Edit1->text());
}

void TForm4::dxDBGrid1Click() {
    DataSet& fertilizers = program_.Form2->T_Udobra;
    DataSet& content = program_.Form2->T_Sostav_Udobra;
    if (!contentName_) {
        // The content set's lookups exist only once every window is created.
        contentName_ = content.fieldByName(QStringLiteral("name_element"));
        contentPercent_ = content.fieldByName(QStringLiteral("kol_element"));
    }
    const QString lineBreak = QStringLiteral("\r\n");
    QString hint = listName_->asString() + QStringLiteral(":");
    QString lines;
    if (fertilizers.isActive() && content.isActive()) {
        const int rows = content.recordCount();
        for (int i = 0; i < rows; ++i) {
            const QVariant percent = content.valueAt(i, contentPercent_);
            lines += lineBreak + content.valueAt(i, contentName_).toString() + QStringLiteral(" - ") +
                     (percent.isNull() ? QString() : FormatNumber(percent.toDouble())) + QStringLiteral("%");
        }
    }
    hint += lineBreak + lines;
    dxDBGrid1->setHint(hint);
}

void TForm4::dxDBGrid1ColumnClick() {
    ToggleNameSort(program_.Form2->T_Udobra, *dxDBGrid1->columnByField(QStringLiteral("name_udobra")));
}

void TForm4::Button6Click() {
    program_.Form1->RzButton3Click();
}

void TForm4::Button8Click() {
    program_.Form1->RzButton1Click();
}

void TForm4::N11Click() {
    program_.F_StockSolutions->Open(TF_StockSolutions::Source::Composition);
}

void TForm4::N12Click() {
    program_.F_StockSolutions->Open(TF_StockSolutions::Source::SavedSolution);
}

void TForm4::RzSplitter4Change() {
    applySearchBoxWidth();
}

void TForm4::FormShow() {
    applySearchBoxWidth();
    if (!T_rachet.isActive() || T_rachet.isEmpty())
        return;
    DataSet& fertilizers = program_.Form2->T_Udobra;
    // Kept as the program always did: each key filtered on and off, leaving the list unfiltered on its first record.
    for (T_rachet.first(); !T_rachet.eof(); T_rachet.next()) {
        fertilizers.setFilter(QStringLiteral("id_udobra=") + QString::number(lineFertilizer_->asLargeInt()));
        fertilizers.setFiltered(true);
        fertilizers.setFiltered(false);
    }
}

void TForm4::FormClose() {
    program_.closingSequence();
    // With "open the calculator at start-up" set, closing it ends the program.
    DataSet& options = program_.Form18->ADOTable1;
    if (options.isActive() && !options.isEmpty() && options.fieldByName(QStringLiteral("avto"))->asBoolean())
        program_.Form1->close();
}

// ---------------------------------------------------------------- crops and targets

void TForm4::ADOTable3AfterPost(DataSet&) {
    CompleteTargetList();
}

void TForm4::dxDBGrid6Click() {
    CompleteTargetList();
}

// Gives the current crop a target row for every plain element it lacks. A row
// appended here has no target yet, so the zero-target rule deletes it again
// as it is posted, and the deletion runs the recipe; the recipe does not move
// the element set, so the walk goes on with the next element.
void TForm4::CompleteTargetList() {
    DataSet& elements = program_.Form3->T_Element;
    for (elements.first(); !elements.eof(); elements.next()) {
        if (elementOxide_->asBoolean())
            continue;
        const long long element = elementKey_->asLargeInt();
        bool present = false;
        if (!ADOTable2.isEmpty()) {
            for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
                if (targetElement_->asLargeInt() == element) {
                    present = true;
                    break;
                }
            }
        }
        if (present)
            continue;
        ADOTable2.append();
        targetElement_->setAsInteger(element);
        ADOTable2.post();
    }
    if (Editing(ADOTable2))
        ADOTable2.post();
    ADOTable2.close();
    ADOTable2.open();
}

// The zero-target rule: a target row without a target does not stay.
void TForm4::ADOTable2AfterPost(DataSet&) {
    if (targetVega_->asFloat() == 0.0)
        ADOTable2.deleteRecord();
}

void TForm4::ADOTable2AfterDelete(DataSet&) {
    Button10Click();
}

void TForm4::N9Click() {
    DBNavigator1->press(NavButton::Insert);
}

void TForm4::N10Click() {
    DBNavigator1->press(NavButton::Delete);
}

void TForm4::N13Click() {
    program_.F_Analysis->Open();
}

// Each deletion runs the recipe, which comes back here and removes the rest
// before it calculates; where the cursor is afterwards is therefore unknown,
// and the search starts from the first row again.
void TForm4::RemoveZeroTargets() {
    for (;;) {
        bool found = false;
        for (ADOTable2.first(); !ADOTable2.eof(); ADOTable2.next()) {
            if (targetVega_->asFloat() == 0.0) {
                found = true;
                break;
            }
        }
        if (!found)
            return;
        ADOTable2.deleteRecord();
    }
}

} // namespace solvane
