// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_source.h"
#include "core/number_text.h"

#include <QColor>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QMenu;
class QTimer;

namespace solvane {

class DataSet;
class DBGrid;
class DBGridDelegate;
class DBGridModel;
class Field;
class HandlerGuard;

enum class ColumnKind { Plain, Lookup, Spin, Check };
enum class SortMark { None, Ascending, Descending };

// One column of a data-aware grid, bound to a field of the grid's data set.
class DBGridColumn {
public:
    DBGridColumn(DBGrid& grid, QString fieldName, QString caption);

    const QString& fieldName() const { return fieldName_; }
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool isVisible() const { return visible_; }
    void setVisible(bool visible);
    // Background colour of the column's cells; invalid: the palette's.
    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);
    // Colour of the text of a number below 0; invalid: such numbers look
    // like the others.
    QColor negativeColour() const { return negativeColour_; }
    void setNegativeColour(const QColor& colour);
    bool isReadOnly() const { return readOnly_ || !enabled_; }
    void setReadOnly(bool readOnly);
    // A disabled column shows its values greyed and cannot be edited.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // The significant digits its numbers are shown with (15 by default).
    int significantDigits() const { return significantDigits_; }
    void setSignificantDigits(int digits);
    // Whether the spreadsheet export writes the column (when it is shown).
    bool isExported() const { return exported_; }
    void setExported(bool exported) { exported_ = exported; }
    ColumnKind kind() const { return kind_; }
    SortMark sortMark() const { return sortMark_; }
    void setSortMark(SortMark mark);

    // A drop-down of the rows of listSource: it shows listField, and choosing
    // an entry sets keyField of the grid's row to the entry's listKeyField.
    void setLookup(DataSource* listSource, const QString& listKeyField, const QString& listField,
                   const QString& keyField, int dropDownRows);
    DataSource* lookupListSource() const { return lookupListSource_; }
    const QString& lookupListKeyField() const { return lookupListKeyField_; }
    const QString& lookupListField() const { return lookupListField_; }
    const QString& lookupKeyField() const { return lookupKeyField_; }
    int dropDownRows() const { return dropDownRows_; }
    // A drop-down of fixed texts for a text field of the grid's row: choosing
    // one stores it.
    void setPickList(const QStringList& items, int dropDownRows);
    const QStringList& pickList() const { return pickList_; }
    // The drop-down of a lookup or a pick list starts with an empty entry,
    // which empties the field.
    void setEmptyEntry(bool emptyEntry);
    bool hasEmptyEntry() const { return emptyEntry_; }

    // A spin editor; values outside the limits are refused when the edit is
    // committed, with a box naming the range; maxLength 0 means no limit on
    // the typed text.
    void setSpin(double step, const NumberLimits& limits, int maxLength = 0);
    double step() const { return step_; }
    double minimum() const { return limits_.minimum; }
    double maximum() const { return limits_.maximum; }
    int maxLength() const { return maxLength_; }
    // The limits of a numeric column's values, whatever its editor.
    const NumberLimits& limits() const { return limits_; }
    void setLimits(const NumberLimits& limits);

    // A check box: ticked is true.
    void setCheck();

    // Width in pixels; 0: the header's default.
    int width() const { return width_; }
    void setWidth(int width);
    // A text column that the grid narrows to make room for others stops at
    // this width (0: a few letters); what is left over scrolls sideways.
    int narrowest() const { return narrowest_; }
    void setNarrowest(int width) { narrowest_ = width; }

    // Runs on every change of the value in this column's cell editor while it
    // is being edited, before the value is posted.
    std::function<void()> onChange;
    // Checks a value about to be written from the cell editor or the check
    // box: an empty answer takes it, a text refuses it and is shown once the
    // edit is over.
    std::function<QString(const QVariant& value)> onValidate;

private:
    DBGrid& grid_;
    QString fieldName_;
    QString caption_;
    bool visible_ = true;
    QColor colour_;
    QColor negativeColour_;
    bool readOnly_ = false;
    bool enabled_ = true;
    int significantDigits_ = 15;
    bool exported_ = true;
    ColumnKind kind_ = ColumnKind::Plain;
    SortMark sortMark_ = SortMark::None;
    DataSource* lookupListSource_ = nullptr;
    QString lookupListKeyField_;
    QString lookupListField_;
    QString lookupKeyField_;
    int dropDownRows_ = 8;
    QStringList pickList_;
    bool emptyEntry_ = false;
    double step_ = 1;
    NumberLimits limits_;
    int maxLength_ = 0;
    int width_ = 0;
    int narrowest_ = 0;
};

