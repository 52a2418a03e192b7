// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/water_profiles_window.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "core/ec_model.h"
#include "core/field_limits.h"
#include "store/columns.h"
#include "core/number_text.h"
#include "store/database.h"
#include "store/row_place.h"
#include "store/water_profiles.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <map>

namespace solvane {

// Shows the water's EC anew whenever the profiles or their rows change.
class WaterProfilesWindow::Link : public DataLink {
public:
    Link(WaterProfilesWindow& window, DataSource& source) : window_(window), source_(&source) {
        source_->addLink(this);
    }
    ~Link() override {
        if (source_)
            source_->removeLink(this);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    void dataEvent(DataEvent event, Field*) override {
        if (event != DataEvent::FieldChanged && event != DataEvent::StateChanged && event != DataEvent::UpdateRecord)
            window_.showWaterEc();
    }
    void dataSourceDestroyed(DataSource*) override { source_ = nullptr; }

private:
    WaterProfilesWindow& window_;
    DataSource* source_;
};

WaterProfilesWindow::WaterProfilesWindow(Database& data, HandlerGuard& guard)
    : Form(guard, QStringLiteral("WaterProfilesWindow")), data_(data) {
    setWindowTitle(QStringLiteral("Исходная вода"));
    buildLayout();
    profilesLink_ = std::make_unique<Link>(*this, data_.waterProfilesSource);
    elementsLink_ = std::make_unique<Link>(*this, data_.waterElementsSource);
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
    profilesGrid_ = MakeGrid(g, QStringLiteral("WaterProfilesGrid"), &data_.waterProfilesSource, profilesGroup_);
    profilesGrid_->setAccessibleName(QStringLiteral("Профили воды"));
    profilesGrid_->addColumn(col::water::name, QStringLiteral("Название"))->setWidth(150);
    profilesGrid_->addColumn(col::water::bicarbonateLeft, QStringLiteral("Оставить HCO3, мг/л"))
        ->setSpin(0.1, FieldLimits::BicarbonateLeft());
    profilesGrid_->horizontalHeader()->setStretchLastSection(true);
    profilesLayout->addWidget(profilesGrid_, 1);
    profilesNavigator_ = MakeNavigator(g, QStringLiteral("WaterProfilesNavigator"), &data_.waterProfilesSource,
                                       {NavButton::Insert, NavButton::Delete, NavButton::Post}, profilesGroup_);
    profilesNavigator_->deleteAction = [this] { deleteProfile(); };
    profilesLayout->addWidget(profilesNavigator_);
    panes->addWidget(profilesGroup_, 1);

    elementsGroup_ = MakeGroup(QStringLiteral("GroupWaterElements"), QStringLiteral("Содержание, мг/л:"), this);
    auto* elementsLayout = MakeColumn(elementsGroup_);
    elementsGrid_ = MakeGrid(g, QStringLiteral("WaterElementsGrid"), &data_.waterElementsSource, elementsGroup_);
    elementsGrid_->setAccessibleName(QStringLiteral("Элементы воды"));
    DBGridColumn* element = elementsGrid_->addColumn(col::waterElements::elementName, QStringLiteral("Элемент"));
    element->setLookup(&data_.plainElementsSource, col::elements::key, col::elements::shortName,
                       col::waterElements::element, 12);
    element->setWidth(80);
    elementsGrid_->addColumn(col::waterElements::amount, QStringLiteral("мг/л"))->setSpin(0.1, FieldLimits::Target());
    elementsGrid_->horizontalHeader()->setStretchLastSection(true);
    elementsLayout->addWidget(elementsGrid_, 1);
    elementsNavigator_ = MakeNavigator(g, QStringLiteral("WaterElementsNavigator"), &data_.waterElementsSource,
                                       {NavButton::Insert, NavButton::Delete, NavButton::Post}, elementsGroup_);
    elementsLayout->addWidget(elementsNavigator_);
    panes->addWidget(elementsGroup_, 1);

    auto* bottom = new QHBoxLayout;
    waterEc_ = MakeLabel(QStringLiteral("WaterEcLabel"), QString(), this);
    waterEc_->setAccessibleName(QStringLiteral("EC воды"));
    bottom->addWidget(waterEc_);
    bottom->addStretch(1);
    closeButton_ = MakeButton(QStringLiteral("WaterCloseButton"), QStringLiteral("Закрыть"), this);
    bottom->addWidget(closeButton_);
    outer->addLayout(bottom);
    connectClick(closeButton_, [this] { close(); });

    resize(640, 340);
}

void WaterProfilesWindow::deleteProfile() {
    DataSet& profiles = data_.waterProfiles;
    DataSet& profileElements = data_.waterElements;
    if (!profiles.isActive() || profiles.isEmpty() || profiles.state() == DataSetState::Insert) {
        if (profiles.state() == DataSetState::Insert)
            profiles.cancel();
        return;
    }
    const QString name = profiles.fieldByName(col::water::name)->asString();
    const QVariant key = profiles.fieldByName(col::water::key)->value();
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
    OptionsStore& options = data_.optionsStore();
    const QVariant selected = options.water();
    if (!selected.isNull() && selected.toLongLong() == key.toLongLong())
        options.setWater(QVariant());
    profiles.deleteRecord();
}

QString WaterProfilesWindow::waterEcText() {
    DataSet& profiles = data_.waterProfiles;
    if (!profiles.isActive() || profiles.isEmpty() || !data_.waterElements.isActive())
        return {};
    const QVariant profile = profiles.fieldByName(col::water::key)->value();
    if (profile.isNull())
        return {};
    const double ec = SolutionEc(WaterIonSums(data_.waterElements, data_.elements, profile).mmolPerLitre, kWaterPh);
    if (!std::isfinite(ec))
        return QStringLiteral("EC воды не рассчитывается: концентрации слишком велики");
    return QStringLiteral("EC воды ≈ ") + FormatDecimals(ec, 2) + QStringLiteral(" мСм/см при pH ") +
           FormatNumber(kWaterPh);
}

// Runs inside whatever action changed the sets: a failure is that action's.
void WaterProfilesWindow::showWaterEc() {
    waterEc_->setText(waterEcText());
}

// The window opens on the profile the calculator counts, when there is one.
void WaterProfilesWindow::FormShow() {
    const QVariant inUse = data_.optionsStore().water();
    if (!inUse.isNull())
        RowPlace{inUse, data_.waterProfiles.recNo()}.returnTo(data_.waterProfiles, col::water::key);
}

void WaterProfilesWindow::FormClose() {
    data_.waterElements.checkBrowseMode();
    data_.waterProfiles.checkBrowseMode();
    relay([this] { emit waterProfilesClosed(); });
}

} // namespace solvane
