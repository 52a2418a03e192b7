// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"

#include "controls/db_grid_delegate.h"
#include "controls/db_grid_model.h"
#include "controls/handler_guard.h"
#include "controls/hint_text.h"
#include "store/dataset.h"
#include "store/field.h"
#include "core/error.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

namespace solvane {

// ---------------------------------------------------------------- columns

DBGridColumn::DBGridColumn(DBGrid& grid, QString fieldName, QString caption)
    : grid_(grid), fieldName_(std::move(fieldName)), caption_(std::move(caption)) {}

void DBGridColumn::setCaption(const QString& caption) {
    caption_ = caption;
    grid_.columnsChanged();
}

void DBGridColumn::setVisible(bool visible) {
    visible_ = visible;
    grid_.columnsChanged();
}

void DBGridColumn::setColour(const QColor& colour) {
    colour_ = colour;
    grid_.columnsChanged();
}

void DBGridColumn::setNegativeColour(const QColor& colour) {
    negativeColour_ = colour;
    grid_.columnsChanged();
}

void DBGridColumn::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    grid_.columnsChanged();
}

void DBGridColumn::setEnabled(bool enabled) {
    enabled_ = enabled;
    grid_.columnsChanged();
}

void DBGridColumn::setSignificantDigits(int digits) {
    significantDigits_ = digits;
    grid_.columnsChanged();
}

void DBGridColumn::setSortMark(SortMark mark) {
    sortMark_ = mark;
    grid_.columnsChanged();
}

void DBGridColumn::setLookup(DataSource* listSource, const QString& listKeyField, const QString& listField,
                             const QString& keyField, int dropDownRows) {
    kind_ = ColumnKind::Lookup;
    lookupListSource_ = listSource;
    lookupListKeyField_ = listKeyField;
    lookupListField_ = listField;
    lookupKeyField_ = keyField;
    dropDownRows_ = dropDownRows;
    grid_.columnsChanged();
}

void DBGridColumn::setPickList(const QStringList& items, int dropDownRows) {
    kind_ = ColumnKind::Lookup;
    pickList_ = items;
    dropDownRows_ = dropDownRows;
    grid_.columnsChanged();
}

void DBGridColumn::setEmptyEntry(bool emptyEntry) {
    emptyEntry_ = emptyEntry;
}

void DBGridColumn::setSpin(double step, const NumberLimits& limits, int maxLength) {
    kind_ = ColumnKind::Spin;
    step_ = step;
    limits_ = limits;
    maxLength_ = maxLength;
    grid_.columnsChanged();
}

void DBGridColumn::setLimits(const NumberLimits& limits) {
    limits_ = limits;
}

void DBGridColumn::setCheck() {
    kind_ = ColumnKind::Check;
    grid_.columnsChanged();
}

void DBGridColumn::setWidth(int width) {
    width_ = width;
    grid_.columnsChanged();
}

// ---------------------------------------------------------------- grid

DBGrid::DBGrid(HandlerGuard& guard, QWidget* parent)
    : QTableView(parent), guard_(guard), model_(std::make_unique<DBGridModel>(*this)) {
    setAccessibleName(QStringLiteral("Таблица"));
    delegate_ = new DBGridDelegate(*this, this);
    setItemDelegate(delegate_);
    setModel(model_.get());
    setSortingEnabled(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    // Row heights never depend on the contents, so no row is read to lay out.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setSortIndicatorShown(false);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentMoved(current); });
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        if (onColumnClick)
            runGuarded([this, section] { onColumnClick(section); });
        // The header may have flipped its indicator by itself: the marks are the program's.
        applySortMarks();
    });
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this] {
        if (!applyingMarks_)
            applySortMarks();
    });
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* old, QWidget* now) { focusChanged(old, now); });
    // Long names are shortened in the middle, where they differ least.
    setTextElideMode(Qt::ElideMiddle);
    QAbstractItemModel* m = model_.get();
    connect(m, &QAbstractItemModel::dataChanged, this, [this] { fitColumnsLater(); });
    connect(m, &QAbstractItemModel::rowsInserted, this, [this] { fitColumnsLater(); });
    connect(m, &QAbstractItemModel::rowsRemoved, this, [this] { fitColumnsLater(); });
    connect(m, &QAbstractItemModel::layoutChanged, this, [this] { fitColumnsLater(); });
    connect(m, &QAbstractItemModel::modelReset, this, [this] { fitColumnsLater(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fitColumnsLater(); });
    pendingEdit_ = new QTimer(this);
    pendingEdit_->setSingleShot(true);
    connect(pendingEdit_, &QTimer::timeout, this, [this] { pendingEditDue(); });
}

