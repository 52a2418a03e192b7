// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/calculator_window.h"
#include "store/columns.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/db_spin_box.h"
#include "controls/hint_text.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "store/database.h"
#include "store/row_place.h"
#include "windows/calculator/concentrations_pane.h"
#include "windows/calculator/fertilizer_pane.h"
#include "windows/calculator/saved_solutions_pane.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace solvane {

namespace {

bool Editing(const DataSet& set) {
    return set.state() == DataSetState::Edit || set.state() == DataSetState::Insert;
}

} // namespace

CalculatorWindow::CalculatorWindow(Database& data, WorkingSolution& solution, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form4")), data_(data), solution_(solution) {
    setWindowTitle(QStringLiteral("Tarvik v1.2"));
    buildLayout();
    // The fields the calculator reads, resolved once.
    cropKey_ = data_.crops.fieldByName(col::crops::key);
    lineFertilizer_ = data_.composition.fieldByName(col::lines::fertilizer);
    listKey_ = data_.fertilizers.fieldByName(col::fertilizers::key);
    // The totals are labels, not data-aware controls: after an action that
    // the store rolled back they are worked out again from what the data
    // sets, read anew, now hold (those that could be read again).
    actionEndHandler_ = data_.connection().addActionEndHandler([this](bool rolledBack) {
        if (rolledBack && data_.targets.isActive() && data_.composition.isActive())
            runGuarded([this] { updateTotals(); });
    });
}

CalculatorWindow::~CalculatorWindow() {
    data_.connection().removeActionEndHandler(actionEndHandler_);
}

std::array<Splitter*, 5> CalculatorWindow::splitters() const {
    return {mainSplitter_, leftSplitter_, savedPane_->splitter(), workSplitter_, concentrations_->splitter()};
}

// ---------------------------------------------------------------- composition

void CalculatorWindow::addToComposition() {
    DataSet& fertilizers = data_.fertilizers;
    // An empty list (a search that matches nothing) has no current fertilizer:
    // the condition would have no key, so nothing is added.
    if (!fertilizers.isActive() || fertilizers.isEmpty())
        throw Error(QStringLiteral("Не выбрано удобрение"));
    const Bookmark remembered = fertilizers.bookmark();
    const long long key = listKey_->asLargeInt();
    data_.composition.checkBrowseMode();
    const RowPlace lineAt = RowPlace::of(data_.composition, kLineKey);

    solution_.addLine(key);
    data_.composition.close();
    data_.composition.open();
    // The composition stays on the line it was on (on the new one when it was empty).
    lineAt.returnTo(data_.composition, kLineKey);

    if (fertilizers.bookmarkValid(remembered))
        fertilizers.gotoBookmark(remembered);
    buildRecipe();
}

// What was being typed into the line goes with it.
void CalculatorWindow::removeFromComposition() {
    DataSet& lines = data_.composition;
    if (Editing(lines))
        lines.cancel();
    if (lines.recordCount() >= 1)
        solution_.removeLine(lines.fieldByName(kLineKey)->asLargeInt());
    lines.last();
    buildRecipe();
}

void CalculatorWindow::clearComposition() {
    if (Editing(data_.composition))
        data_.composition.cancel();
    solution_.clearLines();
    data_.composition.close();
    data_.composition.open();
    buildRecipe();
}

void CalculatorWindow::FormShow() {
    fertilizerPane_->applySearchBoxWidth();
    if (data_.composition.isActive() && !data_.composition.isEmpty()) {
        DataSet& fertilizers = data_.fertilizers;
        // Kept as the program always did: each key filtered on and off,
        // leaving the list unfiltered on its first record.
        for (data_.composition.first(); !data_.composition.eof(); data_.composition.next()) {
            fertilizers.setFilter(QString(col::fertilizers::key) + QLatin1Char('=') +
                                  QString::number(lineFertilizer_->asLargeInt()));
            fertilizers.setFiltered(true);
            fertilizers.setFiltered(false);
        }
    }
    // What the window shows follows from what is stored, whoever wrote the
    // stored results last.
    refreshResults();
}

void CalculatorWindow::FormClose() {
    relay([this] { emit closing(); });
    // With "open the calculator at start-up" set, closing it ends the program.
    DataSet& options = data_.options;
    if (options.isActive() && !options.isEmpty() && options.fieldByName(col::options::autoStart)->asBoolean())
        relay([this] { emit endRequested(); });
}

} // namespace solvane
