// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/concentrations_pane.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "model/working_solution.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/totals_strips.h"

#include <QAction>
#include <QMenu>
#include <QVBoxLayout>

namespace solvane {

ConcentrationsPane::ConcentrationsPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent)
    : QGroupBox(QStringLiteral("Концентрация элементов: мг/л."), parent), guard_(guard), data_(data),
      solution_(solution) {
    setObjectName(QStringLiteral("GroupConcentrations"));
    auto* layout = MakeColumn(this, 2, 0);
    splitter_ = MakeSplitter(guard, QStringLiteral("RzSplitter5"), Qt::Vertical, this);
    layout->addWidget(splitter_);

    auto* upper = MakePanel(QStringLiteral("PanelConcentrations"), splitter_);
    auto* upperLayout = MakeColumn(upper, 2, 2);
    splitter_->addWidget(upper);
    buildGrid(guard, upper);
    buildMenu();
    upperLayout->addWidget(grid_, 1);

    navigator_ = MakeNavigator(guard, QStringLiteral("DBNavigator1"), &data_.targetsSource,
                               {NavButton::Insert, NavButton::Delete, NavButton::Post}, upper);
    upperLayout->addWidget(navigator_);
    totals_ = new TotalsStrips(guard, upper);
    upperLayout->addWidget(totals_);
    wire();
}

void ConcentrationsPane::buildGrid(HandlerGuard& guard, QWidget* upper) {
    grid_ = MakeGrid(guard, QStringLiteral("dxDBGrid3"), &data_.targetsSource, upper);
    // The weight and the water's share may not fit beside the three
    // columns in a narrow pane: then the grid scrolls sideways.
    grid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    elementColumn_ = grid_->addColumn(col::targets::elementName, QStringLiteral("Элемент"));
    elementColumn_->setLookup(&data_.elementsSource, col::elements::key, col::elements::shortName,
                              col::targets::element, 8);
    targetColumn_ = grid_->addColumn(col::targets::vega, QStringLiteral("Необходимость (Введите)"));
    targetColumn_->setSpin(1, FieldLimits::Target());
    resultColumn_ = grid_->addColumn(col::targets::result, QStringLiteral("Расчёт"));
    resultColumn_->setReadOnly(true);
    // The grower's fit weighs each row; the source water's share is shown
    // while a water is counted. Neither goes into the spreadsheet.
    weightColumn_ = grid_->addColumn(col::targets::weight, QStringLiteral("Вес"));
    weightColumn_->setSpin(0.1, FieldLimits::Weight());
    weightColumn_->setWidth(34);
    weightColumn_->setExported(false);
    // How far the cheapest fit may let each row stray, in % of its target.
    toleranceColumn_ = grid_->addColumn(col::targets::tolerance, QStringLiteral("Допуск, %"));
    toleranceColumn_->setSpin(1, FieldLimits::Tolerance());
    toleranceColumn_->setWidth(60);
    toleranceColumn_->setExported(false);
    toleranceColumn_->setVisible(false);
    waterColumn_ = grid_->addColumn(col::targets::water, QStringLiteral("Вода"));
    waterColumn_->setReadOnly(true);
    waterColumn_->setWidth(48);
    waterColumn_->setExported(false);
    waterColumn_->setVisible(false);
    elementColumn_->setWidth(54);
    // The short names stay readable ("N-NH4"): with the weight, the tolerance
    // and the water beside them the grid scrolls sideways instead.
    elementColumn_->setNarrowest(54);
    targetColumn_->setWidth(166);
    resultColumn_->setWidth(68);
}

void ConcentrationsPane::buildMenu() {
    QMenu* menu = MakeMenu(QStringLiteral("PopupMenu1"), this);
    onItem(MakeMenuItem(menu, QStringLiteral("N9"), QStringLiteral("Добавить")), &ConcentrationsPane::addRow);
    onItem(MakeMenuItem(menu, QStringLiteral("N10"), QStringLiteral("Удалить")), &ConcentrationsPane::deleteRow);
    onItem(MakeMenuItem(menu, QStringLiteral("N13"), QStringLiteral("Анализ раствора...")),
           &ConcentrationsPane::announceAnalysis);
    grid_->setContextMenu(menu);
}