DBGrid::~DBGrid() {
    // ~QWidget moves the focus away, and the grid is no grid any more by then.
    disconnect(focusConnection_);
    disconnect(selectionModel(), nullptr, this, nullptr);
    model_->setSource(nullptr);
    setModel(nullptr);
}

void DBGrid::setDataSource(DataSource* source) {
    model_->setSource(source);
}

DataSource* DBGrid::dataSource() const {
    return model_->source();
}

DBGridColumn* DBGrid::addColumn(const QString& fieldName, const QString& caption) {
    const int index = columnCount();
    model_->beginAddColumn(index);
    columns_.push_back(std::make_unique<DBGridColumn>(*this, fieldName, caption));
    model_->endAddColumn();
    applyColumns();
    syncCurrent();
    return columns_.back().get();
}

DBGridColumn* DBGrid::columnByField(const QString& fieldName) const {
    for (const auto& c : columns_)
        if (c->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return c.get();
    return nullptr;
}

std::vector<DBGridColumn*> DBGrid::visibleColumns() const {
    std::vector<DBGridColumn*> shown;
    const QHeaderView* header = horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (logical >= 0 && logical < columnCount() && columns_[static_cast<size_t>(logical)]->isVisible())
            shown.push_back(columns_[static_cast<size_t>(logical)].get());
    }
    return shown;
}

void DBGrid::setRowSelect(bool rowSelect) {
    setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    if (selectionModel())
        selectionModel()->clearSelection();
    syncCurrent();
}

void DBGrid::setScrollBars(Qt::ScrollBarPolicy vertical, Qt::ScrollBarPolicy horizontal) {
    setVerticalScrollBarPolicy(vertical);
    setHorizontalScrollBarPolicy(horizontal);
}

void DBGrid::setHint(const QString& hint) {
    // Every cell reads the hint when its tooltip is asked for.
    hint_ = hint;
}

QString DBGrid::hintText() const {
    return TooltipText(hint_);
}

void DBGrid::setContextMenu(QMenu* menu) {
    contextMenu_ = menu;
}

void DBGrid::columnsChanged() {
    model_->columnsChanged();
    applyColumns();
}

void DBGrid::applyColumns() {
    for (int i = 0; i < columnCount(); ++i) {
        const DBGridColumn* c = column(i);
        setColumnHidden(i, !c->isVisible());
        if (c->width() > 0)
            setColumnWidth(i, c->width());
    }
    applySortMarks();
    fitColumnsLater();
}

bool DBGrid::isNumberColumn(int index) const {
    if (index < 0 || index >= columnCount())
        return false;
    const ColumnKind kind = column(index)->kind();
    const Field* f = model_->field(index);
    return (kind == ColumnKind::Plain || kind == ColumnKind::Spin) && f && f->isNumeric();
}

bool DBGrid::isTextColumn(int index) const {
    if (index < 0 || index >= columnCount())
        return false;
    const ColumnKind kind = column(index)->kind();
    return kind == ColumnKind::Lookup ||
           ((kind == ColumnKind::Plain || kind == ColumnKind::Spin) && !isNumberColumn(index));
}

void DBGrid::fitColumnsLater() {
    if (fitPending_)
        return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        fitPending_ = false;
        fitColumns();
    });
}

