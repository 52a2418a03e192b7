#include "windows/directories/fertilizer_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "core/field_limits.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "windows/directories/converter_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_list.h"
#include "core/number_text.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace solvane {

namespace {

// The search box is 80 pixels narrower than its row.
constexpr int kSearchBoxMargin = 80;
// After a resize of the window the search box is 90 pixels narrower than half
// the outer group.
constexpr int kSearchBoxMarginOnResize = 90;
constexpr int kSplitterBarWidth = 7;
constexpr int kInitialSplitterPosition = 309;

} // namespace

TForm2::TForm2(Program& program)
    : Form(program.guard(), QStringLiteral("Form2")),
      T_Udobra(&program.Form1->ADOConnection1, QStringLiteral("T_Udobra")), DS_UDobRA(&T_Udobra),
      T_Sostav_Udobra(&program.Form1->ADOConnection1, QStringLiteral("T_Sostav_Udobra")), DS_SOSTAV(&T_Sostav_Udobra),
      program_(program) {
    setWindowTitle(QStringLiteral("Справочник удобрений"));
    T_Udobra.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"), QStringLiteral("t_udobra"));
    T_Sostav_Udobra.setTable(QStringLiteral("T_sostav_udobra"));
    T_Sostav_Udobra.setMaster(&DS_UDobRA, QStringLiteral("id_udobra"), QStringLiteral("id_udobra"));
    DS_UDobRA.onDataChange = [this](Field*) { DS_UDobRADataChange(); };
    buildLayout();
}

TForm2::~TForm2() = default;

