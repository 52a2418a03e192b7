// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/crop_pane.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "windows/settings/colours.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace solvane {

namespace {

QString StrengthCaption(int percent) {
    return QStringLiteral("Концентрация %1 %").arg(percent);
}

} // namespace

CropPane::CropPane(HandlerGuard& guard, DataSource& crops, QWidget* parent)
    : QGroupBox(QStringLiteral("Культура:"), parent), guard_(guard) {
    setObjectName(QStringLiteral("GroupCrop"));
    auto* layout = MakeColumn(this);
    buildStrength(layout);
    buildCrops(guard, crops, layout);
    connect(strengthBox_, &QLineEdit::textChanged, this, [this] { runAction(&CropPane::strengthTextChanged); });
    connect(strengthSlider_, &QSlider::valueChanged, this, [this] { runAction(&CropPane::strengthSliderMoved); });
}

void CropPane::runAction(void (CropPane::*handler)()) {
    guard_.run(window(), [this, handler] { (this->*handler)(); });
}

int CropPane::strength() const {
    return strengthSlider_->value();
}

QString CropPane::strengthText() const {
    return strengthBox_->text();
}

void CropPane::strengthSliderMoved() {
    const int p = strength();
    {
        // The box shows the value; its own change handler has nothing to add.
        const QSignalBlocker blocker(strengthBox_);
        strengthBox_->setText(QString::number(p));
    }
    announceStrength(p);
}

void CropPane::strengthTextChanged() {
    const QString text = strengthBox_->text();
    if (!text.isEmpty()) {
        const int typed = ParseInteger(text);
        const int before = strengthSlider_->value();
        {
            const QSignalBlocker blocker(strengthSlider_);
            strengthSlider_->setValue(typed); // the slider clamps it to its range
        }
        if (strengthSlider_->value() != before)
            strengthSliderMoved();
    }
    announceStrength(strength());
}

void CropPane::announceStrength(int percent) {
    strengthGroup_->setTitle(StrengthCaption(percent));
    guard_.relay([this, percent] { emit strengthChanged(percent); });
}

void CropPane::setStrengthMaximum(int maximum) {
    if (maximum <= strengthSlider_->minimum())
        return;
    const int before = strengthSlider_->value();
    {
        const QSignalBlocker blocker(strengthSlider_);
        strengthSlider_->setRange(0, maximum);
    }
    if (before > maximum)
        strengthSliderMoved();
}

void CropPane::setStrengthColour(const QColor& colour) {
    SetWidgetColour(strengthSlider_, QPalette::Window, colour);
    SetWidgetColour(strengthBox_->parentWidget(), QPalette::Window, colour);
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
