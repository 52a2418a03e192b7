// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid_model.h"

#include "controls/db_grid.h"
#include "controls/text_contrast.h"
#include "store/dataset.h"
#include "core/error.h"
#include "store/field.h"
#include "core/number_text.h"

#include <QBrush>
#include <QScopedValueRollback>

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

int DBGridModel::liveRowCount() const {
    return live() ? dataSet()->recordCount() : 0;
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
    if (rows_ > 0 && grid_.columnCount() > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, grid_.columnCount() - 1));
}

int DBGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
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
    if (!ds || !ds->isActive() || row >= rows_)
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
        if (!index.isValid() || index.column() >= grid_.columnCount() || index.row() >= rows_)
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
            const QString hint = grid_.hintText();
            return hint.isEmpty() ? QVariant() : QVariant(hint);
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
        if (!index.isValid() || !live() || index.row() != currentRow() || !isEditable(index.column()))
            return false;
        DBGridColumn* c = grid_.column(index.column());
        QVariant v = value;
        if (role == Qt::CheckStateRole) {
            if (c->kind() != ColumnKind::Check)
                return false;
            v = value.toInt() == Qt::Checked;
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
        rows_ = liveRowCount();
        fieldsValid_ = false;
        shown_.clear();
        readFailed_ = false;
        endResetModel();
    }
    grid_.applyColumns();
    grid_.syncCurrent();
}

void DBGridModel::restructure() {
    const QScopedValueRollback<bool> quiet(grid_.syncing_, true);
    const int n = liveRowCount();
    if (n > rows_) {
        beginInsertRows(QModelIndex(), rows_, n - 1);
        rows_ = n;
        endInsertRows();
    } else if (n < rows_) {
        beginRemoveRows(QModelIndex(), n, rows_ - 1);
        rows_ = n;
        endRemoveRows();
    }
    shown_.clear();
    readFailed_ = false;
    if (rows_ > 0 && grid_.columnCount() > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, grid_.columnCount() - 1));
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
        if (row >= 0 && row < rows_ && grid_.columnCount() > 0)
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
    case DataEvent::Reloaded:
        restructure();
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
