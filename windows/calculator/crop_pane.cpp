// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/crop_pane.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "core/number_text.h"
#include "model/working_solution.h"
#include "store/cascade.h"
#include "store/columns.h"
#include "store/database.h"
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

CropPane::CropPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent)
    : QGroupBox(QStringLiteral("Культура:"), parent), guard_(guard), data_(data), solution_(solution) {
    setObjectName(QStringLiteral("GroupCrop"));
    auto* layout = MakeColumn(this);
    buildStrength(layout);
    buildCrops(layout);
    connect(strengthBox_, &QLineEdit::textChanged, this, [this] { runAction(&CropPane::strengthTextChanged); });
    connect(strengthSlider_, &QSlider::valueChanged, this, [this] { runAction(&CropPane::strengthSliderMoved); });
    // A crop clicked, or stored in its grid or by its navigator, has what
    // follows from it; the grid and the navigators run these as user actions.
    grid_->onClick = [this] { cropPosted(); };
    grid_->onPosted = [this] { cropPosted(); };
    postNavigator_->onClick = [this](NavButton) { cropPosted(); };
    deleteNavigator_->deleteAction = [this] { deleteCrop(); };
}

void CropPane::cropPosted() {
    // The passes' failures, shown by the calculator, stop the action.
    guard_.relay([this] { solution_.cropChosen(); });
    data_.targets.close();
    data_.targets.open();
    solution_.rememberCrop();
}

// A crop with target rows or saved solutions goes with them, after its own
// question, in one transaction; one with neither after the standard question.
void CropPane::deleteCrop() {
    DataSet& crops = data_.crops;
    MessageService& messages = guard_.messages();
    if (!crops.isActive())
        return;
    // What is being typed for the crop is stored (or dropped) before it is counted.
    for (DataSet* set : {&data_.savedLines, &data_.savedSolutions, &data_.targets})
        set->checkBrowseMode();
    const Field* cropKey = crops.fieldByName(col::crops::key);
    const CropContents contents = crops.isEmpty() || crops.state() == DataSetState::Insert
                                      ? CropContents()
                                      : CropUsage(data_.connection(), cropKey->asLargeInt());
    if (!contents.any()) {
        if (!messages.confirmDelete(window()))
            return;
        crops.deleteRecord();
    } else {
        const long long key = cropKey->asLargeInt();
        const QString question = CropDeletionQuestion(crops.fieldByName(col::crops::name)->asString(), contents);
        if (messages.show(window(), MessageKind::Confirmation, QStringLiteral("подтверждение"), question,
                          MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        Connection& connection = data_.connection();
        const std::vector<DataSet*> dependent = {&data_.targets, &data_.savedSolutions, &data_.savedLines};
        std::vector<DataSet*> sets = dependent;
        sets.push_back(&crops);
        AllOrNothing(connection, sets, [&] {
            DeleteCropTargetsAndSolutions(connection, key);
            crops.deleteRecord();
        });
        // The crop's rows leave the sets as they left the file.
        ReloadDataSets(dependent, {});
    }
    // The crop now current is the one in use, and shows what its rows give
    // (its totals too, also after a crop without rows went).
    solution_.rememberCrop();
    guard_.relay([this] { solution_.refresh(); });
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

void CropPane::buildCrops(QVBoxLayout* layout) {
    HandlerGuard& guard = guard_;
    DataSource& crops = data_.cropsSource;
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