void TForm2::buildLayout() {
    HandlerGuard& g = program_.guard();
    auto* outer = MakeColumn(this, 4, kStyleSpacing);

    GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Список удобрений:"), this);
    outer->addWidget(GroupBox1);
    auto* groupLayout = MakeColumn(GroupBox1, 4, kStyleSpacing);

    RzSplitter1 = MakeSplitter(g, QStringLiteral("RzSplitter1"), Qt::Horizontal, GroupBox1);
    RzSplitter1->setHandleWidth(kSplitterBarWidth);
    groupLayout->addWidget(RzSplitter1);

    // ---- left pane: the fertilizers ----
    Panel1 = MakePanel(QStringLiteral("Panel1"), RzSplitter1);
    auto* left = MakeColumn(Panel1, 0, 4);

    PanelSearch = MakePanel(QStringLiteral("PanelSearch"), Panel1);
    PanelSearch->setFixedHeight(28);
    Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Поиск:"), PanelSearch, true);
    Label1->setGeometry(4, 5, kFertilizerSearchBoxLeft - 6, 18);
    Edit1 = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Поиск:"), PanelSearch);
    Edit1->setGeometry(kFertilizerSearchBoxLeft, 3, 200, 22);
    Label1->setBuddy(Edit1);
    left->addWidget(PanelSearch);

    dxDBGrid2 = MakeGrid(g, QStringLiteral("dxDBGrid2"), &DS_UDobRA, Panel1);
    dxDBGrid2->setAccessibleName(QStringLiteral("Список удобрений"));
    dxDBGrid2->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    QPalette tooltip = dxDBGrid2->palette();
    const QPalette system = QApplication::palette();
    tooltip.setColor(QPalette::Base, system.color(QPalette::ToolTipBase));
    tooltip.setColor(QPalette::Text, system.color(QPalette::ToolTipText));
    dxDBGrid2->setPalette(tooltip);
    dxDBGrid2name_udobra = dxDBGrid2->addColumn(QStringLiteral("name_udobra"), QStringLiteral("Название"));
    dxDBGrid2name_udobra->setWidth(154);
    dxDBGrid2name_udobra->setSortMark(SortMark::Ascending);
    dxDBGrid2ppm = dxDBGrid2->addColumn(QStringLiteral("ppm"), QStringLiteral("PPM, 1г./л."));
    dxDBGrid2ppm->setWidth(74);
    dxDBGrid2ppm->setLimits(FieldLimits::Ppm());
    left->addWidget(dxDBGrid2, 1);

    DBNavigator1 = MakeNavigator(g, QStringLiteral("DBNavigator1"), &DS_UDobRA,
                                 {NavButton::Insert, NavButton::Delete, NavButton::Post}, Panel1);
    DBNavigator1->setFixedHeight(25);
    left->addWidget(DBNavigator1);

    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    Label2 = MakeLabel(QStringLiteral("Label2"), QStringLiteral("Всего удобрений:   "), Panel1);
    Label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("0"), Panel1);
    Label3->setAccessibleName(QStringLiteral("Всего удобрений"));
    countRow->addWidget(Label2);
    countRow->addWidget(Label3);
    countRow->addStretch(1);
    left->addLayout(countRow);
    RzSplitter1->addWidget(Panel1);

    // ---- right pane: the content of the current fertilizer ----
    GroupBox2 =
        MakeGroup(QStringLiteral("GroupBox2"), QStringLiteral("Содержание элементов в удобрении:"), RzSplitter1);
    auto* right = MakeColumn(GroupBox2, 4, 4);
    DBNavigator3 = MakeNavigator(g, QStringLiteral("DBNavigator3"), &DS_SOSTAV,
                                 {NavButton::Insert, NavButton::Delete, NavButton::Post}, GroupBox2);
    DBNavigator3->setFixedHeight(25);
    right->addWidget(DBNavigator3);
    dxDBGrid1 = MakeGrid(g, QStringLiteral("dxDBGrid1"), &DS_SOSTAV, GroupBox2);
    dxDBGrid1->setAccessibleName(QStringLiteral("Содержание элементов в удобрении"));
    dxDBGrid1->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    right->addWidget(dxDBGrid1, 1);
    Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("КОНВЕРТЕР"), GroupBox2, true);
    right->addWidget(Button1);
    RzSplitter1->addWidget(GroupBox2);

    // The content pane keeps its width when the window is resized.
    RzSplitter1->setFixedSecondPane(true);
    RzSplitter1->setPosition(kInitialSplitterPosition);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { runGuarded([this] { Edit1Change(); }); });
    dxDBGrid2->onColumnClick = [this](int) { dxDBGrid2ColumnClick(); };
    dxDBGrid1->onClick = [this] { dxDBGrid1Click(); };
    DBNavigator3->onClick = [this](NavButton button) { DBNavigator3Click(button); };
    RzSplitter1->onChange = [this] { RzSplitter1Change(); };
    connectClick(Button1, [this] { Button1Click(); });

    // The size until the stored one is applied.
    resize(627, 603);
}

void TForm2::linkWindows() {
    DataSet* elements = &program_.Form3->T_Element;
    const QString id = QStringLiteral("id_element");
    T_Sostav_Udobra.addLookupField(QStringLiteral("name_element"), ColumnType::Text, 10, id, elements, id,
                                   QStringLiteral("Smallname_element"));
    val_ = T_Sostav_Udobra.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, id, elements, id,
                                          QStringLiteral("val"));
    free_ = T_Sostav_Udobra.addCalculatedField(QStringLiteral("free"), ColumnType::Double);
    okel_ = T_Sostav_Udobra.addLookupField(QStringLiteral("okel"), ColumnType::Integer, 0, id, elements, id,
                                           QStringLiteral("oksielement"));
    freeid_ = T_Sostav_Udobra.addCalculatedField(QStringLiteral("freeid"), ColumnType::Integer);
    kolElement_ = T_Sostav_Udobra.fieldByName(QStringLiteral("kol_element"));
    idElement_ = T_Sostav_Udobra.fieldByName(id);
    T_Sostav_Udobra.onCalcFields = [this](DataSet& ds) { T_Sostav_UdobraCalcFields(ds); };

    // The content grid lists the element directory's elements, which exist only now.
    dxDBGrid1name_element = dxDBGrid1->addColumn(QStringLiteral("name_element"), QStringLiteral("Название"));
    dxDBGrid1name_element->setLookup(&program_.Form3->DS_Element, id, QStringLiteral("Smallname_element"), id, 19);
    dxDBGrid1name_element->setWidth(110);
    dxDBGrid1kol_element = dxDBGrid1->addColumn(QStringLiteral("kol_element"), QStringLiteral("Кол-во, %"));
    dxDBGrid1kol_element->setSpin(0.0001, FieldLimits::Content(), 100);
}