void DBGrid::fitColumns() {
    if (!isVisible() || !model_->live())
        return;
    QHeaderView* header = horizontalHeader();
    std::vector<int> shown;
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (logical >= 0 && !isColumnHidden(logical))
            shown.push_back(logical);
    }
    if (shown.empty())
        return;
    const bool stretched = header->stretchLastSection();
    const int last = shown.back();
    // The numbers of the rows on the screen, as the delegate draws them.
    std::vector<int> needed(static_cast<size_t>(columnCount()), 0);
    for (const int c : shown) {
        if (!isNumberColumn(c))
            continue;
        needed[static_cast<size_t>(c)] = widestShown(c);
        if (!(stretched && c == last) && columnWidth(c) < needed[static_cast<size_t>(c)])
            setColumnWidth(c, needed[static_cast<size_t>(c)]);
    }
    // Every number is shown whole without scrolling sideways where the names
    // can make room: the text columns give it up, the widest first and then
    // evenly with the next widest, down to a few letters (or the column's own
    // narrowest), and get it back when the grid grows.
    for (const auto& [c, width] : narrowed_)
        if (c < columnCount())
            setColumnWidth(c, width);
    narrowed_.clear();
    int total = 0;
    for (const int c : shown)
        total += std::max(columnWidth(c), needed[static_cast<size_t>(c)]);
    int excess = total - viewport()->width();
    const int fewLetters = std::max(header->minimumSectionSize(), 4 * fontMetrics().averageCharWidth());
    const auto floorOf = [this, fewLetters](int c) { return std::max(fewLetters, column(c)->narrowest()); };
    while (excess > 0) {
        std::vector<int> yielding;
        for (const int c : shown)
            if (isTextColumn(c) && !(stretched && c == last) && columnWidth(c) > floorOf(c))
                yielding.push_back(c);
        if (yielding.empty())
            return;
        int widest = 0;
        for (const int c : yielding)
            widest = std::max(widest, columnWidth(c));
        // The widest columns come down together to the next widest, or to
        // their floor.
        int below = 0;
        std::vector<int> top;
        for (const int c : yielding) {
            if (columnWidth(c) == widest)
                top.push_back(c);
            else
                below = std::max(below, columnWidth(c));
        }
        const int share = (excess + static_cast<int>(top.size()) - 1) / static_cast<int>(top.size());
        for (const int c : top) {
            const int cut = std::min({share, excess, widest - std::max(below, floorOf(c))});
            if (cut <= 0)
                continue;
            narrowed_.emplace(c, columnWidth(c));
            setColumnWidth(c, columnWidth(c) - cut);
            excess -= cut;
        }
    }
}

int DBGrid::widestShown(int column) const {
    // Only the rows on the screen: a large list is not read to lay it out.
    const int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = model_->rowCount() - 1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int widest = 0;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model_->index(row, column);
        widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest + (showGrid() ? 1 : 0);
}

void DBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitColumnsLater();
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    fitColumnsLater();
}

void DBGrid::applySortMarks() {
    int marked = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    for (int i = 0; i < columnCount() && marked < 0; ++i)
        if (column(i)->sortMark() != SortMark::None) {
            marked = i;
            order = column(i)->sortMark() == SortMark::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
        }
    QHeaderView* header = horizontalHeader();
    const QScopedValueRollback<bool> applying(applyingMarks_, true);
    header->setSortIndicatorShown(marked >= 0);
    header->setSortIndicator(marked, order);
}

bool DBGrid::runGuarded(const std::function<void()>& handler) {
    return guard_.run(this, handler);
}

void DBGrid::reportLater(const QString& message) {
    // Reads happen while Qt paints; the error box waits for the event loop.
    guard_.reportLater(this, message);
}

void DBGrid::keyboardSearch(const QString&) {}

QSize DBGrid::minimumSizeHint() const {
    constexpr int kRowsShown = 3;
    constexpr int kSmallestWidth = 96;
    const int frame = 2 * frameWidth();
    const QHeaderView* header = horizontalHeader();
    const int headerHeight = header->isHidden() ? 0 : header->sizeHint().height();
    int height = frame + headerHeight + kRowsShown * verticalHeader()->defaultSectionSize();
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        height += horizontalScrollBar()->sizeHint().height();
    return QSize(std::max(kSmallestWidth, QTableView::minimumSizeHint().width()), height);
}

// ---------------------------------------------------------------- cursor

