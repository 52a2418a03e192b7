// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_event.h"
#include "store/field.h"
#include "store/filter_expression.h"
#include "store/table_gateway.h"
#include "store/table_rows.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace solvane {

class Connection;
class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// A bookmark names one row for as long as the set is open. Callers keep it,
// compare it and hand it back; what the number means is the set's business.
using Bookmark = int;
constexpr Bookmark kNoBookmark = -1;

// A navigable, editable record set holding its own snapshot of a whole table
// (or of one query on a table): a current row, edit/insert/post/cancel/delete,
// an in-memory filter and sort order, master-detail links, and lookup and
// calculated fields. Every write goes straight to the database; a change made
// through one set reaches another set on the same table when that one is
// closed and opened again. The SQL is the TableGateway's; the set's own code
// is split by concern over dataset.cpp, dataset_views.cpp and
// dataset_derived_fields.cpp.
class DataSet {
public:
    DataSet(Connection* connection, QString name);
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    const QString& name() const { return name_; }
    Connection* connection() const { return connection_; }
    // The table the set reads (and writes).
    const QString& tableName() const { return gateway_.table(); }

    // --- declaration (before the set is opened) ---
    // The whole table; declares a data field for every column of the table.
    void setTable(const QString& table);
    // A query on one table ("select a, b from t"); its columns become the data fields.
    void setQuery(const QString& sql, const QString& baseTable);
    Field* addLookupField(const QString& name, ColumnType type, int size, const QString& keyField, DataSet* source,
                          const QString& sourceKey, const QString& sourceResult);
    Field* addCalculatedField(const QString& name, ColumnType type, int size = 0);
    // Runs for a row whenever it is read, refreshed or one of its fields changes;
    // it may read any field and assign calculated fields.
    std::function<void(DataSet&)> onCalcFields;
    std::function<void(DataSet&)> afterPost;
    std::function<void(DataSet&)> afterDelete;

    // Makes this set a detail of the master source's set: only rows whose
    // detailField equals the master's current masterField are visible.
    void setMaster(DataSource* master, const QString& masterField, const QString& detailField);
    void clearMaster();
    DataSource* masterSource() const { return masterSource_; }

    // --- fields ---
    const std::vector<std::unique_ptr<Field>>& fields() const { return fields_; }
    Field* findField(const QString& name) const;   // case-insensitive, nullptr if none
    Field* fieldByName(const QString& name) const; // throws Error if none

    // --- open and close ---
    void open();
    void close();
    bool isActive() const { return state_ != DataSetState::Inactive; }
    // A row is being edited or inserted and not yet posted.
    bool isEditing() const { return state_ == DataSetState::Edit || state_ == DataSetState::Insert; }
    // Throws the data layer's error for a closed set.
    void requireActive() const;
    DataSetState state() const { return state_; }
    // Settles a pending change and recalculates every row's derived fields.
    void refresh();
    // Marks every row's calculated fields stale (they depend on something
    // outside the row, such as the strength percentage).
    void invalidateCalculated();

    // --- cursor ---
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const;
    int recordCount() const;
    // 1-based number of the current row among the visible rows, 0 if none.
    int recNo() const;
    // Moves to the visible row with this 1-based number.
    void setRecNo(int recNo);
    Bookmark bookmark() const;
    void gotoBookmark(Bookmark bookmark);
    bool bookmarkValid(Bookmark bookmark) const;
    // The bookmark of every visible row, in their order (a pending new row
    // among them): how controls tell which rows came, went or moved.
    const std::vector<Bookmark>& visibleBookmarks() const { return visible_; }

    // --- editing ---
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    bool isModified() const { return modified_; }
    // Posts a pending change with modified fields, drops an untouched insert;
    // true when it posted.
    bool checkBrowseMode();
    // The number of the action (see Connection::actionSerial) in which the
    // pending edit or insert began; 0 outside an action or in browse.
    unsigned long long editSerial() const { return isEditing() ? editSerial_ : 0; }

    // --- filter and sort ---
    const QString& filter() const { return filterText_; }
    void setFilter(const QString& text);
    bool isFiltered() const { return filtered_; }
    void setFiltered(bool filtered);
    const QString& sort() const { return sortText_; }
    void setSort(const QString& text);

    // --- observers (data sources and detail sets) ---
    void addObserver(DataSetObserver* observer);
    void removeObserver(DataSetObserver* observer);

    // --- access to visible rows without moving the cursor (for grids) ---
    // The value of a field in the visible row with this 0-based number; empty
    // when there is no such row.
    QVariant valueAt(int visibleRow, const Field* field);
    // A value of a row found by its key field, over the whole snapshot; null if none.
    QVariant lookupValue(const QString& keyField, const QVariant& key, const QString& resultField);

    // The data fields' values of every row the set holds, visible or not, in
    // the table's order; a pending new row is not among them.
    std::vector<std::vector<QVariant>> snapshot() const;
    // The position of a data field in the rows of snapshot(), which hold the
    // data fields in their declared order; -1 when there is none.
    int snapshotColumn(const QString& fieldName) const;
    // The same rows with their keys and column names, as the model reads them.
    TableRows rows() const;
    // The rows shown (under the master's current row, through the filter),
    // in their order; none while the set is closed.
    TableRows shownRows() const;

