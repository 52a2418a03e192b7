#include "windows/directories/coefficient_form.h"

#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "core/field_limits.h"
#include "controls/db_grid.h"
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "controls/widget_building.h"
#include "windows/directories/element_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

TForm6::TForm6(Program& program) : Form(program.guard(), QStringLiteral("Form6")), program_(program) {
    setWindowTitle(QStringLiteral("Спарвочник коэффициентов"));
    // A fixed-size window with only the close icon in its title bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    buildLayout();
}

TForm6::~TForm6() = default;

void TForm6::buildLayout() {
    HandlerGuard& g = program_.guard();
    DataSource* records = &program_.Form3->DS_KOF;

    auto* outer = MakeColumn(this, 6, 6);

    GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Список Коэффициентов:"), this);
    outer->addWidget(GroupBox1, 1);
    auto* groupLayout = MakeRow(GroupBox1, 6, 8);

    dxDBGrid1 = MakeGrid(g, QStringLiteral("dxDBGrid1"), records, GroupBox1);
    dxDBGrid1->setAccessibleName(QStringLiteral("Список коэффициентов"));
    dxDBGrid1name_kof = dxDBGrid1->addColumn(QStringLiteral("name_kof"), QStringLiteral("Название коэффициента"));
    dxDBGrid1name_kof->setWidth(170);
    dxDBGrid1kof = dxDBGrid1->addColumn(QStringLiteral("kof"), QStringLiteral("Значение коэффц."));
    dxDBGrid1kof->setSpin(0.01, FieldLimits::Coefficient());
    groupLayout->addWidget(dxDBGrid1, 1);

    auto* side = MakePanel(QStringLiteral("Panel1"), GroupBox1);
    auto* sideLayout = MakeColumn(side, 0, 0);
    Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Коэффициент "), side);
    Label2 = MakeLabel(QStringLiteral("Label2"), QStringLiteral("пересчета"), side);
    Label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("элемента:"), side);
    DBLookupComboBox1 = new DBLookupCombo(g, side);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setAccessibleName(QStringLiteral("Коэффициент пересчета элемента"));
    DBLookupComboBox1->setDataSource(records, QStringLiteral("id_element"));
    DBLookupComboBox1->setListSource(&program_.Form4->DS_EL, QStringLiteral("id_element"),
                                     QStringLiteral("Smallname_element"));
    Label3->setBuddy(DBLookupComboBox1);
    Label4 = MakeLabel(QStringLiteral("Label4"), QStringLiteral("Внимание!"), side, true);
    QPalette warning = Label4->palette();
    warning.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Label4->setPalette(warning);
    Label5 = MakeLabel(QStringLiteral("Label5"), QStringLiteral("не удаляйте"), side);
    Label6 = MakeLabel(QStringLiteral("Label6"), QStringLiteral("используемые"), side);
    Label7 = MakeLabel(QStringLiteral("Label7"), QStringLiteral("коэффициенты"), side);
    sideLayout->addWidget(Label1);
    sideLayout->addWidget(Label2);
    sideLayout->addWidget(Label3);
    sideLayout->addSpacing(4);
    sideLayout->addWidget(DBLookupComboBox1);
    sideLayout->addSpacing(16);
    for (QLabel* l : {Label4, Label5, Label6, Label7})
        sideLayout->addWidget(l);
    sideLayout->addStretch(1);
    groupLayout->addWidget(side);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    DBNavigator1 = MakeNavigator(g, QStringLiteral("DBNavigator1"), records,
                                 {NavButton::Insert, NavButton::Delete, NavButton::Post}, this);
    DBNavigator1->setFixedSize(84, 25);
    Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("выход"), this);
    bottom->addWidget(DBNavigator1);
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    outer->addLayout(bottom);

    connectClick(Button1, [this] { Button1Click(); });

    setFixedSize(440, 290);
}

void TForm6::Button1Click() {
    close();
}

void TForm6::FormClose() {
    // Closing only hides the window; a change made in it (the element chosen
    // above all, which no grid posts) is stored now rather than left pending
    // until some other window's closing reads every data set again and drops it.
    program_.Form3->T_KOF.checkBrowseMode();
}

} // namespace solvane
