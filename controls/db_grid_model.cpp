// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid_model.h"

#include "controls/db_grid.h"
#include "controls/db_grid_delegate.h"
#include "controls/text_contrast.h"
#include "store/dataset.h"
#include "core/error.h"
#include "store/field.h"
#include "core/number_text.h"

#include <QBrush>
#include <QScopedValueRollback>
#include <unordered_map>
#include <unordered_set>

namespace solvane {

namespace {

// Cells remembered for a frozen grid; far more than a screen holds.
constexpr int kMaxShownCells = 20000;

enum CellPart : quint64 { TextPart = 0, CheckPart = 1 };

quint64 cellKey(int row, int column, CellPart part) {
    return (static_cast<quint64>(row) << 24) | (static_cast<quint64>(column) << 1) | part;
}

bool truthOf(const QVariant& v) {
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString)
        return v.toString().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    return v.toDouble() != 0.0;
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a == b;
}

} // namespace

DBGridModel::DBGridModel(DBGrid& grid) : grid_(grid) {}

DBGridModel::~DBGridModel() {
    FollowSource(source_, nullptr, this);
}

void DBGridModel::setSource(DataSource* source) {
    if (source == source_)
        return;
    FollowSource(source_, source, this);
    resetAll();
}

DataSet* DBGridModel::dataSet() const {
    return source_ ? source_->dataSet() : nullptr;
}

bool DBGridModel::live() const {
    if (!source_ || !source_->isEnabled())
        return false;
    const DataSet* ds = source_->dataSet();
    return ds && ds->isActive();
}

int DBGridModel::currentRow() const {
    if (!live())
        return -1;
    return dataSet()->recNo() - 1;
}

bool DBGridModel::isCurrentRow(int row) const {
    return live() && row >= 0 && row < rows() && row == currentRow() &&
           keys_[static_cast<size_t>(row)] == dataSet()->bookmark();
}

std::vector<Bookmark> DBGridModel::liveKeys() const {
    return live() ? dataSet()->visibleBookmarks() : std::vector<Bookmark>();
}

void DBGridModel::resolveFields() const {
    DataSet* ds = dataSet();
    if (fieldsValid_ && ds == fieldsOf_ && fields_.size() == static_cast<size_t>(grid_.columnCount()))
        return;
    fieldsOf_ = ds;
    fieldsValid_ = true;
    fields_.assign(static_cast<size_t>(grid_.columnCount()), nullptr);
    editFields_.assign(fields_.size(), nullptr);
    if (!ds)
        return;
    for (int i = 0; i < grid_.columnCount(); ++i) {
        const DBGridColumn* c = grid_.column(i);
        Field* f = ds->findField(c->fieldName());
        Field* e = f;
        if (c->kind() == ColumnKind::Lookup) {
            if (!c->lookupKeyField().isEmpty())
                e = ds->findField(c->lookupKeyField());
            else if (f && f->kind() == FieldKind::Lookup)
                e = f->lookupKeyField();
        }
        fields_[static_cast<size_t>(i)] = f;
        editFields_[static_cast<size_t>(i)] = e;
    }
}

Field* DBGridModel::field(int column) const {
    resolveFields();
    return column >= 0 && column < static_cast<int>(fields_.size()) ? fields_[static_cast<size_t>(column)] : nullptr;
}

Field* DBGridModel::editField(int column) const {
    resolveFields();
    return column >= 0 && column < static_cast<int>(editFields_.size()) ? editFields_[static_cast<size_t>(column)]
                                                                        : nullptr;
}

bool DBGridModel::isEditable(int column) const {
    if (column < 0 || column >= grid_.columnCount() || grid_.column(column)->isReadOnly())
        return false;
    const Field* f = editField(column);
    return f && f->kind() == FieldKind::Data && !f->isReadOnly();
}

bool DBGridModel::writeValue(int column, const QVariant& value) {
    if (!live())
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
    Field* target = editField(column);
    if (!target)
        throw Error(QStringLiteral("Field '%1' not found").arg(grid_.column(column)->fieldName()));
    const QVariant v = target->coerce(value);
    if (sameValue(target->value(), v))
        return false;
    DataSet* ds = dataSet();
    ds->edit();
    target->setValue(v);
    return true;
}

