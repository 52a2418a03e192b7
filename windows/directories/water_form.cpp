#include "windows/directories/water_form.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "windows/directories/element_form.h"
#include "core/field_limits.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <algorithm>
#include <map>

namespace solvane {

WaterProfilesWindow::WaterProfilesWindow(Program& program)
    : Form(program.guard(), QStringLiteral("WaterProfilesWindow")),
      profiles(&program.Form1->ADOConnection1, QStringLiteral("T_water")), profilesSource(&profiles),
      profileElements(&program.Form1->ADOConnection1, QStringLiteral("T_water_el")),
      profileElementsSource(&profileElements), program_(program) {
    setWindowTitle(QStringLiteral("Исходная вода"));
    profiles.setTable(QStringLiteral("t_water"));
    profileElements.setTable(QStringLiteral("t_water_el"));
    profileElements.setMaster(&profilesSource, QStringLiteral("id_water"), QStringLiteral("id_water"));
    profileElements.addLookupField(QStringLiteral("name_el"), ColumnType::Text, 10, QStringLiteral("id_element"),
                                   &program.Form3->T_Element, QStringLiteral("id_element"),
                                   QStringLiteral("Smallname_element"));
    buildLayout();
}

WaterProfilesWindow::~WaterProfilesWindow() = default;

void WaterProfilesWindow::buildLayout() {
    HandlerGuard& g = guard();
    auto* outer = MakeColumn(this, 6, 6);
    auto* panes = new QHBoxLayout;
    panes->setSpacing(6);
    outer->addLayout(panes, 1);

    profilesGroup_ = MakeGroup(QStringLiteral("GroupWaterProfiles"), QStringLiteral("Профили воды:"), this);
    auto* profilesLayout = MakeColumn(profilesGroup_);
    profilesGrid_ = MakeGrid(g, QStringLiteral("WaterProfilesGrid"), &profilesSource, profilesGroup_);
    profilesGrid_->setAccessibleName(QStringLiteral("Профили воды"));
    profilesGrid_->addColumn(QStringLiteral("name_water"), QStringLiteral("Название"));
    profilesGrid_->horizontalHeader()->setStretchLastSection(true);
    profilesLayout->addWidget(profilesGrid_, 1);
    profilesNavigator_ = MakeNavigator(g, QStringLiteral("WaterProfilesNavigator"), &profilesSource,
                                       {NavButton::Insert, NavButton::Delete, NavButton::Post}, profilesGroup_);
    profilesNavigator_->deleteAction = [this] { deleteProfile(); };
    profilesLayout->addWidget(profilesNavigator_);
    panes->addWidget(profilesGroup_, 1);

    elementsGroup_ = MakeGroup(QStringLiteral("GroupWaterElements"), QStringLiteral("Содержание, мг/л:"), this);
    auto* elementsLayout = MakeColumn(elementsGroup_);
    elementsGrid_ = MakeGrid(g, QStringLiteral("WaterElementsGrid"), &profileElementsSource, elementsGroup_);
    elementsGrid_->setAccessibleName(QStringLiteral("Элементы воды"));
    DBGridColumn* element = elementsGrid_->addColumn(QStringLiteral("name_el"), QStringLiteral("Элемент"));
    element->setLookup(&program_.Form4->DS_EL, QStringLiteral("id_element"), QStringLiteral("Smallname_element"),
                       QStringLiteral("id_element"), 12);
    element->setWidth(80);
    elementsGrid_->addColumn(QStringLiteral("kol"), QStringLiteral("мг/л"))->setSpin(0.1, FieldLimits::Target());
    elementsGrid_->horizontalHeader()->setStretchLastSection(true);
    elementsLayout->addWidget(elementsGrid_, 1);
    elementsNavigator_ = MakeNavigator(g, QStringLiteral("WaterElementsNavigator"), &profileElementsSource,
                                       {NavButton::Insert, NavButton::Delete, NavButton::Post}, elementsGroup_);
    elementsLayout->addWidget(elementsNavigator_);
    panes->addWidget(elementsGroup_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    closeButton_ = MakeButton(QStringLiteral("WaterCloseButton"), QStringLiteral("Закрыть"), this);
    bottom->addWidget(closeButton_);
    outer->addLayout(bottom);
    connectClick(closeButton_, [this] { close(); });

    resize(520, 320);
}

std::vector<std::pair<long long, double>> WaterProfilesWindow::elementsOf(const QVariant& profile) const {
    std::map<long long, double> sums;
    if (profile.isNull() || !profileElements.isActive())
        return {};
    const Field* owner = profileElements.fieldByName(QStringLiteral("id_water"));
    const Field* element = profileElements.fieldByName(QStringLiteral("id_element"));
    const Field* amount = profileElements.fieldByName(QStringLiteral("kol"));
    int ownerColumn = -1, elementColumn = -1, amountColumn = -1, column = 0;
    for (const auto& f : profileElements.fields()) {
        if (f->kind() != FieldKind::Data)
            continue;
        if (f.get() == owner)
            ownerColumn = column;
        if (f.get() == element)
            elementColumn = column;
        if (f.get() == amount)
            amountColumn = column;
        ++column;
    }
    for (const std::vector<QVariant>& row : profileElements.snapshot())
        if (row[static_cast<size_t>(ownerColumn)].toLongLong() == profile.toLongLong() &&
            !row[static_cast<size_t>(elementColumn)].isNull())
            sums[row[static_cast<size_t>(elementColumn)].toLongLong()] +=
                row[static_cast<size_t>(amountColumn)].toDouble();
    return {sums.begin(), sums.end()};
}

std::vector<std::pair<QVariant, QString>> WaterProfilesWindow::profileNames() const {
    std::vector<std::pair<QVariant, QString>> names;
    if (!profiles.isActive())
        return names;
    // The key is the first column, the name the second.
    for (const std::vector<QVariant>& row : profiles.snapshot())
        names.emplace_back(row.at(0), row.at(1).toString());
    return names;
}

void WaterProfilesWindow::deleteProfile() {
    if (!profiles.isActive() || profiles.isEmpty() || profiles.state() == DataSetState::Insert) {
        if (profiles.state() == DataSetState::Insert)
            profiles.cancel();
        return;
    }
    const QString name = profiles.fieldByName(QStringLiteral("name_water"))->asString();
    const QVariant key = profiles.fieldByName(QStringLiteral("id_water"))->value();
    if (guard().messages().show(this, MessageKind::Confirmation, QStringLiteral("подтверждение"),
                                QStringLiteral("Удалить профиль воды «%1»?").arg(name),
                                MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    // Its elements go with it, and the calculator stops counting it, in the same action.
    profileElements.checkBrowseMode();
    while (!profileElements.isEmpty()) {
        profileElements.first();
        profileElements.deleteRecord();
    }
    program_.Form4->forgetWater(key);
    profiles.deleteRecord();
}

void WaterProfilesWindow::FormShow() {
    selectedProfile_ = program_.Form4->selectedWater();
    selectedBefore_ = elementsOf(selectedProfile_);
}

void WaterProfilesWindow::FormClose() {
    profileElements.checkBrowseMode();
    profiles.checkBrowseMode();
    const QVariant selected = program_.Form4->selectedWater();
    const bool changed = selected != selectedProfile_ || elementsOf(selected) != selectedBefore_;
    program_.Form4->waterProfilesChanged(changed);
}

} // namespace solvane
