// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_source.h"
#include "store/dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <vector>

namespace solvane {

class DataSet;
class DBGrid;
class Field;

// The table model of a DBGrid: one row per visible row of the data set, one
// column per grid column. It reads only the cells the view asks for (the
// rows painted), through DataSet::valueAt, which keeps each row's derived
// values until they go stale. While the data source is disabled it never
// calls into the data set: the view gets the values it showed last.
class DBGridModel : public QAbstractTableModel, public DataLink {
    Q_OBJECT
public:
    explicit DBGridModel(DBGrid& grid);
    ~DBGridModel() override;

    void setSource(DataSource* source);
    DataSource* source() const { return source_; }
    // The bound data set, or nullptr.
    DataSet* dataSet() const;
    // An enabled source over an open data set: the model may read it.
    bool live() const;
    // 0-based row of the data set's cursor, -1 when none (or not live).
    int currentRow() const;
    // The view's row shows the data set's current row: the one a cell editor
    // of that row may write into. A row that stood there before rows came or
    // went is another row, even at the same number.
    bool isCurrentRow(int row) const;

    // The field a column shows, nullptr when the data set has none by its name.
    Field* field(int column) const;
    // The field an edit of the column writes: the key field of a lookup
    // column, the column's own field otherwise.
    Field* editField(int column) const;
    bool isEditable(int column) const;

    // Writes a value into the column's field of the current row, putting the
    // data set into edit state first. Nothing happens when the value is the
    // one already there. Throws Error.
    bool writeValue(int column, const QVariant& value);
    // A column is added at this index (between the two calls).
    void beginAddColumn(int column);
    void endAddColumn();
    // The columns' settings changed (captions, kinds, colours).
    void columnsChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void dataEvent(DataEvent event, Field* field) override;
    void dataSourceDestroyed(DataSource* source) override;

private:
    QVariant readCell(int row, int column, int role) const;
    void resolveFields() const;
    void resetAll();
    // Follows a change of all the visible rows (another filter, order or
    // master row, the set opened or closed) without resetting the view
    // (which would drop the columns' widths): rows are added or removed at
    // the end and every cell is repainted.
    void restructure();
    // Follows rows that came, went or moved (an insert, a post, a delete, a
    // cancel, a new read), each where it stands.
    void followRows();
    void allChanged();
    std::vector<Bookmark> liveKeys() const;
    int rows() const { return static_cast<int>(keys_.size()); }

    DBGrid& grid_;
    DataSource* source_ = nullptr;
    // The rows shown, each by its bookmark in the data set.
    std::vector<Bookmark> keys_;
    mutable DataSet* fieldsOf_ = nullptr;
    mutable bool fieldsValid_ = false;
    mutable std::vector<Field*> fields_;
    mutable std::vector<Field*> editFields_;
    // The cells read last, shown while the source is disabled.
    mutable QHash<quint64, QVariant> shown_;
    mutable bool readFailed_ = false;
};

} // namespace solvane