void DBGridModel::beginAddColumn(int column) {
    beginInsertColumns(QModelIndex(), column, column);
}

void DBGridModel::endAddColumn() {
    fieldsValid_ = false;
    shown_.clear();
    endInsertColumns();
}

void DBGridModel::columnsChanged() {
    fieldsValid_ = false;
    shown_.clear();
    if (grid_.columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, grid_.columnCount() - 1);
    allChanged();
}

int DBGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows();
}

int DBGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.columnCount();
}

QVariant DBGridModel::readCell(int row, int column, int role) const {
    const DBGridColumn* c = grid_.column(column);
    const CellPart part = role == Qt::CheckStateRole ? CheckPart : TextPart;
    const quint64 key = cellKey(row, column, part);
    if (!source_ || !source_->isEnabled())
        return shown_.value(key);
    DataSet* ds = source_->dataSet();
    if (!ds || !ds->isActive() || row >= rows())
        return QVariant();
    const Field* f = field(column);
    if (!f)
        return QVariant();
    QVariant result;
    try {
        const QVariant raw = ds->valueAt(row, f);
        if (part == CheckPart)
            result = truthOf(raw) ? Qt::Checked : Qt::Unchecked;
        else if (c->kind() != ColumnKind::Check)
            result = c->significantDigits() < 15 && f->isNumeric() && !raw.isNull()
                         ? FormatNumber(raw.toDouble(), c->significantDigits())
                         : ValueText(raw);
    } catch (const Error& e) {
        if (!readFailed_) {
            readFailed_ = true;
            grid_.reportLater(e.message());
        }
        return QVariant();
    } catch (const std::exception& e) {
        if (!readFailed_) {
            readFailed_ = true;
            grid_.reportLater(QString::fromLocal8Bit(e.what()));
        }
        return QVariant();
    }
    if (shown_.size() >= kMaxShownCells)
        shown_.clear();
    shown_.insert(key, result);
    return result;
}