void DBGrid::syncCurrent() {
    if (syncing_ || !model_->live() || !selectionModel())
        return;
    const int row = model_->currentRow();
    const QModelIndex current = currentIndex();
    if (row < 0 || row >= model_->rowCount()) {
        if (current.isValid() || selectionModel()->hasSelection()) {
            const QScopedValueRollback<bool> syncing(syncing_, true);
            selectionModel()->clear();
        }
        return;
    }
    int col = current.isValid() && !isColumnHidden(current.column()) ? current.column() : -1;
    for (int i = 0; i < columnCount() && col < 0; ++i)
        if (!isColumnHidden(i))
            col = i;
    if (col < 0)
        return;
    const QModelIndex target = model_->index(row, col);
    if (current == target && selectionModel()->isSelected(target))
        return;
    showCurrent(target);
}

void DBGrid::showCurrent(const QModelIndex& target) {
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == QAbstractItemView::SelectRows)
        flags |= QItemSelectionModel::Rows;
    {
        const QScopedValueRollback<bool> syncing(syncing_, true);
        selectionModel()->setCurrentIndex(target, flags);
    }
    scrollTo(target);
}

void DBGrid::currentMoved(const QModelIndex& current) {
    if (current != pendingEditIndex_)
        stopPendingEdit();
    if (syncing_ || !current.isValid() || !model_->live())
        return;
    DataSet* ds = model_->dataSet();
    if (current.row() == model_->currentRow())
        return;
    int target = current.row();
    {
        const QScopedValueRollback<bool> syncing(syncing_, true);
        runGuarded([&] {
            // Settling the row being edited may drop an untouched inserted row
            // above the target, which moves the target up by one.
            const bool inserting = ds->state() == DataSetState::Insert;
            const int before = ds->recordCount();
            const int from = ds->recNo() - 1;
            if (ds->checkBrowseMode() && onPosted)
                onPosted();
            if (inserting && ds->recordCount() == before - 1 && target > from)
                --target;
            ds->setRecNo(target + 1);
        });
    }
    // The view finishes its own selection first; then it shows the row the
    // data set is really on.
    QTimer::singleShot(0, this, [this] { syncCurrent(); });
}

// ---------------------------------------------------------------- editing

// Every editor opens with its whole text selected, so that what is typed
// replaces the value: a click on the selected cell, a double click, F2 and
// Enter open it so; a key typed on a selected cell opens it with that key
// as its text. The view's own wait for a double click after a click on the
// selected cell drops the keys typed meanwhile; the grid waits itself, and a
// key typed meanwhile opens the editor at once.
bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!model_->live())
        return false;
    const EditTrigger previous = lastTrigger_;
    lastTrigger_ = trigger;
    // A check box takes the click itself (through the delegate).
    const bool checkBox =
        index.isValid() && index.column() < columnCount() && column(index.column())->kind() == ColumnKind::Check;
    if (trigger == SelectedClicked && !isEditing() && !checkBox) {
        // The release that ends a double click is no click on the selected cell.
        if (previous == DoubleClicked || !(editTriggers() & SelectedClicked) ||
            !(model_->flags(index) & Qt::ItemIsEditable))
            return false;
        pendingEditIndex_ = index;
        pendingEdit_->start(QApplication::doubleClickInterval());
        return true;
    }
    stopPendingEdit();
    const bool handled = QTableView::edit(index, trigger, event);
    if (delegate_->takeEditorCreated()) {
        DataSet* ds = model_->dataSet();
        if (!runGuarded([ds] { ds->edit(); })) {
            dropEditor();
            return false;
        }
        // A typed key is the editor's text already; any other way in shows
        // the value selected.
        if (trigger != AnyKeyPressed)
            if (QWidget* editor = delegate_->editor())
                SelectEditorText(editor);
    }
    return handled;
}

void DBGrid::pendingEditDue() {
    const QModelIndex index = pendingEditIndex_;
    pendingEditIndex_ = QPersistentModelIndex();
    if (index.isValid() && index == currentIndex() && !isEditing())
        edit(index, AllEditTriggers, nullptr);
}

void DBGrid::stopPendingEdit() {
    pendingEdit_->stop();
    pendingEditIndex_ = QPersistentModelIndex();
}