// A grid over a data source: one row per visible row of the data set, the
// current row selected. Editing a cell puts the data set into edit (or insert)
// state; moving to another row or leaving the grid posts, as a data-bound grid
// does; Escape outside a cell editor cancels the row's changes. A disabled
// data source freezes the grid until it is enabled again. The event handlers
// below run as user actions through the handler guard.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    DBGrid(HandlerGuard& guard, QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const;

    DBGridColumn* addColumn(const QString& fieldName, const QString& caption);
    int columnCount() const { return static_cast<int>(columns_.size()); }
    DBGridColumn* column(int index) const { return columns_.at(static_cast<size_t>(index)).get(); }
    DBGridColumn* columnByField(const QString& fieldName) const;
    // The shown columns in display order.
    std::vector<DBGridColumn*> visibleColumns() const;

    void setRowSelect(bool rowSelect);
    void setScrollBars(Qt::ScrollBarPolicy vertical, Qt::ScrollBarPolicy horizontal);
    // The hover hint; its lines are separated by "\r" or "\r\n".
    void setHint(const QString& hint);
    QString hint() const { return hint_; }
    void setContextMenu(QMenu* menu);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(int column)> onColumnClick;
    std::function<void(int key)> onKeyUp;
    // Runs once a cell editor has closed, its value committed or dropped.
    std::function<void()> onEditorClosed;
    // Runs when the grid itself stored the row being edited, as the grower
    // moved to another row or left the grid; before the move.
    std::function<void()> onPosted;

    // Called by the columns when their settings change.
    void columnsChanged();

    // A cell editor is open.
    bool isEditing() const;
    // A row was just inserted for the user to type: the keyboard comes to
    // this grid, on the current (new) row's first editable cell.
    void takeNewRow();
    // A column of numbers (shown whole, never narrower than the widest one
    // shown), or of names and other text (shortened in the middle when the
    // grid is too narrow, the full text as the cell's tooltip).
    bool isNumberColumn(int column) const;
    bool isTextColumn(int column) const;
    // Runs a handler as one user action of this grid (see HandlerGuard).
    bool runGuarded(const std::function<void()>& handler);
    // Incremental search by typed letters would read every row: off.
    void keyboardSearch(const QString& search) override;
    // Never smaller than its header and three rows: a pane squeezed to its
    // minimum still shows rows to work with.
    QSize minimumSizeHint() const override;
    using QTableView::edit;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class DBGridModel;
    friend class DBGridDelegate;
    void syncCurrent();
    // Makes the cell the view's current one (its row selected), as the data
    // set's cursor already is, and scrolls to it.
    void showCurrent(const QModelIndex& target);
    void currentMoved(const QModelIndex& current);
    void focusChanged(QWidget* old, QWidget* now);
    // Writes what an open cell editor holds into the field (before a post).
    void writeEditor();
    // Closes an open cell editor without writing it.
    void dropEditor();
    void applyColumns();
    void applySortMarks();
    void reportLater(const QString& message);
    QString hintText() const;
    // Opens the editor of a selected cell that was clicked once more, unless
    // a double click or a keystroke came first.
    void pendingEditDue();
    void stopPendingEdit();
    // Widens every number column to its widest shown number and narrows the
    // text columns to make room for them.
    void fitColumnsLater();
    void fitColumns();
    // The width the widest cell of the column takes among the rows on the screen.
    int widestShown(int column) const;

    HandlerGuard& guard_;
    std::vector<std::unique_ptr<DBGridColumn>> columns_;
    std::unique_ptr<DBGridModel> model_;
    QString hint_;
    QMenu* contextMenu_ = nullptr;
    DBGridDelegate* delegate_ = nullptr;
    bool syncing_ = false;
    bool applyingMarks_ = false;
    bool suppressClick_ = false;
    // A click on the selected cell opens its editor once the double-click
    // interval has passed (a double click opens it at once).
    QTimer* pendingEdit_ = nullptr;
    QPersistentModelIndex pendingEditIndex_;
    EditTrigger lastTrigger_ = NoEditTriggers;
    bool fitPending_ = false;
    // The text columns narrowed to make room for numbers, with their widths before.
    std::map<int, int> narrowed_;
    QMetaObject::Connection focusConnection_;
};

} // namespace solvane