QVariant DBGridModel::data(const QModelIndex& index, int role) const {
    try {
        if (!index.isValid() || index.column() >= grid_.columnCount() || index.row() >= rows())
            return QVariant();
        const DBGridColumn* c = grid_.column(index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return readCell(index.row(), index.column(), Qt::DisplayRole);
        case Qt::CheckStateRole:
            if (c->kind() != ColumnKind::Check)
                return QVariant();
            return readCell(index.row(), index.column(), Qt::CheckStateRole);
        case Qt::ToolTipRole: {
            // The grid's hint; without one, a name's full text (a long name
            // is shown shortened in the middle).
            const QString hint = grid_.hintText();
            if (!hint.isEmpty())
                return QVariant(hint);
            if (!grid_.isTextColumn(index.column()))
                return QVariant();
            const QString text = readCell(index.row(), index.column(), Qt::DisplayRole).toString();
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        case Qt::BackgroundRole:
            return c->colour().isValid() ? QVariant(QBrush(c->colour())) : QVariant();
        case Qt::ForegroundRole: {
            // A number below 0 in its own colour where the column gives one;
            // told by the sign of the text shown (whatever the locale writes
            // as its separators), so a frozen grid keeps it too.
            QColor text = grid_.palette().color(c->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
            if (!c->isEnabled() && !c->colour().isValid() && !c->negativeColour().isValid())
                return QVariant(QBrush(text));
            if (c->negativeColour().isValid()) {
                if (readCell(index.row(), index.column(), Qt::DisplayRole).toString().startsWith(QLatin1Char('-')))
                    text = c->negativeColour();
                else if (!c->colour().isValid())
                    return QVariant();
            } else if (!c->colour().isValid()) {
                return QVariant();
            }
            // On a column's own colour the text stays readable, dark colours included.
            return QVariant(QBrush(c->colour().isValid() ? ReadableTextColour(text, c->colour()) : text));
        }
        case Qt::TextAlignmentRole:
            if (c->kind() == ColumnKind::Plain || c->kind() == ColumnKind::Spin)
                if (const Field* f = field(index.column()); f && f->isNumeric())
                    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return QVariant();
        }
    } catch (...) {
        // Nothing may reach the view; the cell shows empty.
        return QVariant();
    }
}

bool DBGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    try {
        if (!index.isValid() || !isCurrentRow(index.row()) || !isEditable(index.column()))
            return false;
        DBGridColumn* c = grid_.column(index.column());
        QVariant v = value;
        if (role == Qt::CheckStateRole) {
            if (c->kind() != ColumnKind::Check)
                return false;
            v = value.toInt() == Qt::Checked;
            if (c->onValidate) {
                const QString refusal = c->onValidate(v);
                if (!refusal.isEmpty()) {
                    grid_.reportLater(refusal);
                    return false;
                }
            }
        } else if (role != Qt::EditRole) {
            return false;
        }
        bool changed = false;
        const bool ok = grid_.runGuarded([&] { changed = writeValue(index.column(), v); });
        // A check box has no editor whose changes would run onChange.
        if (ok && changed && c->kind() == ColumnKind::Check && c->onChange)
            grid_.runGuarded(c->onChange);
        return ok;
    } catch (...) {
        return false;
    }
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex& index) const {
    try {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (isEditable(index.column()))
            f |= grid_.column(index.column())->kind() == ColumnKind::Check ? Qt::ItemIsUserCheckable
                                                                           : Qt::ItemIsEditable;
        return f;
    } catch (...) {
        return Qt::ItemIsEnabled;
    }
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    try {
        if (orientation != Qt::Horizontal || section < 0 || section >= grid_.columnCount())
            return QVariant();
        if (role == Qt::DisplayRole)
            return grid_.column(section)->caption();
        return QVariant();
    } catch (...) {
        return QVariant();
    }
}

// While rows come and go the view moves its current index by itself; that
// is not a user's move to another row: the grid is told it is syncing.
void DBGridModel::resetAll() {
    {
        const QScopedValueRollback<bool> quiet(grid_.syncing_, true);
        beginResetModel();
        keys_ = liveKeys();
        fieldsValid_ = false;
        shown_.clear();
        readFailed_ = false;
        endResetModel();
    }
    grid_.applyColumns();
    grid_.syncCurrent();
}

void DBGridModel::allChanged() {
    if (rows() > 0 && grid_.columnCount() > 0)
        emit dataChanged(index(0, 0), index(rows() - 1, grid_.columnCount() - 1));
}

void DBGridModel::restructure() {
    const QScopedValueRollback<bool> quiet(grid_.syncing_, true);
    std::vector<Bookmark> next = liveKeys();
    const int n = static_cast<int>(next.size());
    const int shown = rows();
    if (n > shown) {
        beginInsertRows(QModelIndex(), shown, n - 1);
        keys_ = std::move(next);
        endInsertRows();
    } else if (n < shown) {
        beginRemoveRows(QModelIndex(), n, shown - 1);
        keys_ = std::move(next);
        endRemoveRows();
    } else {
        keys_ = std::move(next);
    }
    shown_.clear();
    readFailed_ = false;
    allChanged();
}

// The rows that went are removed where they stood and the new ones inserted
// where they stand, so that the view's indexes (an open editor's, the cell
// that Tab goes to, the current one) stay on their rows. Rows that changed
// their order (a sorted list after a post) are moved by a layout change.
void DBGridModel::followRows() {
    const QScopedValueRollback<bool> quiet(grid_.syncing_, true);
    const std::vector<Bookmark> next = liveKeys();
    if (next != keys_) {
        const std::unordered_set<Bookmark> staying(next.begin(), next.end());
        // An editor of a row that goes is closed first, unwritten: what it
        // held was written when its row was settled, and closing it later
        // would write it into whatever row stands there then.
        const QModelIndex editing = grid_.delegate_->editorIndex();
        if (editing.isValid() && editing.row() < rows() && !staying.count(keys_[static_cast<size_t>(editing.row())]))
            grid_.dropEditor();
        for (int last = rows() - 1; last >= 0;) {
            if (staying.count(keys_[static_cast<size_t>(last)])) {
                --last;
                continue;
            }
            int first = last;
            while (first > 0 && !staying.count(keys_[static_cast<size_t>(first - 1)]))
                --first;
            beginRemoveRows(QModelIndex(), first, last);
            keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
            endRemoveRows();
            last = first - 1;
        }
        const std::unordered_set<Bookmark> kept(keys_.begin(), keys_.end());
        std::vector<Bookmark> keptInOrder;
        keptInOrder.reserve(keys_.size());
        for (const Bookmark b : next)
            if (kept.count(b))
                keptInOrder.push_back(b);
        if (keptInOrder == keys_) {
            for (size_t j = 0; j < next.size();) {
                if (kept.count(next[j])) {
                    ++j;
                    continue;
                }
                size_t last = j;
                while (last + 1 < next.size() && !kept.count(next[last + 1]))
                    ++last;
                beginInsertRows(QModelIndex(), static_cast<int>(j), static_cast<int>(last));
                keys_.insert(keys_.begin() + static_cast<long>(j), next.begin() + static_cast<long>(j),
                             next.begin() + static_cast<long>(last) + 1);
                endInsertRows();
                j = last + 1;
            }
        } else {
            std::vector<Bookmark> added;
            for (const Bookmark b : next)
                if (!kept.count(b))
                    added.push_back(b);
            if (!added.empty()) {
                beginInsertRows(QModelIndex(), rows(), rows() + static_cast<int>(added.size()) - 1);
                keys_.insert(keys_.end(), added.begin(), added.end());
                endInsertRows();
            }
            emit layoutAboutToBeChanged();
            std::unordered_map<Bookmark, int> place;
            for (size_t j = 0; j < next.size(); ++j)
                place.emplace(next[j], static_cast<int>(j));
            const QModelIndexList from = persistentIndexList();
            QModelIndexList to;
            to.reserve(from.size());
            for (const QModelIndex& i : from) {
                const auto found = i.row() < rows() ? place.find(keys_[static_cast<size_t>(i.row())]) : place.end();
                to.append(found == place.end() ? QModelIndex() : index(found->second, i.column()));
            }
            keys_ = next;
            changePersistentIndexList(from, to);
            emit layoutChanged();
        }
    }
    shown_.clear();
    readFailed_ = false;
    allChanged();
}

void DBGridModel::dataEvent(DataEvent event, Field*) {
    switch (event) {
    case DataEvent::UpdateRecord:
        // Runs inside the data set's post: an error stops the post.
        grid_.writeEditor();
        return;
    case DataEvent::Scrolled:
        grid_.syncCurrent();
        return;
    case DataEvent::FieldChanged:
    case DataEvent::StateChanged: {
        shown_.clear();
        readFailed_ = false;
        const int row = currentRow();
        if (row >= 0 && row < rows() && grid_.columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, grid_.columnCount() - 1));
        return;
    }
    case DataEvent::Opened:
    case DataEvent::Closed:
    case DataEvent::FilterChanged:
    case DataEvent::SortChanged:
    case DataEvent::DataSetChanged:
        // Other rows now stand where the editor's row stood.
        fieldsValid_ = false;
        grid_.dropEditor();
        restructure();
        break;
    case DataEvent::Inserted:
    case DataEvent::Deleted:
    case DataEvent::Posted:
    case DataEvent::Cancelled:
    case DataEvent::Refreshed:
    case DataEvent::RowsWritten:
        followRows();
        break;
    case DataEvent::Reloaded:
        // The rows were read from the file again (after a failed action,
        // what an open editor held was posted and rolled back): the editor
        // goes unwritten.
        grid_.dropEditor();
        followRows();
        break;
    }
    grid_.syncCurrent();
}

void DBGridModel::dataSourceDestroyed(DataSource* source) {
    if (source != source_)
        return;
    source_ = nullptr;
    resetAll();
}

} // namespace solvane