void DBGrid::takeNewRow() {
    if (!model_->live() || !isVisible())
        return;
    const int row = model_->currentRow();
    if (row < 0 || row >= model_->rowCount())
        return;
    // An editor of the row before was written into it when that row was settled.
    stopPendingEdit();
    dropEditor();
    // The first editable column; a check box only when there is nothing to type into.
    int first = -1;
    for (int i = 0; i < columnCount() && first < 0; ++i)
        if (!isColumnHidden(i) && column(i)->kind() != ColumnKind::Check && model_->isEditable(i))
            first = i;
    for (int i = 0; i < columnCount() && first < 0; ++i)
        if (!isColumnHidden(i) && model_->isEditable(i))
            first = i;
    if (first < 0)
        return;
    setFocus(Qt::OtherFocusReason);
    showCurrent(model_->index(row, first));
}

void DBGrid::writeEditor() {
    QWidget* editor = delegate_->editor();
    const QModelIndex index = delegate_->editorIndex();
    if (!editor || !index.isValid() || !model_->isCurrentRow(index.row()))
        return;
    const std::optional<QVariant> value = delegate_->editorValue(editor, index.column());
    if (value && delegate_->acceptedByColumn(index.column(), *value))
        model_->writeValue(index.column(), *value);
}

bool DBGrid::isEditing() const {
    return delegate_->editor() != nullptr;
}

void DBGrid::dropEditor() {
    if (QWidget* editor = delegate_->editor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void DBGrid::focusChanged(QWidget* old, QWidget* now) {
    const auto inside = [this](QWidget* w) {
        for (; w; w = w->parentWidget())
            if (w == this)
                return true;
        return false;
    };
    // Leaving for another widget of the same window; a popup (a drop-down
    // list, a menu) or another window is not leaving.
    if (!old || !now || !inside(old) || inside(now) || now->window() != window())
        return;
    if (!model_->live())
        return;
    DataSet* ds = model_->dataSet();
    if (ds->state() != DataSetState::Edit && ds->state() != DataSetState::Insert)
        return;
    runGuarded([this, ds] {
        writeEditor();
        if (ds->isModified()) {
            ds->post();
            if (onPosted)
                onPosted();
        }
    });
}

// ---------------------------------------------------------------- events

void DBGrid::mousePressEvent(QMouseEvent* event) {
    suppressClick_ = false;
    stopPendingEdit();
    QTableView::mousePressEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const bool click = event->button() == Qt::LeftButton && !suppressClick_;
    suppressClick_ = false;
    if (click && onClick)
        runGuarded(onClick);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends a double click is not another click.
    suppressClick_ = true;
    if (onDblClick)
        runGuarded(onDblClick);
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    stopPendingEdit();
    if (event->key() == Qt::Key_Escape && state() != QAbstractItemView::EditingState && model_->live()) {
        DataSet* ds = model_->dataSet();
        if (ds->isEditing()) {
            runGuarded([ds] { ds->cancel(); });
            event->accept();
            return;
        }
    }
    // Enter on a cell that is not being edited opens its editor, as F2 does.
    const QModelIndex current = currentIndex();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState && current.isValid() && current.column() < columnCount() &&
        column(current.column())->kind() != ColumnKind::Check && (model_->flags(current) & Qt::ItemIsEditable)) {
        if (edit(current, EditKeyPressed, nullptr) && isEditing()) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    // A popup (a drop-down, a menu) is not leaving the grid.
    if (event->reason() != Qt::PopupFocusReason)
        stopPendingEdit();
    QTableView::focusOutEvent(event);
}

void DBGrid::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (event->isAutoRepeat() || !onKeyUp)
        return;
    const int key = event->key();
    runGuarded([this, key] { onKeyUp(key); });
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool wasOpen = editor && editor == delegate_->editor();
    QTableView::closeEditor(editor, hint);
    if (wasOpen && onEditorClosed)
        onEditorClosed();
}

void DBGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!contextMenu_) {
        QTableView::contextMenuEvent(event);
        return;
    }
    event->accept();
    contextMenu_->popup(event->globalPos());
}

} // namespace solvane
