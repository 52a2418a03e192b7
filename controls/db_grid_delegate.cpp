// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid_delegate.h"

#include "controls/db_grid.h"
#include "controls/db_grid_model.h"
#include "controls/lookup_list.h"
#include "controls/number_spin_box.h"
#include "store/dataset.h"
#include "store/field.h"
#include "core/number_text.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

namespace solvane {

namespace {

// Set on an editor once the user changed its text: the data no longer
// overwrites it (the grid repaints its row while the user types).
const char* const kDirty = "solvaneEditorDirty";
bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a == b;
}

} // namespace

void SelectEditorText(QWidget* editor) {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(editor))
        spin->selectAll();
}

DBGridDelegate::DBGridDelegate(DBGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

bool DBGridDelegate::takeEditorCreated() {
    const bool created = editorCreated_;
    editorCreated_ = false;
    return created;
}

QWidget* DBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    editorCreated_ = false;
    try {
        DBGridModel& model = *grid_.model_;
        const int column = index.column();
        if (!index.isValid() || !model.isCurrentRow(index.row()) || !model.isEditable(column))
            return nullptr;
        DBGridColumn* c = grid_.column(column);
        auto* self = const_cast<DBGridDelegate*>(this);
        QWidget* editor = nullptr;
        switch (c->kind()) {
        case ColumnKind::Check:
            return nullptr;
        case ColumnKind::Lookup: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            combo->setMaxVisibleItems(std::max(1, c->dropDownRows()));
            fillLookup(combo, column); // before the signals: the first entry becomes current
            connect(combo, &QComboBox::currentIndexChanged, self,
                    [self, combo, column] { self->editorChanged(combo, column); });
            // Choosing an entry sets the key at once, as a lookup list does.
            connect(combo, &QComboBox::activated, self, [self, combo] { emit self->commitData(combo); });
            editor = combo;
            break;
        }
        case ColumnKind::Spin:
            editor = numberEditor(parent, column, true);
            break;
        case ColumnKind::Plain: {
            // A number typed into a plain column is read and checked as in a spin column.
            const Field* f = model.field(column);
            if (f && f->kind() == FieldKind::Data && f->isNumeric()) {
                editor = numberEditor(parent, column, false);
                break;
            }
            auto* line = new QLineEdit(parent);
            line->setFrame(false);
            if (f && f->type() == ColumnType::Text && f->size() > 0)
                line->setMaxLength(f->size());
            connect(line, &QLineEdit::textChanged, self, [self, line, column] { self->editorChanged(line, column); });
            connect(line, &QLineEdit::textEdited, line, [line] { line->setProperty(kDirty, true); });
            editor = line;
            break;
        }
        }
        editor->setAccessibleName(c->caption());
        editor_ = editor;
        editorIndex_ = index;
        editorCreated_ = true;
        return editor;
    } catch (const std::exception& e) {
        grid_.reportLater(QString::fromLocal8Bit(e.what()));
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

QWidget* DBGridDelegate::numberEditor(QWidget* parent, int column, bool withButtons) const {
    DBGridColumn* c = grid_.column(column);
    auto* self = const_cast<DBGridDelegate*>(this);
    auto* spin = new NumberSpinBox(parent);
    spin->setFrame(false);
    if (!withButtons)
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    NumberLimits limits = c->limits();
    const Field* f = grid_.model_->field(column);
    if (f && f->type() == ColumnType::Integer)
        limits.integer = true;
    spin->setLimits(limits);
    spin->setSingleStep(c->step());
    spin->setMaxLength(c->maxLength());
    // A refused value is reported once the edit is over, by the grid.
    DBGrid* grid = &grid_;
    spin->onRefused = [grid](const QString& refusal) { grid->reportLater(refusal); };
    connect(spin, &NumberSpinBox::numberChanged, self, [self, spin, column] { self->editorChanged(spin, column); });
    // A text that is not a number yet ("-", ",") is the user's all the same.
    connect(spin, &NumberSpinBox::typed, spin, [spin] { spin->setProperty(kDirty, true); });
    return spin;
}

void DBGridDelegate::fillLookup(QWidget* editor, int column) const {
    auto* combo = static_cast<QComboBox*>(editor);
    const DBGridColumn* c = grid_.column(column);
    if (!c->pickList().isEmpty()) {
        combo->clear();
        for (const QString& item : c->pickList())
            combo->addItem(item, item);
    } else {
        fillFromList(combo, column);
    }
    if (c->hasEmptyEntry())
        combo->insertItem(0, QString(), QVariant());
}

void DBGridDelegate::fillFromList(QComboBox* combo, int column) const {
    const DBGridColumn* c = grid_.column(column);
    const Field* own = grid_.model_->field(column);
    DataSet* list = c->lookupListSource() ? c->lookupListSource()->dataSet() : nullptr;
    QString listField = c->lookupListField();
    QString listKey = c->lookupListKeyField();
    if (own && own->kind() == FieldKind::Lookup) {
        if (!list)
            list = own->lookupSource();
        if (listField.isEmpty())
            listField = own->lookupSourceResult();
        if (listKey.isEmpty())
            listKey = own->lookupSourceKey();
    }
    FillLookupList(*combo, list, listKey, listField);
}

void DBGridDelegate::editorChanged(QWidget* editor, int column) const {
    if (loading_)
        return;
    editor->setProperty(kDirty, true);
    DBGridColumn* c = grid_.column(column);
    if (c->onChange)
        grid_.runGuarded(c->onChange);
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    try {
        if (editor->property(kDirty).toBool())
            return;
        DBGridModel& model = *grid_.model_;
        if (!model.live() || index.row() >= model.rowCount())
            return;
        DataSet* ds = model.dataSet();
        auto* combo = qobject_cast<QComboBox*>(editor);
        const Field* f = combo ? model.editField(index.column()) : model.field(index.column());
        const QVariant value = f ? ds->valueAt(index.row(), f) : QVariant();
        // The row repainted with the value the editor holds (the edit state
        // beginning, another column changing) leaves the editor, its
        // selection and its cursor as they are.
        if (editor == loadedEditor_ && SameValue(loadedValue_, value))
            return;
        loadedEditor_ = editor;
        loadedValue_ = value;
        const QScopedValueRollback<bool> loading(loading_, true);
        if (combo) {
            showInCombo(combo, index.column(), value);
        } else if (auto* spin = qobject_cast<NumberSpinBox*>(editor)) {
            spin->setNumber(value);
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(ValueText(value));
        }
        // What is typed next replaces the whole text.
        SelectEditorText(editor);
    } catch (const std::exception& e) {
        grid_.reportLater(QString::fromLocal8Bit(e.what()));
    } catch (...) {
    }
}

std::optional<QVariant> DBGridDelegate::editorValue(QWidget* editor, int) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0)
            return std::nullopt;
        return combo->currentData();
    }
    if (auto* spin = qobject_cast<NumberSpinBox*>(editor)) {
        // A value outside the limits (or not a number) is refused.
        if (!spin->hasAcceptableInput())
            return std::nullopt;
        return spin->number();
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        const QString text = line->text();
        if (text.isEmpty())
            return QVariant();
        return QVariant(text);
    }
    return std::nullopt;
}