ContentInElementTerms InElementTerms(const QVariant& kolElement, const QVariant& idElement, const QVariant& val,
                                     const QVariant& okel) {
    ContentInElementTerms terms;
    terms.free = val.isNull() ? kolElement : QVariant(kolElement.toDouble() * val.toDouble());
    terms.freeid = okel.isNull() ? idElement : okel;
    return terms;
}

void TForm2::T_Sostav_UdobraCalcFields(DataSet&) {
    const ContentInElementTerms terms =
        InElementTerms(kolElement_->value(), idElement_->value(), val_->value(), okel_->value());
    free_->setValue(terms.free);
    freeid_->setValue(terms.freeid);
}

void TForm2::setSearchBoxWidth(int width) {
    Edit1->resize(std::max(0, width), Edit1->height());
}

void TForm2::FormShow() {
    setSearchBoxWidth(PanelSearch->width() - kSearchBoxMargin);
}

void TForm2::RzSplitter1Change() {
    setSearchBoxWidth(PanelSearch->width() - kSearchBoxMargin);
}

void TForm2::FormResize() {
    // A size set while the window is hidden (the stored geometry) is followed
    // by the stored splitter position, which must not be overridden when the
    // window is then shown; the rule is for resizing a window on the screen.
    if (!isVisible())
        return;
    const int half = GroupBox1->width() / 2;
    RzSplitter1->setPosition(half);
    setSearchBoxWidth(half - kSearchBoxMarginOnResize);
}

void TForm2::Edit1Change() {
    SearchFertilizers(T_Udobra, Edit1->text());
}

void TForm2::dxDBGrid2ColumnClick() {
    // Any header sorts by name.
    ToggleNameSort(T_Udobra, *dxDBGrid2name_udobra);
}

void TForm2::DS_UDobRADataChange() {
    if (!T_Udobra.isActive())
        return;
    const QString count = FormatInteger(T_Udobra.recordCount());
    Label3->setText(count);
    if (program_.Form4 && program_.Form4->Label6)
        program_.Form4->Label6->setText(count);
}

void TForm2::dxDBGrid1Click() {
    if (T_Udobra.isActive() && T_Udobra.isModified())
        T_Udobra.post();
}

void TForm2::DBNavigator3Click(NavButton button) {
    if (button != NavButton::Insert || !T_Udobra.isActive())
        return;
    // The fertilizer is stored with what the list's cell editor still holds,
    // as leaving the list would store it; an edit that changed nothing is
    // dropped. Storing it makes the content show its rows afresh, which
    // drops the row just inserted: a second press adds the row.
    const bool newFertilizer = T_Udobra.state() == DataSetState::Insert;
    try {
        T_Udobra.checkBrowseMode();
    } catch (...) {
        // A new fertilizer has no key yet, so a content row inserted now
        // would belong to no fertilizer.
        if (newFertilizer && T_Udobra.state() == DataSetState::Insert &&
            T_Sostav_Udobra.state() == DataSetState::Insert)
            T_Sostav_Udobra.cancel();
        throw;
    }
    // Without a fertilizer (an empty list) a content row would belong to none.
    if (T_Udobra.isEmpty() && T_Sostav_Udobra.state() == DataSetState::Insert)
        T_Sostav_Udobra.cancel();
}

void TForm2::Button1Click() {
    program_.F_Converter->showWindow();
}

void TForm2::FormClose() {
    program_.closingSequence();
}

} // namespace solvane