    // --- rows written by key (store/row_writes.h) ---
    // The file's row with this key now holds these values (by column name):
    // the set's row takes them as read, wherever its cursor stands. In memory
    // only: the file keeps what it held (see post()).
    void rowUpdated(long long key, const std::vector<std::pair<QString, QVariant>>& values, bool inMemoryOnly);
    // The file holds a new row with these values (every column's).
    void rowInserted(long long key, const std::vector<std::pair<QString, QVariant>>& values);
    // The row with this key is gone from the file; when it was current, the
    // cursor moves as a delete moves it.
    void rowDeleted(long long key);
    // Tells the controls and detail sets once, after the rows above.
    void rowsWritten();

    // Field access used by Field.
    QVariant fieldValue(const Field* field);
    bool fieldReadAsEmpty(const Field* field);
    void setFieldValue(Field* field, const QVariant& value);

    // The connection is being destroyed before the set.
    void connectionGone() { connection_ = nullptr; }

private:
    struct Cell;
    struct Row;
    class Observer;
    class RowAccess;
    friend class RowAccess;
    friend void ReloadDataSets(const std::vector<DataSet*>& sets, const std::vector<DataSet*>& reopen);

    // --- declaration, reading, the cursor and editing (dataset.cpp) ---
    Field* addField(std::unique_ptr<Field> field);
    void declareTableFields(const QString& table);
    void addDataField(const ColumnDef& column);
    std::vector<std::unique_ptr<Row>> readRows();
    // Reads the rows again and merges them into the storage by key (a row
    // keeps its bookmark); a pending edit keeps its typed values, a pending
    // insert its place. Nothing is told yet.
    void reread();
    // After reread(): the visible rows anew under the master's current key,
    // the cursor on its row where it is still visible; then Reloaded.
    void reselect();
    void notify(DataEvent event, Field* field = nullptr);
    int currentRow() const; // storage index of the current row, -1 if none
    Row& rowAt(int storage) { return *rows_[static_cast<size_t>(storage)]; }
    const Row& rowAt(int storage) const { return *rows_[static_cast<size_t>(storage)]; }
    // The value of a field in the row with this storage index.
    QVariant rowValue(int storage, const Field* field);
    void setCursor(int visibleIndex);
    void beforeMove();
    void startInsert(bool atEnd);
    void checkTextSizes(const Row& row) const;
    void removeFromVisible(int storage);
    TableRows rowsAt(const std::vector<int>& storages) const;
    // The storage index of the stored row with this key, -1 when none.
    int storageOfKey(long long key) const;
    // After the visible rows were built anew: the cursor on the row that was
    // current (storage index), or at its place when that one is gone.
    void keepCursorOn(int storage, int index);
    QString message(const QString& text) const { return name_ + QStringLiteral(": ") + text; }

    // --- derived fields (dataset_derived_fields.cpp) ---
    void ensureDerived(int storage);
    unsigned long long derivedStamp() const;
    unsigned long long sourceStamp() const;

    // --- filter, sort and master link: the visible rows (dataset_views.cpp) ---
    void rebuildVisible();
    void applySort();
    bool rowVisible(int storage) const;
    QVariant masterKey() const;
    void masterChanged();
    // The master closed: a pending change is dropped, never posted.
    void masterClosed();
    int resolveFilterField(const QString& name) const;

    Connection* connection_;
    QString name_;
    TableGateway gateway_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<Field*> dataFields_;
    std::vector<const ColumnDef*> columnDefs_; // the columns of dataFields_, in order
    std::vector<Field*> derivedFields_;
    std::vector<DataSet*> lookupSources_;

    DataSetState state_ = DataSetState::Inactive;
    std::vector<std::unique_ptr<Row>> rows_; // storage; a bookmark is an index here
    std::vector<int> natural_;               // storage indices in the table's order
    std::vector<int> visible_;               // storage indices shown, in order
    int cursor_ = -1;                        // index into visible_
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    unsigned long long editSerial_ = 0;
    int insertReturn_ = kNoBookmark; // row current before an insert
    int calcRow_ = -1;               // row being calculated, -1 outside the handler

    // The visible rows: filter, sort, master link.
    QString filterText_;
    bool filtered_ = false;
    FilterExpression filterExpr_;
    QString sortText_;
    Field* sortField_ = nullptr;
    bool sortDescending_ = false;

    DataSource* masterSource_ = nullptr;
    QString masterFieldName_;
    Field* detailField_ = nullptr;
    std::unique_ptr<Observer> masterObserver_;
    QVariant lastMasterKey_;
    int lastMasterRow_ = kNoBookmark;
    bool detailIndexValid_ = false;
    std::unordered_map<long long, std::vector<int>> detailIndex_;

    // The derived fields' caches: a row's derived values are current while its
    // stamp equals derivedStamp(); a lookup index while its epoch is dataEpoch_.
    unsigned long long dataEpoch_ = 1; // counts changes of the rows' data
    unsigned long long calcEpoch_ = 1; // counts invalidations of every row's derived values
    struct LookupIndex {
        unsigned long long epoch = 0;
        std::unordered_map<long long, int> rows;
    };
    std::unordered_map<QString, LookupIndex> lookupIndexes_;
    std::vector<DataSetObserver*> observers_;
};

// Reads every open set of the list again from the file (after an action was
// rolled back), masters before their details, and tells their controls; the
// sets of reopen that are closed now (the action closed them) are opened
// again first. A set that cannot be read is closed; the first such error is
// thrown at the end.
void ReloadDataSets(const std::vector<DataSet*>& sets, const std::vector<DataSet*>& reopen);

} // namespace solvane