void DBGridDelegate::showInCombo(QComboBox* combo, int column, const QVariant& value) const {
    const int entry = FindLookupEntry(*combo, value);
    // An empty field shows the empty entry where there is one.
    combo->setCurrentIndex(entry < 0 && value.isNull() && grid_.column(column)->hasEmptyEntry() ? 0 : entry);
}

void DBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    try {
        const std::optional<QVariant> value = editorValue(editor, index.column());
        if (!value)
            return;
        if (acceptedByColumn(index.column(), *value)) {
            model->setData(index, *value, Qt::EditRole);
            return;
        }
        // A refused entry of a drop-down goes back to the field's value, so
        // that closing the editor does not offer it again.
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            DBGridModel& own = *grid_.model_;
            const Field* f = own.editField(index.column());
            if (!f || !own.live() || index.row() >= own.rowCount())
                return;
            const QVariant stored = own.dataSet()->valueAt(index.row(), f);
            const QScopedValueRollback<bool> loading(loading_, true);
            showInCombo(combo, index.column(), stored);
            combo->setProperty(kDirty, false);
            loadedEditor_ = combo;
            loadedValue_ = stored;
        }
    } catch (...) {
    }
}

bool DBGridDelegate::acceptedByColumn(int column, const QVariant& value) const {
    const DBGridColumn* c = grid_.column(column);
    if (!c->onValidate)
        return true;
    const QString refusal = c->onValidate(value);
    if (refusal.isEmpty())
        return true;
    grid_.reportLater(refusal);
    return false;
}

void DBGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == editor_) {
        editor_ = nullptr;
        editorIndex_ = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void DBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    try {
        if (!index.isValid() || index.column() >= grid_.columnCount() ||
            grid_.column(index.column())->kind() != ColumnKind::Check) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // A check column: the cell's background, and the box centred in it.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const bool checked = opt.checkState == Qt::Checked;
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        opt.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        QStyleOptionViewItem box = opt;
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, widget);
        box.rect = QRect(opt.rect.center().x() - w / 2, opt.rect.center().y() - h / 2, w, h);
        box.state = (opt.state & QStyle::State_Enabled) | (checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
    } catch (...) {
    }
}

bool DBGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
    try {
        if (!index.isValid() || index.column() >= grid_.columnCount() ||
            grid_.column(index.column())->kind() != ColumnKind::Check)
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        if (!(model->flags(index) & Qt::ItemIsUserCheckable))
            return false;
        bool toggle = false;
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            toggle = me->button() == Qt::LeftButton && option.rect.contains(me->position().toPoint());
            if (!toggle)
                return false;
            break;
        }
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            toggle = key == Qt::Key_Space || key == Qt::Key_Select;
            if (!toggle)
                return false;
            break;
        }
        default:
            return false;
        }
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    } catch (...) {
        return false;
    }
}

} // namespace solvane
