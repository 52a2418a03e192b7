// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/coefficient_directory.h"

#include "controls/db_grid.h"
#include "controls/db_lookup_combo.h"
#include "controls/db_navigator.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "store/columns.h"
#include "store/database.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

CoefficientDirectory::CoefficientDirectory(Database& data, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form6")), data_(data) {
    setWindowTitle(QStringLiteral("Спарвочник коэффициентов"));
    // A fixed-size window with only the close icon in its title bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    buildLayout();
}

CoefficientDirectory::~CoefficientDirectory() = default;

void CoefficientDirectory::buildLayout() {
    HandlerGuard& g = guard();
    DataSource* records = &data_.coefficientsSource;

    auto* outer = MakeColumn(this, 6, 6);

    QGroupBox* group = MakeGroup(QStringLiteral("group"), QStringLiteral("Список Коэффициентов:"), this);
    outer->addWidget(group, 1);
    auto* groupLayout = MakeRow(group, 6, 8);

    DBGrid* grid = MakeGrid(g, QStringLiteral("dxDBGrid1"), records, group);
    grid->setAccessibleName(QStringLiteral("Список коэффициентов"));
    grid->addColumn(col::coefficients::name, QStringLiteral("Название коэффициента"))->setWidth(170);
    grid->addColumn(col::coefficients::factor, QStringLiteral("Значение коэффц."))
        ->setSpin(0.01, FieldLimits::Coefficient());
    groupLayout->addWidget(grid, 1);

    auto* side = MakePanel(QStringLiteral("Panel1"), group);
    auto* sideLayout = MakeColumn(side, 0, 0);
    QLabel* label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Коэффициент "), side);
    QLabel* label2 = MakeLabel(QStringLiteral("Label2"), QStringLiteral("пересчета"), side);
    QLabel* label3 = MakeLabel(QStringLiteral("Label3"), QStringLiteral("элемента:"), side);
    auto* elementBox = new DBLookupCombo(g, side);
    elementBox->setObjectName(QStringLiteral("DBLookupComboBox1"));
    elementBox->setAccessibleName(QStringLiteral("Коэффициент пересчета элемента"));
    elementBox->setDataSource(records, col::coefficients::element);
    elementBox->setListSource(&data_.plainElementsSource, col::elements::key, col::elements::shortName);
    label3->setBuddy(elementBox);
    QLabel* label4 = MakeLabel(QStringLiteral("Label4"), QStringLiteral("Внимание!"), side, true);
    QPalette warning = label4->palette();
    warning.setColor(QPalette::WindowText, QColor(128, 0, 0));
    label4->setPalette(warning);
    QLabel* label5 = MakeLabel(QStringLiteral("Label5"), QStringLiteral("не удаляйте"), side);
    QLabel* label6 = MakeLabel(QStringLiteral("Label6"), QStringLiteral("используемые"), side);
    QLabel* label7 = MakeLabel(QStringLiteral("Label7"), QStringLiteral("коэффициенты"), side);
    sideLayout->addWidget(label1);
    sideLayout->addWidget(label2);
    sideLayout->addWidget(label3);
    sideLayout->addSpacing(4);
    sideLayout->addWidget(elementBox);
    sideLayout->addSpacing(16);
    for (QLabel* l : {label4, label5, label6, label7})
        sideLayout->addWidget(l);
    sideLayout->addStretch(1);
    groupLayout->addWidget(side);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    DBNavigator* navigator = MakeNavigator(g, QStringLiteral("DBNavigator1"), records,
                                           {NavButton::Insert, NavButton::Delete, NavButton::Post}, this);
    navigator->setFixedSize(84, 25);
    QPushButton* exitButton = MakeButton(QStringLiteral("Button1"), QStringLiteral("выход"), this);
    bottom->addWidget(navigator);
    bottom->addStretch(1);
    bottom->addWidget(exitButton);
    outer->addLayout(bottom);

    connectClick(exitButton, [this] { close(); });

    setFixedSize(440, 290);
}

void CoefficientDirectory::FormClose() {
    // Closing only hides the window; a change made in it (the element chosen
    // above all, which no grid posts) is stored now rather than left pending
    // until some other window's closing reads every data set again and drops it.
    data_.coefficients.checkBrowseMode();
}

} // namespace solvane