void ConcentrationsPane::wire() {
    // The grid, its columns and the navigator run these as user actions themselves.
    // A target, a weight or a tolerance typed arms the recalculation.
    for (DBGridColumn* column : {targetColumn_, weightColumn_, toleranceColumn_})
        column->onChange = [this] { request(&ConcentrationsPane::edited); };
    // A row the grower stores, in the grid or by the navigator, has what
    // follows from it (the zero-target rule and the recipe).
    grid_->onPosted = [this] { guard_.relay([this] { solution_.targetStored(); }); };
    navigator_->onClick = [this](NavButton button) {
        if (button == NavButton::Post)
            guard_.relay([this] { solution_.targetStored(); });
    };
    navigator_->deleteAction = [this] { confirmDelete(); };
    connect(totals_, &TotalsStrips::ecFitRequested, this, [this] { guard_.carry([this] { fitTargetsToCropEc(); }); });
}

void ConcentrationsPane::request(void (ConcentrationsPane::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
}

void ConcentrationsPane::onItem(QAction* item, void (ConcentrationsPane::*handler)()) {
    connect(item, &QAction::triggered, this,
            [this, handler] { guard_.run(window(), [this, handler] { (this->*handler)(); }); });
}

void ConcentrationsPane::addRow() {
    navigator_->press(NavButton::Insert);
}

void ConcentrationsPane::deleteRow() {
    navigator_->press(NavButton::Delete);
}

void ConcentrationsPane::confirmDelete() {
    if (guard_.messages().confirmDelete(navigator_))
        deleteTarget();
}

void ConcentrationsPane::deleteTarget() {
    DataSet& targets = data_.targets;
    const bool stored = targets.isActive() && !targets.isEmpty() && targets.state() != DataSetState::Insert;
    targets.deleteRecord();
    if (stored)
        guard_.relay([this] { solution_.recipe(); });
}

void ConcentrationsPane::fitTargetsToCropEc() {
    const std::optional<double> wanted = solution_.cropEc();
    if (!wanted)
        return;
    const std::optional<double> factor = solution_.ecTargetFactor(*wanted);
    MessageService& messages = guard_.messages();
    const QString ec = FormatDecimals(*wanted, 2) + QStringLiteral(" мСм/см");
    if (!factor) {
        messages.show(window(), MessageKind::Warning, QStringLiteral("Под EC"),
                      QStringLiteral("EC ") + ec + QStringLiteral(" недостижима этими удобрениями"),
                      MessageButtons::Ok);
        return;
    }
    if (messages.show(window(), MessageKind::Confirmation, QStringLiteral("Под EC"),
                      QStringLiteral("Умножить цели культуры на ") + FormatDecimals(*factor, 2) +
                          QStringLiteral(", чтобы EC стала ") + ec + QLatin1Char('?'),
                      MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    solution_.scaleTargets(*factor);
}

void ConcentrationsPane::announceAnalysis() {
    request(&ConcentrationsPane::analysisRequested);
}

void ConcentrationsPane::setColumnColours(const QColor& element, const QColor& target, const QColor& result) {
    elementColumn_->setColour(element);
    targetColumn_->setColour(target);
    resultColumn_->setColour(result);
}

void ConcentrationsPane::showColumns(bool element, bool target, bool result) {
    elementColumn_->setVisible(element);
    targetColumn_->setVisible(target);
    resultColumn_->setVisible(result);
}

void ConcentrationsPane::showFitColumns(bool weights, bool tolerances) {
    weightColumn_->setEnabled(weights);
    toleranceColumn_->setVisible(tolerances);
}

void ConcentrationsPane::showWaterColumn(bool shown) {
    waterColumn_->setVisible(shown);
}

} // namespace solvane
