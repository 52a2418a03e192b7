// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/fit_choice_panel.h"

#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/error.h"
#include "model/acid_line.h"
#include "model/solution_calculation.h"
#include "model/working_solution.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/options.h"
#include "store/water_profiles.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

namespace solvane {

FitChoicePanel::FitChoicePanel(HandlerGuard& guard, Database& data, const WorkingSolution& solution, QWidget* parent)
    : QWidget(parent), guard_(guard), data_(data), solution_(solution) {
    setObjectName(QStringLiteral("PanelFit"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 2);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    buildFitAndWater(grid);
    buildAcid(grid);
    grid->setColumnStretch(3, 1);
    connect(fitModeBox_, &QComboBox::activated, this, [this] { guard_.run(window(), [this] { chooseFitMode(); }); });
    connect(waterBox_, &QComboBox::activated, this, [this] {
        guard_.run(window(), [this] {
            const QVariant profile = waterBox_->currentData();
            guard_.relay([this, &profile] { emit waterChosen(profile); });
        });
    });
    connect(acidBox_, &QComboBox::activated, this, [this] { guard_.run(window(), [this] { chooseAcid(); }); });
    connect(waterButton_, &QPushButton::clicked, this,
            [this] { guard_.run(window(), [this] { request(&FitChoicePanel::waterProfilesRequested); }); });
}

void FitChoicePanel::buildFitAndWater(QGridLayout* grid) {
    auto* fitLabel = MakeLabel(QStringLiteral("LabelFit"), QStringLiteral("Подбор:"), this);
    fitModeBox_ = new QComboBox(this);
    fitModeBox_->setObjectName(QStringLiteral("FitModeBox"));
    fitModeBox_->setAccessibleName(QStringLiteral("Подбор:"));
    fitModeBox_->addItem(QStringLiteral("Без отрицательных, по относительной ошибке"), kGrowerFit);
    fitModeBox_->addItem(QStringLiteral("Классический (МНК)"), kClassicFit);
    fitModeBox_->addItem(QStringLiteral("Дешевле всего в пределах допуска"), kCheapestFit);
    // Each drop-down is as wide as its longest item, which it shows whole.
    fitModeBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fitLabel->setBuddy(fitModeBox_);
    auto* waterLabel = MakeLabel(QStringLiteral("LabelWater"), QStringLiteral("Вода:"), this);
    waterBox_ = new QComboBox(this);
    waterBox_->setObjectName(QStringLiteral("WaterBox"));
    waterBox_->setAccessibleName(QStringLiteral("Вода:"));
    waterBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    waterLabel->setBuddy(waterBox_);
    waterButton_ =
        MakeHintedButton(QStringLiteral("WaterButton"), QStringLiteral("..."), QStringLiteral("Исходная вода"), this);
    waterButton_->setFixedWidth(24);
    // Why the cheapest fit gave way, under the fit, while it has a reason.
    fitMessage_ = MakeLabel(QStringLiteral("LabelFitMessage"), QString(), this);
    fitMessage_->setAccessibleName(QStringLiteral("Сообщение подбора"));
    fitMessage_->setWordWrap(true);
    fitMessage_->setVisible(false);
    grid->addWidget(fitLabel, 0, 0);
    grid->addWidget(fitModeBox_, 0, 1, 1, 2);
    grid->addWidget(fitMessage_, 1, 1, 1, 3);
    grid->addWidget(waterLabel, 2, 0);
    grid->addWidget(waterBox_, 2, 1);
    grid->addWidget(waterButton_, 2, 2);
}

// The acid for the water's HCO3 under the water, its dose beside it.
void FitChoicePanel::buildAcid(QGridLayout* grid) {
    auto* acidLabel = MakeLabel(QStringLiteral("LabelAcid"), QStringLiteral("Кислота:"), this);
    acidBox_ = new QComboBox(this);
    acidBox_->setObjectName(QStringLiteral("AcidBox"));
    acidBox_->setAccessibleName(QStringLiteral("Кислота:"));
    acidBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    acidLabel->setBuddy(acidBox_);
    acidDose_ = MakeLabel(QStringLiteral("AcidDoseLabel"), QString(), this);
    acidDose_->setAccessibleName(QStringLiteral("Доза кислоты"));
    // The dose takes the width the drop-downs leave and wraps there: it
    // never widens the working area.
    acidDose_->setWordWrap(true);
    acidDose_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(acidLabel, 3, 0);
    grid->addWidget(acidBox_, 3, 1);
    grid->addWidget(acidDose_, 3, 2, 1, 2);
}

void FitChoicePanel::request(void (FitChoicePanel::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
}

void FitChoicePanel::showChoice(int fit, const QVariant& water) {
    {
        const QSignalBlocker blockFit(fitModeBox_);
        fitModeBox_->setCurrentIndex(fitModeBox_->findData(fit));
    }
    {
        const QSignalBlocker blockWater(waterBox_);
        waterBox_->clear();
        waterBox_->addItem(QStringLiteral("без учёта воды"), QVariant());
        for (const auto& [key, name] : WaterProfileNames(data_.waterProfiles))
            waterBox_->addItem(name, key);
        waterBox_->setCurrentIndex(water.isNull() ? 0 : std::max(0, waterBox_->findData(water)));
    }
    showAcidChoice();
}

void FitChoicePanel::applyFit(int fit) {
    acidBox_->setEnabled(fit != kClassicFit);
    fitModeBox_->setToolTip(fitModeBox_->currentText());
}

void FitChoicePanel::showFitMessage(const QString& message) {
    fitMessage_->setText(message);
    fitMessage_->setAccessibleDescription(message);
    fitMessage_->setVisible(!message.isEmpty());
}

void FitChoicePanel::showAcidDose(const QString& dose) {
    acidDose_->setText(dose);
}

void FitChoicePanel::showAcidChoice() {
    const QVariant chosen = data_.optionsStore().acid();
    const QSignalBlocker block(acidBox_);
    acidBox_->clear();
    acidBox_->addItem(QStringLiteral("без кислоты"), QVariant());
    for (const FertilizerRecord& fertilizer : FertilizerRecords(data_.rowsOf(col::fertilizers::table)))
        if (fertilizer.acid)
            acidBox_->addItem(fertilizer.name, fertilizer.key);
    acidBox_->setCurrentIndex(chosen.isNull() ? 0 : std::max(0, acidBox_->findData(chosen.toLongLong())));
    acidBox_->setToolTip(acidBox_->currentText());
}

void FitChoicePanel::chooseFitMode() {
    data_.optionsStore().setFitMode(fitModeBox_->currentData().toInt());
    request(&FitChoicePanel::fitModeChosen);
}

void FitChoicePanel::chooseAcid() {
    const QVariant fertilizer = acidBox_->currentData();
    if (!fertilizer.isNull() && !(AcidityOf(solution_.inputs(), fertilizer.toLongLong()) > 0.0)) {
        showAcidChoice();
        throw Error(QStringLiteral("«") + acidBox_->itemText(acidBox_->findData(fertilizer)) +
                    QStringLiteral("» не даёт кислотности: в нём нет N, P или S"));
    }
    data_.optionsStore().setAcid(fertilizer);
    showAcidChoice();
    request(&FitChoicePanel::acidChosen);
}

} // namespace solvane
