// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/composition_pane.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/error.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "core/tank_cost.h"
#include "model/working_solution.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/row_place.h"
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

// A click or a menu item runs the handler as one user action of the pane's window.
template <typename Sender, typename Signal, typename Handler>
void RunOn(CompositionPane* pane, HandlerGuard& guard, Sender* sender, Signal signal, Handler handler) {
    QObject::connect(sender, signal, pane, [pane, &guard, handler] { guard.run(pane->window(), handler); });
}

} // namespace

CompositionPane::CompositionPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent)
    : QGroupBox(QStringLiteral("Состав раствора:"), parent), guard_(guard), data_(data), solution_(solution) {
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
    const auto item = [&](const QString& name, const QString& text, auto handler) {
        RunOn(this, guard_, MakeMenuItem(menu, name, text), &QAction::triggered, handler);
    };
    item(QStringLiteral("N7"), QStringLiteral("Удалить"), [this] { removeLine(); });
    item(QStringLiteral("N8"), QStringLiteral("Добавить"), [this] { addFertilizer(); });
    item(QStringLiteral("N11"), QStringLiteral("Маточные растворы..."),
         [this] { request(&CompositionPane::stockSolutionsRequested); });
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
    RunOn(this, guard_, save, &QPushButton::clicked, [this] { request(&CompositionPane::saveRequested); });
    RunOn(this, guard_, calculate, &QPushButton::clicked,
          [this] { guard_.relay([this] { solution_.calculation(); }); });
    RunOn(this, guard_, recipe, &QPushButton::clicked, [this] { runRecipe(); });
}

void CompositionPane::addFertilizer() {
    DataSet& fertilizers = data_.fertilizers;
    // An empty list (a search that matches nothing) has no current fertilizer:
    // the condition would have no key, so nothing is added.
    if (!fertilizers.isActive() || fertilizers.isEmpty())
        throw Error(QStringLiteral("Не выбрано удобрение"));
    const Bookmark remembered = fertilizers.bookmark();
    const long long key = fertilizers.fieldByName(col::fertilizers::key)->asLargeInt();
    DataSet& lines = data_.composition;
    lines.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(lines, col::lines::key);
    solution_.addLine(key);
    lines.close();
    lines.open();
    // The composition stays on the line it was on (on the new one when it was empty).
    lineAt.returnTo(lines, col::lines::key);
    if (fertilizers.bookmarkValid(remembered))
        fertilizers.gotoBookmark(remembered);
    runRecipe();
}

void CompositionPane::removeLine() {
    DataSet& lines = data_.composition;
    if (lines.isEditing())
        lines.cancel();
    if (lines.recordCount() >= 1)
        solution_.removeLine(lines.fieldByName(col::lines::key)->asLargeInt());
    lines.last();
    runRecipe();
}

void CompositionPane::clearLines() {
    DataSet& lines = data_.composition;
    if (lines.isEditing())
        lines.cancel();
    solution_.clearLines();
    lines.close();
    lines.open();
    runRecipe();
}

void CompositionPane::runRecipe() {
    guard_.relay([this] { solution_.recipe(); });
}

void CompositionPane::request(void (CompositionPane::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
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
