// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <optional>

class QComboBox;

namespace solvane {

class DBGrid;
class DBGridColumn;

// Selects the whole text of a cell editor (a line or a number editor), so
// that what is typed next replaces it.
void SelectEditorText(QWidget* editor);

// Paints and edits the cells of a DBGrid by their column's kind: a line
// editor for plain columns, a drop-down of the list source's rows (or of the
// column's pick list) for lookup columns, a spin editor for spin columns, and a centred check box that a
// click or the space bar toggles. While an editor is open, every change of
// its value runs the column's onChange.
class DBGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    DBGridDelegate(DBGrid& grid, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The open editor and its cell; nullptr / invalid when none.
    QWidget* editor() const { return editor_; }
    QModelIndex editorIndex() const { return editorIndex_; }
    // True once after createEditor made an editor (the grid then starts the edit).
    bool takeEditorCreated();
    // The value the editor holds, in the terms of the column's edit field;
    // nothing when it holds no acceptable value (refused). Throws Error.
    std::optional<QVariant> editorValue(QWidget* editor, int column) const;
    // Whether the column's check takes a value about to be written; a
    // refusal is reported once the edit is over.
    bool acceptedByColumn(int column, const QVariant& value) const;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    // The drop-down of a lookup or a pick list, with its empty entry.
    void fillLookup(QWidget* editor, int column) const;
    void fillFromList(QComboBox* combo, int column) const;
    // Makes the entry of the value current (the empty entry for an empty one).
    void showInCombo(QComboBox* combo, int column, const QVariant& value) const;
    // The editor of a numeric cell, with the column's limits.
    QWidget* numberEditor(QWidget* parent, int column, bool withButtons) const;
    void editorChanged(QWidget* editor, int column) const;

    DBGrid& grid_;
    mutable QPointer<QWidget> editor_;
    mutable QPersistentModelIndex editorIndex_;
    mutable bool editorCreated_ = false;
    mutable bool loading_ = false;
    // The editor last loaded from the data, and the value it was loaded with.
    mutable QPointer<QWidget> loadedEditor_;
    mutable QVariant loadedValue_;
};

} // namespace solvane
