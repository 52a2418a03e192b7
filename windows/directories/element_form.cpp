#include "windows/directories/element_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/widget_building.h"
#include "windows/directories/coefficient_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

TForm3::TForm3(Program& program)
    : Form(program.guard(), QStringLiteral("Form3")), T_KOF(&program.Form1->ADOConnection1, QStringLiteral("T_KOF")),
      DS_KOF(&T_KOF), T_Element(&program.Form1->ADOConnection1, QStringLiteral("T_Element")), DS_Element(&T_Element),
      program_(program) {
    setWindowTitle(QStringLiteral("Справочник элементов"));
    T_KOF.setTable(QStringLiteral("t_kof"));
    T_Element.setTable(QStringLiteral("T_element"));
    const QString id = QStringLiteral("id_kof");
    T_Element.addLookupField(QStringLiteral("name_k"), ColumnType::Text, 20, id, &T_KOF, id,
                             QStringLiteral("name_kof"));
    T_Element.addLookupField(QStringLiteral("val"), ColumnType::Double, 0, id, &T_KOF, id, QStringLiteral("kof"));
    T_Element.addLookupField(QStringLiteral("oksielement"), ColumnType::Integer, 0, id, &T_KOF, id,
                             QStringLiteral("id_element"));
    buildLayout();
    // Both sets open with the window, at start-up.
    T_Element.open();
    T_KOF.open();
}

TForm3::~TForm3() = default;

void TForm3::buildLayout() {
    HandlerGuard& g = program_.guard();
    auto* outer = MakeColumn(this, 4, kStyleSpacing);

    GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Список элементов:"), this);
    outer->addWidget(GroupBox1);
    auto* groupLayout = MakeColumn(GroupBox1, 6, 4);

    auto* top = MakePanel(QStringLiteral("Panel1"), GroupBox1);
    auto* topLayout = MakeRow(top, 0, 4);
    DBNavigator1 =
        MakeNavigator(g, QStringLiteral("DBNavigator1"), &DS_Element, {NavButton::Insert, NavButton::Post}, top);
    DBNavigator1->setFixedSize(56, 25);
    Button2 = MakeButton(QStringLiteral("Button2"), QStringLiteral("удалить"), top);
    Button3 = MakeButton(QStringLiteral("Button3"), QStringLiteral("коэффициэнты"), top, true);
    Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("выход"), top);
    topLayout->addWidget(DBNavigator1);
    topLayout->addWidget(Button2);
    topLayout->addWidget(Button3);
    topLayout->addStretch(1);
    topLayout->addWidget(Button1);
    groupLayout->addWidget(top);

    dxDBGrid1 = MakeGrid(g, QStringLiteral("dxDBGrid1"), &DS_Element, GroupBox1);
    dxDBGrid1->setAccessibleName(QStringLiteral("Список элементов"));
    dxDBGrid1->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    dxDBGrid1Smallname = dxDBGrid1->addColumn(QStringLiteral("Smallname_element"), QStringLiteral("Обозн."));
    dxDBGrid1Smallname->setWidth(60);
    dxDBGrid1Fullname = dxDBGrid1->addColumn(QStringLiteral("fullname_element"), QStringLiteral("Полное название"));
    dxDBGrid1Fullname->setWidth(160);
    dxDBGrid1kof = dxDBGrid1->addColumn(QStringLiteral("kof"), QStringLiteral("Оксид"));
    dxDBGrid1kof->setCheck();
    dxDBGrid1kof->setWidth(56);
    dxDBGrid1name_k = dxDBGrid1->addColumn(QStringLiteral("name_k"), QStringLiteral("Коэффициент"));
    dxDBGrid1name_k->setLookup(&DS_KOF, QStringLiteral("id_kof"), QStringLiteral("name_kof"), QStringLiteral("id_kof"),
                               22);
    groupLayout->addWidget(dxDBGrid1, 1);

    connectClick(Button2, [this] { Button2Click(); });
    connectClick(Button3, [this] { Button3Click(); });
    connectClick(Button1, [this] { Button1Click(); });

    // The size until the stored one is applied.
    resize(465, 630);
}

void TForm3::Button2Click() {
    const int key = T_Element.fieldByName(QStringLiteral("id_element"))->asInteger();
    if (key >= kFirstKeyElement && key <= kLastKeyElement) {
        program_.messages().show(this, MessageKind::Warning, QStringLiteral("сообщение"),
                                 QStringLiteral("нельзя удалить ключевой элемент!"), MessageButtons::Ok);
        return;
    }
    // An empty list, or one moved past its last row, has nothing to delete.
    if (T_Element.eof())
        return;
    if (program_.messages().show(this, MessageKind::Confirmation, QStringLiteral("подтверждение"),
                                 QStringLiteral("удалить?"), MessageButtons::YesNo) == MessageAnswer::Yes)
        T_Element.deleteRecord();
}

void TForm3::Button3Click() {
    program_.Form6->showWindow();
}

void TForm3::Button1Click() {
    close();
}

void TForm3::FormClose() {
    program_.closingSequence();
}

} // namespace solvane
