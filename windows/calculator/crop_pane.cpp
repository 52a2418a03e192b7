// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/crop_pane.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/widget_building.h"
#include "store/columns.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace solvane {

CropPane::CropPane(HandlerGuard& guard, DataSource& crops, QWidget* parent)
    : QGroupBox(QStringLiteral("Культура:"), parent) {
    setObjectName(QStringLiteral("GroupCrop"));
    auto* layout = MakeColumn(this);
    buildStrength(layout);
    buildCrops(guard, crops, layout);
}

QWidget* CropPane::strengthEditPanel() const {
    return strengthBox_->parentWidget();
}

QWidget* CropPane::navigators() const {
    return deleteNavigator_->parentWidget();
}

void CropPane::buildStrength(QVBoxLayout* layout) {
    strengthGroup_ = MakeGroup(QStringLiteral("GroupStrength"), QStringLiteral("Концентрация: 100%"), this);
    auto* strengthLayout = MakeRow(strengthGroup_);
    strengthSlider_ = new QSlider(Qt::Horizontal, strengthGroup_);
    strengthSlider_->setObjectName(QStringLiteral("RxSlider1"));
    strengthSlider_->setRange(0, 250);
    strengthSlider_->setSingleStep(1);
    strengthSlider_->setPageStep(1);
    strengthSlider_->setValue(100);
    strengthSlider_->setToolTip(QStringLiteral("Процентная концентрация"));
    strengthSlider_->setAccessibleName(QStringLiteral("Процентная концентрация"));
    strengthLayout->addWidget(strengthSlider_, 1);
    auto* strengthEditPanel = MakePanel(QStringLiteral("PanelStrengthEdit"), strengthGroup_);
    auto* strengthEditLayout = MakeRow(strengthEditPanel, 0, 0);
    strengthBox_ = MakeEdit(QStringLiteral("Edit2"), QStringLiteral("Процентная концентрация"), strengthEditPanel,
                            QStringLiteral("100"));
    strengthBox_->setMaximumWidth(48);
    strengthEditLayout->addWidget(strengthBox_);
    strengthLayout->addWidget(strengthEditPanel);
    strengthGroup_->hide();
    layout->addWidget(strengthGroup_);
}

void CropPane::buildCrops(HandlerGuard& guard, DataSource& crops, QVBoxLayout* layout) {
    auto* cropRow = MakePanel(QStringLiteral("PanelCrops"), this);
    auto* cropRowLayout = MakeRow(cropRow, 0, 2);
    grid_ = MakeGrid(guard, QStringLiteral("dxDBGrid6"), &crops, cropRow);
    grid_->addColumn(col::crops::name, QStringLiteral("Название"));
    grid_->addColumn(col::crops::ph, QStringLiteral("ph"))->setWidth(80);
    grid_->addColumn(col::crops::ec, QStringLiteral("EC"))->setWidth(60);
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->addColumn(col::crops::key, QStringLiteral("id_kult"))->setVisible(false);
    cropRowLayout->addWidget(grid_, 1);

    auto* navigators = MakePanel(QStringLiteral("CropNavigators"), cropRow);
    auto* navigatorLayout = MakeColumn(navigators, 0, 2);
    const auto cropNavigator = [&](const QString& name, NavButton which, const QString& hint) {
        auto* navigator = MakeNavigator(guard, name, &crops, {which}, navigators);
        navigator->setHint(which, hint);
        navigatorLayout->addWidget(navigator);
        return navigator;
    };
    cropNavigator(QStringLiteral("DBNavigator2"), NavButton::Insert, QStringLiteral("Добавить новую культуру"));
    deleteNavigator_ =
        cropNavigator(QStringLiteral("DBNavigator3"), NavButton::Delete, QStringLiteral("Удалить культуру"));
    postNavigator_ =
        cropNavigator(QStringLiteral("DBNavigator4"), NavButton::Post, QStringLiteral("Сохранить изменения"));
    navigatorLayout->addStretch(1);
    cropRowLayout->addWidget(navigators);
    layout->addWidget(cropRow, 1);
}

} // namespace solvane
