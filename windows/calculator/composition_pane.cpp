// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/composition_pane.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "core/tank_cost.h"
#include "model/solution_calculation.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/added_line_row.h"
#include "windows/calculator/mixing_sources.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

namespace {

const LineRecord* AddedLine(const std::vector<LineRecord>& lines) {
    for (const LineRecord& line : lines)
        if (line.derived)
            return &line;
    return nullptr;
}

} // namespace

CompositionPane::CompositionPane(HandlerGuard& guard, Database& data, QWidget* parent)
    : QGroupBox(QStringLiteral("Состав раствора:"), parent), guard_(guard), data_(data) {
    setObjectName(QStringLiteral("GroupComposition"));
    auto* layout = MakeColumn(this);
    buildGrid(layout);
    buildMenu();
    // The acid's line, which the program adds and sets, under the stored ones.
    acidLineRow_ = new AddedLineRow(*grid_, QStringLiteral("AcidLineRow"), this);
    acidLineRow_->setAccessibleName(QStringLiteral("Кислота в составе"));
    layout->addWidget(acidLineRow_);
    buildButtons(layout);
    // The grid runs these as user actions itself: typing an amount or a
    // limit arms the recalculation.
    for (DBGridColumn* column : {amountColumn_, minimumColumn_, maximumColumn_})
        column->onChange = [this] { request(&CompositionPane::amountsEdited); };
}

void CompositionPane::buildGrid(QVBoxLayout* layout) {
    grid_ = MakeGrid(guard_, QStringLiteral("dxDBGrid2"), &data_.compositionSource, this);
    grid_->setRowSelect(true);
    grid_->setScrollBars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    grid_->addColumn(col::lines::name, QStringLiteral("Наименование"))->setReadOnly(true);
    amountColumn_ = grid_->addColumn(col::lines::amount, QStringLiteral("Кол-во г./л."));
    amountColumn_->setSpin(0.01, FieldLimits::Amount());
    // The recipe gives a negative amount to a fertilizer the solution does
    // not need: it stands out.
    amountColumn_->setNegativeColour(Qt::red);
    // The limits of each amount for the grower's fit, in g/l; empty: none.
    minimumColumn_ = grid_->addColumn(col::lines::minimum, QStringLiteral("Мин"));
    maximumColumn_ = grid_->addColumn(col::lines::maximum, QStringLiteral("Макс"));
    for (DBGridColumn* limit : {minimumColumn_, maximumColumn_}) {
        limit->setSpin(0.01, FieldLimits::Amount());
        limit->setWidth(40);
    }
    // A liquid's amount in ml; empty for a solid.
    millilitresColumn_ = grid_->addColumn(col::lines::millilitres, QStringLiteral("мл/л"));
    millilitresColumn_->setReadOnly(true);
    millilitresColumn_->setWidth(54);
    millilitresColumn_->setSignificantDigits(4);
    millilitresColumn_->setVisible(false);
    minimumColumn_->onValidate = [this](const QVariant& value) { return limitRefusal(value, true); };
    maximumColumn_->onValidate = [this](const QVariant& value) { return limitRefusal(value, false); };
    // Without scroll bars every column must stay in sight: the name takes
    // what the figures leave.
    amountColumn_->setWidth(74);
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(grid_, 1);
}

void CompositionPane::buildMenu() {
    QMenu* menu = MakeMenu(QStringLiteral("PopupMenu2"), this);
    requestOnAction(MakeMenuItem(menu, QStringLiteral("N7"), QStringLiteral("Удалить")),
                    &CompositionPane::removeRequested);
    requestOnAction(MakeMenuItem(menu, QStringLiteral("N8"), QStringLiteral("Добавить")),
                    &CompositionPane::addRequested);
    requestOnAction(MakeMenuItem(menu, QStringLiteral("N11"), QStringLiteral("Маточные растворы...")),
                    &CompositionPane::stockSolutionsRequested);
    grid_->setContextMenu(menu);
}

void CompositionPane::buildButtons(QVBoxLayout* layout) {
    auto* buttons = MakePanel(QStringLiteral("PanelSave"), this);
    auto* buttonLayout = MakeRow(buttons, 0, 4);
    auto* save = MakeButton(QStringLiteral("Button5"), QStringLiteral("Сохранить"), buttons);
    auto* calculate = MakeButton(QStringLiteral("Button4"), QStringLiteral("Рассчитать >>"), buttons);
    auto* recipe = MakeButton(QStringLiteral("Button10"), QStringLiteral("?"), buttons);
    calculate->hide();
    recipe->hide();
    buttonLayout->addWidget(save);
    buttonLayout->addWidget(calculate);
    buttonLayout->addWidget(recipe);
    buttonLayout->addStretch(1);
    layout->addWidget(buttons);
    requestOnClick(save, &CompositionPane::saveRequested);
    requestOnClick(calculate, &CompositionPane::calculationRequested);
    requestOnClick(recipe, &CompositionPane::recipeRequested);
}

void CompositionPane::request(void (CompositionPane::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
}

void CompositionPane::requestOnAction(QAction* action, void (CompositionPane::*signal)()) {
    connect(action, &QAction::triggered, this,
            [this, signal] { guard_.run(window(), [this, signal] { request(signal); }); });
}

void CompositionPane::requestOnClick(QPushButton* button, void (CompositionPane::*signal)()) {
    connect(button, &QPushButton::clicked, this,
            [this, signal] { guard_.run(window(), [this, signal] { request(signal); }); });
}

QString CompositionPane::limitRefusal(const QVariant& value, bool minimum) const {
    if (value.isNull() || !data_.composition.isActive() || data_.composition.isEmpty())
        return {};
    const QVariant other = data_.composition.fieldByName(minimum ? col::lines::maximum : col::lines::minimum)->value();
    if (other.isNull())
        return {};
    const bool above = minimum ? value.toDouble() > other.toDouble() : other.toDouble() > value.toDouble();
    return above ? QStringLiteral("Минимум больше максимума") : QString();
}

void CompositionPane::applyFit(int fit) {
    for (DBGridColumn* column : {minimumColumn_, maximumColumn_})
        column->setEnabled(fit != kClassicFit);
    amountColumn_->setSignificantDigits(AmountDigits(fit));
}

void CompositionPane::showAcidLine(const SolutionInputs& in) {
    millilitresColumn_->setVisible(AnyLiquid(LiquidFertilizers(in), in.lines));
    const LineRecord* line = AddedLine(in.lines);
    if (!line) {
        acidLineRow_->showTexts({}, {});
        return;
    }
    const Directories directories(in);
    const FertilizerRecord* fertilizer = directories.fertilizer(line->fertilizer);
    const double grams = line->amount.value_or(0.0);
    QStringList texts, tips;
    std::vector<bool> numbers;
    for (const DBGridColumn* column : grid_->visibleColumns()) {
        const QString& field = column->fieldName();
        QString text;
        if (field == col::lines::name)
            text = LineName(directories, *line);
        else if (field == col::lines::amount)
            text = FormatNumber(grams, column->significantDigits());
        else if (field == col::lines::millilitres && fertilizer && fertilizer->density && *fertilizer->density > 0.0)
            text = FormatNumber(MillilitresOf(grams, *fertilizer->density), column->significantDigits());
        texts << text;
        tips << (field == col::lines::name ? text : QString());
        numbers.push_back(field != col::lines::name);
    }
    acidLineRow_->showTexts(texts, numbers, tips);
}

} // namespace solvane
