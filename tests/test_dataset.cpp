// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/connection.h"
#include "store/data_source.h"
#include "store/disabled_source.h"
#include "store/dataset.h"
#include "store/row_writes.h"
#include "core/error.h"
#include "support/test_base.h"
#include "support/dataset_readers.h"
#include "support/test_dir.h"

#include <QtTest>
#include <functional>
#include <memory>

using namespace solvane;
using namespace solvane::test;

namespace {

QString text(const DataSet& set, const QString& field) {
    return set.fieldByName(field)->asString();
}

// Records what a data source relays; like a control, it unbinds itself when
// it goes.
class Recorder : public DataLink {
public:
    ~Recorder() override {
        if (source_)
            source_->removeLink(this);
    }
    void attach(DataSource& source) {
        source_ = &source;
        source.addLink(this);
    }
    void dataSourceDestroyed(DataSource*) override { source_ = nullptr; }
    void dataEvent(DataEvent event, Field* field) override {
        events.push_back(event);
        fields << (field ? field->name() : QString());
        if (onEvent)
            onEvent(event);
    }
    int count(DataEvent event) const { return static_cast<int>(std::count(events.begin(), events.end(), event)); }
    void clear() {
        events.clear();
        fields.clear();
    }
    std::vector<DataEvent> events;
    QStringList fields;
    std::function<void(DataEvent)> onEvent;

private:
    DataSource* source_ = nullptr;
};

} // namespace

class DataSetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WorkingDirectory> dir_;
    std::unique_ptr<TestBase> base_;

    Connection* connection() { return &base_->connection(); }
    TestBase& base() { return *base_; }

    std::unique_ptr<DataSet> table(const QString& name, const QString& tableName) {
        auto set = std::make_unique<DataSet>(connection(), name);
        set->setTable(tableName);
        return set;
    }
    long long addCrop(const QString& name, const QVariant& ph = QVariant()) {
        return base().insert(QStringLiteral("T_kult"),
                             {{QStringLiteral("name_kult"), name}, {QStringLiteral("ph"), ph}});
    }
    long long addTarget(long long crop, double vega, long long element = 1) {
        return base().insert(
            QStringLiteral("t_konc"),
            {{QStringLiteral("id_kult"), crop}, {QStringLiteral("vega"), vega}, {QStringLiteral("id_el"), element}});
    }
    // Four crops: Томат, Огурец, Перец, Салат.
    std::unique_ptr<DataSet> fourCrops() {
        for (const char* name : {"Томат", "Огурец", "Перец", "Салат"})
            addCrop(QString::fromUtf8(name));
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        crops->open();
        return crops;
    }
    int cropRows() { return base().value(QStringLiteral("SELECT count(*) FROM T_kult")).toInt(); }

private slots:
    void init() {
        dir_ = std::make_unique<WorkingDirectory>();
        base_ = std::make_unique<TestBase>();
    }
    void cleanup() {
        base_.reset();
        dir_.reset();
    }

    // ------------------------------------------------------------ open and close

    void openReadsTheRowsAndClosingForgetsThem() {
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        addCrop(QStringLiteral("Томат"), QStringLiteral("5.5-6.5"));
        addCrop(QStringLiteral("Огурец"));
        QCOMPARE(crops->state(), DataSetState::Inactive);
        QVERIFY(!ErrorOf([&] { text(*crops, QStringLiteral("name_kult")); }).isEmpty());

        crops->open();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(crops->recordCount(), 2);
        QCOMPARE(crops->recNo(), 1);
        QCOMPARE(text(*crops, QStringLiteral("name_kult")), QStringLiteral("Томат"));
        QCOMPARE(text(*crops, QStringLiteral("ph")), QStringLiteral("5.5-6.5"));

        // An unposted change is lost on close.
        crops->next();
        crops->edit();
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Кабачок"));
        crops->close();
        QCOMPARE(crops->state(), DataSetState::Inactive);
        QCOMPARE(crops->recordCount(), 0);
        QVERIFY(!crops->isModified());
        QVERIFY(!ErrorOf([&] { text(*crops, QStringLiteral("name_kult")); }).isEmpty());
        QVERIFY(!ErrorOf([&] { crops->next(); }).isEmpty());
        QCOMPARE(base().value(QStringLiteral("SELECT name_kult FROM T_kult WHERE id_kult = 2")).toString(),
                 QStringLiteral("Огурец"));
        crops->open();
        QCOMPARE(ColumnValues(*crops, QStringLiteral("name_kult")), QStringList({"Томат", "Огурец"}));
    }

    void aQueryReadsOnlyItsColumns() {
        base().sql().exec(QStringLiteral("ALTER TABLE t_udobra ADD COLUMN note TEXT"));
        base().insert(QStringLiteral("t_udobra"), {{QStringLiteral("name_udobra"), QStringLiteral("Мочевина")},
                                                   {QStringLiteral("ppm"), 460},
                                                   {QStringLiteral("note"), QStringLiteral("x")}});
        DataSet fertilizers(connection(), QStringLiteral("T_Udobra"));
        fertilizers.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"),
                             QStringLiteral("t_udobra"));
        fertilizers.open();
        QCOMPARE(fertilizers.fields().size(), size_t(3));
        QCOMPARE(fertilizers.fieldByName(QStringLiteral("ppm"))->asInteger(), 460);
        fertilizers.append();
        fertilizers.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Селитра"));
        fertilizers.post();
        QCOMPARE(fertilizers.fieldByName(QStringLiteral("id_udobra"))->asInteger(), 2);
        fertilizers.first();
        fertilizers.deleteRecord();
        QCOMPARE(base().value(QStringLiteral("SELECT group_concat(name_udobra) FROM t_udobra")).toString(),
                 QStringLiteral("Селитра"));
    }

    void aMissingColumnFailsTheOpen() {
        base().sql().exec(QStringLiteral("ALTER TABLE T_kult DROP COLUMN ph"));
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        const QString error = ErrorOf([&] { crops->open(); });
        QVERIFY2(error.contains(QStringLiteral("ph")), qPrintable(error));
        QVERIFY(!crops->isActive());
    }

    // ------------------------------------------------------------ cursor

    void movesSetTheEndMarks() {
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        crops->next();
        QCOMPARE(name->asString(), QStringLiteral("Огурец"));
        QVERIFY(!crops->bof() && !crops->eof());
        crops->last();
        QCOMPARE(name->asString(), QStringLiteral("Салат"));
        QVERIFY(!crops->eof());
        crops->next();
        QVERIFY(crops->eof());
        QCOMPARE(name->asString(), QStringLiteral("Салат"));
        QCOMPARE(crops->recNo(), 4);
        crops->prior();
        QVERIFY(!crops->eof() && !crops->bof());
        QCOMPARE(name->asString(), QStringLiteral("Перец"));
        crops->first();
        QVERIFY(!crops->bof());
        crops->prior();
        QVERIFY(crops->bof() && !crops->eof());
        QCOMPARE(name->asString(), QStringLiteral("Томат"));
        crops->next();
        QVERIFY(!crops->bof());

        // The usual loop visits every row once.
        QStringList seen;
        for (crops->first(); !crops->eof(); crops->next())
            seen << name->asString();
        QCOMPARE(seen, QStringList({"Томат", "Огурец", "Перец", "Салат"}));

        crops->first();
        QCOMPARE(crops->moveBy(2), 2);
        QCOMPARE(name->asString(), QStringLiteral("Перец"));
        QCOMPARE(crops->moveBy(5), 1);
        QVERIFY(crops->eof());
        QCOMPARE(crops->moveBy(-10), -3);
        QVERIFY(crops->bof());
        QCOMPARE(name->asString(), QStringLiteral("Томат"));
        crops->setRecNo(3);
        QCOMPARE(name->asString(), QStringLiteral("Перец"));
    }

    void anEmptySetIsAtBothMarks() {
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        crops->open();
        QVERIFY(crops->isEmpty());
        QVERIFY(crops->bof() && crops->eof());
        QCOMPARE(crops->recordCount(), 0);
        QCOMPARE(crops->recNo(), 0);
        crops->first();
        crops->next();
        crops->last();
        crops->prior();
        QVERIFY(crops->bof() && crops->eof());
        QVERIFY(crops->fieldByName(QStringLiteral("name_kult"))->isNull());
        QCOMPARE(crops->bookmark(), kNoBookmark);

        // Emptied by its last delete.
        addCrop(QStringLiteral("Томат"));
        crops->close();
        crops->open();
        QVERIFY(!crops->bof() && !crops->eof());
        crops->deleteRecord();
        QVERIFY(crops->bof() && crops->eof());
    }

    void bookmarksSurviveFilteringAndSorting() {
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        crops->setRecNo(3);
        const Bookmark pepper = crops->bookmark();
        crops->first();
        const Bookmark tomato = crops->bookmark();

        crops->setSort(QStringLiteral("name_kult DESC"));
        crops->last();
        crops->gotoBookmark(pepper);
        QCOMPARE(name->asString(), QStringLiteral("Перец"));

        crops->setFilter(QStringLiteral("name_kult like %о%"));
        crops->setFiltered(true);
        QVERIFY(crops->bookmarkValid(tomato));
        QVERIFY(!crops->bookmarkValid(pepper));
        const QString error = ErrorOf([&] { crops->gotoBookmark(pepper); });
        QVERIFY2(error.contains(QStringLiteral("Record not found")), qPrintable(error));
        crops->gotoBookmark(tomato);
        QCOMPARE(name->asString(), QStringLiteral("Томат"));

        crops->setFiltered(false);
        crops->gotoBookmark(pepper);
        QCOMPARE(name->asString(), QStringLiteral("Перец"));

        // A deleted row is gone for good.
        crops->deleteRecord();
        QVERIFY(!crops->bookmarkValid(pepper));
        QVERIFY(ErrorOf([&] { crops->gotoBookmark(pepper); }).contains(QStringLiteral("Record not found")));
        QVERIFY(ErrorOf([&] { crops->gotoBookmark(12345); }).contains(QStringLiteral("Record not found")));
    }

    // ------------------------------------------------------------ editing

    void editAndPostWriteTheChangedColumns() {
        auto crops = fourCrops();
        int afterPost = 0;
        crops->afterPost = [&](DataSet& set) {
            ++afterPost;
            QCOMPARE(set.state(), DataSetState::Browse);
            QCOMPARE(text(set, QStringLiteral("name_kult")), QStringLiteral("Баклажан"));
        };
        QVERIFY(ErrorOf([&] { crops->post(); }).contains(QStringLiteral("not in edit or insert mode")));
        crops->next();
        crops->edit();
        QCOMPARE(crops->state(), DataSetState::Edit);
        QVERIFY(!crops->isModified());
        crops->edit(); // does nothing in Edit
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Баклажан"));
        QVERIFY(crops->isModified());
        crops->post();
        QCOMPARE(afterPost, 1);
        QVERIFY(!crops->isModified());
        QCOMPARE(crops->recNo(), 2);
        QCOMPARE(base().value(QStringLiteral("SELECT name_kult FROM T_kult WHERE id_kult = 2")).toString(),
                 QStringLiteral("Баклажан"));
        QCOMPARE(cropRows(), 4);
    }

    void cancelRestoresTheRowAsRead() {
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        Field* ph = crops->fieldByName(QStringLiteral("ph"));
        crops->edit();
        name->setAsString(QStringLiteral("Баклажан"));
        ph->setAsString(QStringLiteral("6"));
        crops->cancel();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QVERIFY(!crops->isModified());
        QCOMPARE(name->asString(), QStringLiteral("Томат"));
        QVERIFY(ph->isNull());
        // The restored row posts nothing stale later.
        crops->edit();
        ph->setAsString(QStringLiteral("7"));
        crops->post();
        QCOMPARE(base().sql().rows(QStringLiteral("SELECT name_kult, ph FROM T_kult WHERE id_kult = 1")),
                 std::vector<std::vector<QVariant>>({{QStringLiteral("Томат"), QStringLiteral("7")}}));
    }

    void insertGoesBeforeTheCurrentRowAndAppendAfterTheLast() {
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        crops->setRecNo(2);
        crops->insert();
        QCOMPARE(crops->state(), DataSetState::Insert);
        QCOMPARE(crops->recNo(), 2);
        QCOMPARE(crops->recordCount(), 5);
        QVERIFY(name->isNull());
        crops->cancel();
        QCOMPARE(crops->recordCount(), 4);
        QCOMPARE(name->asString(), QStringLiteral("Огурец"));

        crops->insert();
        name->setAsString(QStringLiteral("Лук"));
        crops->post();
        QCOMPARE(ColumnValues(*crops, QStringLiteral("name_kult")),
                 QStringList({"Томат", "Лук", "Огурец", "Перец", "Салат"}));
        QCOMPARE(name->asString(), QStringLiteral("Лук"));

        crops->first();
        crops->append();
        QCOMPARE(crops->recNo(), 6);
        crops->cancel();
        QCOMPARE(name->asString(), QStringLiteral("Томат"));
        crops->append();
        name->setAsString(QStringLiteral("Укроп"));
        crops->post();
        QCOMPARE(crops->recNo(), 6);
        QCOMPARE(cropRows(), 6);
    }

    void aPostedNewRowReadsBackItsKeyAndGetsColumnDefaults() {
        auto heads = table(QStringLiteral("T_HEAD_RAR"), QStringLiteral("t_head_rar"));
        heads->open();
        heads->append();
        Field* key = heads->fieldByName(QStringLiteral("id_head_rar"));
        Field* litres = heads->fieldByName(QStringLiteral("kol_l"));
        QVERIFY(key->isNull());
        QCOMPARE(litres->value(), QVariant(1.0));
        QVERIFY(heads->fieldByName(QStringLiteral("konc"))->isNull());
        QVERIFY(!heads->isModified());
        heads->fieldByName(QStringLiteral("name_rar"))->setAsString(QStringLiteral("Рассада"));
        heads->post();
        const long long id = key->asLargeInt();
        QVERIFY(id > 0);
        QCOMPARE(base().value(QStringLiteral("SELECT kol_l FROM t_head_rar WHERE id_head_rar = ?"), {id}),
                 QVariant(1.0));
        QVERIFY(!ErrorOf([&] { key->setAsInteger(5); }).isEmpty()); // browse
        heads->edit();
        QVERIFY(!ErrorOf([&] { key->setAsInteger(5); }).isEmpty()); // the store assigns keys
        heads->cancel();

        // The next one gets the next key; the row can be changed and deleted at once.
        heads->append();
        heads->fieldByName(QStringLiteral("name_rar"))->setAsString(QStringLiteral("Цветение"));
        heads->post();
        QVERIFY(key->asLargeInt() > id);
        heads->edit();
        litres->setAsFloat(2.5);
        heads->post();
        QCOMPARE(base().value(QStringLiteral("SELECT kol_l FROM t_head_rar WHERE name_rar = 'Цветение'")),
                 QVariant(2.5));
        heads->deleteRecord();
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_head_rar")).toInt(), 1);
    }

    void editOnAnEmptySetInserts() {
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        crops->open();
        crops->edit();
        QCOMPARE(crops->state(), DataSetState::Insert);
        QCOMPARE(crops->recordCount(), 1);
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Томат"));
        crops->post();
        QCOMPARE(cropRows(), 1);
        QVERIFY(crops->fieldByName(QStringLiteral("id_kult"))->asInteger() > 0);
    }

    void deleteMovesToTheFollowingRow() {
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        QStringList deleted;
        crops->afterDelete = [&](DataSet& set) {
            deleted << QString::number(set.recordCount()) + QLatin1Char(':') + name->asString();
        };
        crops->setRecNo(2);
        crops->deleteRecord();
        QCOMPARE(name->asString(), QStringLiteral("Перец"));
        crops->last();
        crops->deleteRecord();
        QCOMPARE(name->asString(), QStringLiteral("Перец"));
        QCOMPARE(deleted, QStringList({"3:Перец", "2:Перец"}));
        QCOMPARE(base().value(QStringLiteral("SELECT group_concat(name_kult) FROM T_kult")).toString(),
                 QStringLiteral("Томат,Перец"));

        // In Insert it only drops the new row.
        crops->append();
        crops->deleteRecord();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(crops->recordCount(), 2);
        QCOMPARE(deleted.size(), 2);
        QCOMPARE(cropRows(), 2);
    }

    // Rows written by key reach every open set on the table in place, its
    // cursor staying on its row (a deleted current row moves it on), and
    // the controls are told once per write; a detail follows its master's
    // row; a row no longer in the file stops the write.
    void rowsWrittenByKeyKeepEverySetInLine() {
        auto crops = fourCrops();
        auto other = table(QStringLiteral("T_KULT2"), QStringLiteral("T_kult"));
        other->open();
        DataSource source(crops.get());
        auto targets = table(QStringLiteral("T_KONC"), QStringLiteral("t_konc"));
        targets->setMaster(&source, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
        addTarget(2, 100);
        addTarget(3, 50);
        targets->open();
        Recorder controls;
        controls.attach(source);
        crops->setRecNo(2);
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList{QStringLiteral("100")});
        controls.clear();

        UpdateRows(*connection(), QStringLiteral("T_kult"),
                   {{3, {{QStringLiteral("name_kult"), QStringLiteral("Чили")}}}});
        QCOMPARE(ColumnValues(*crops, QStringLiteral("name_kult")), QStringList({"Томат", "Огурец", "Чили", "Салат"}));
        QCOMPARE(ColumnValues(*other, QStringLiteral("name_kult")), ColumnValues(*crops, QStringLiteral("name_kult")));
        QCOMPARE(crops->recNo(), 2);
        QCOMPARE(controls.events, std::vector<DataEvent>{DataEvent::RowsWritten});
        // The row is read as written: a later edit of it finds it unchanged.
        crops->setRecNo(3);
        crops->edit();
        crops->fieldByName(QStringLiteral("ph"))->setAsString(QStringLiteral("6"));
        crops->post();
        crops->setRecNo(2);

        const long long added =
            InsertRow(*connection(), QStringLiteral("T_kult"), {{QStringLiteral("name_kult"), QStringLiteral("Лук")}});
        QCOMPARE(crops->recordCount(), 5);
        QCOMPARE(other->recordCount(), 5);
        QCOMPARE(crops->recNo(), 2);
        QCOMPARE(base().value(QStringLiteral("SELECT name_kult FROM T_kult WHERE id_kult = ?"), {added}).toString(),
                 QStringLiteral("Лук"));

        DeleteRows(*connection(), QStringLiteral("T_kult"), {2});
        QCOMPARE(text(*crops, QStringLiteral("name_kult")), QStringLiteral("Чили"));
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList{QStringLiteral("50")});
        QCOMPARE(cropRows(), 4);
        QVERIFY(ErrorOf([&] {
                    DeleteRows(*connection(), QStringLiteral("T_kult"), {2});
                }).startsWith(QStringLiteral("Row cannot be located")));
        source.removeLink(&controls);
    }

    void deleteOnAnEmptySetIsRefused() {
        auto heads = table(QStringLiteral("T_HEAD_RAR"), QStringLiteral("t_head_rar"));
        heads->open();
        QCOMPARE(ErrorOf([&] { heads->deleteRecord(); }),
                 QStringLiteral("T_HEAD_RAR: Cannot perform this operation on an empty dataset"));
        // Empty under a filter counts too.
        base().insert(QStringLiteral("t_head_rar"), {{QStringLiteral("name_rar"), QStringLiteral("A")}});
        heads->close();
        heads->setFilter(QStringLiteral("konc=5"));
        heads->setFiltered(true);
        heads->open();
        QCOMPARE(ErrorOf([&] { heads->deleteRecord(); }),
                 QStringLiteral("T_HEAD_RAR: Cannot perform this operation on an empty dataset"));
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_head_rar")).toInt(), 1);
    }

    void assigningInBrowseIsRefused() {
        auto crops = fourCrops();
        const QString error =
            ErrorOf([&] { crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("x")); });
        QVERIFY2(error.contains(QStringLiteral("Dataset not in edit or insert mode")), qPrintable(error));
        QCOMPARE(text(*crops, QStringLiteral("name_kult")), QStringLiteral("Томат"));
        QVERIFY(!crops->isModified());
        QCOMPARE(crops->state(), DataSetState::Browse);
    }

    void movingSettlesAPendingChange_data() {
        QTest::addColumn<QString>("move");
        for (const char* move :
             {"next", "prior", "first", "last", "moveBy", "recNo", "bookmark", "filter", "sort", "refresh"})
            QTest::newRow(move) << move;
    }
    void movingSettlesAPendingChange() {
        QFETCH(QString, move);
        auto crops = fourCrops();
        Field* name = crops->fieldByName(QStringLiteral("name_kult"));
        crops->first();
        const Bookmark first = crops->bookmark();
        auto doMove = [&] {
            if (move == QLatin1String("next"))
                crops->next();
            else if (move == QLatin1String("prior"))
                crops->prior();
            else if (move == QLatin1String("first"))
                crops->first();
            else if (move == QLatin1String("last"))
                crops->last();
            else if (move == QLatin1String("moveBy"))
                crops->moveBy(1);
            else if (move == QLatin1String("recNo"))
                crops->setRecNo(3);
            else if (move == QLatin1String("bookmark"))
                crops->gotoBookmark(first);
            else if (move == QLatin1String("filter")) {
                crops->setFilter(QStringLiteral("id_kult<100"));
                crops->setFiltered(!crops->isFiltered());
            } else if (move == QLatin1String("sort"))
                crops->setSort(crops->sort().isEmpty() ? QStringLiteral("id_kult DESC") : QString());
            else
                crops->refresh();
        };

        crops->setRecNo(2);
        crops->edit();
        name->setAsString(QStringLiteral("Баклажан"));
        doMove();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(base().value(QStringLiteral("SELECT name_kult FROM T_kult WHERE id_kult = 2")).toString(),
                 QStringLiteral("Баклажан"));

        // An edit with nothing assigned writes nothing.
        const long long commits = connection()->commitCount();
        crops->setRecNo(2);
        crops->edit();
        doMove();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(connection()->commitCount(), commits);

        // An untouched new row is dropped, a typed one is posted.
        crops->setRecNo(2);
        crops->insert();
        doMove();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(crops->recordCount(), 4);
        QCOMPARE(cropRows(), 4);
        crops->setRecNo(2);
        crops->append();
        name->setAsString(QStringLiteral("Лук"));
        doMove();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(crops->recordCount(), 5);
        QCOMPARE(cropRows(), 5);
    }

    void aValueTheColumnCannotHoldFailsThePost_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("50 characters") << "name_udobra" << QVariant(QString(50, QChar(0x0416))) << true;
        QTest::newRow("51 characters") << "name_udobra" << QVariant(QString(51, QLatin1Char('a'))) << false;
        QTest::newRow("51 Cyrillic characters") << "name_udobra" << QVariant(QString(51, QChar(0x0416))) << false;
        QTest::newRow("largest integer") << "ppm" << QVariant(2147483647LL) << true;
        QTest::newRow("integer too large") << "ppm" << QVariant(2147483648LL) << false;
        QTest::newRow("integer too small") << "ppm" << QVariant(-2147483649LL) << false;
    }
    void aValueTheColumnCannotHoldFailsThePost() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        const long long id =
            base().insert(QStringLiteral("t_udobra"),
                          {{QStringLiteral("name_udobra"), QStringLiteral("Мочевина")}, {QStringLiteral("ppm"), 460}});
        DataSet fertilizers(connection(), QStringLiteral("T_Udobra"));
        fertilizers.setTable(QStringLiteral("t_udobra"));
        fertilizers.open();
        const auto before = base().sql().rows(QStringLiteral("SELECT * FROM t_udobra"));

        for (bool inserting : {false, true}) {
            if (inserting)
                fertilizers.append();
            else
                fertilizers.edit();
            fertilizers.fieldByName(field)->setValue(value);
            const QString error = ErrorOf([&] { fertilizers.post(); });
            if (accepted) {
                QVERIFY2(error.isEmpty(), qPrintable(error));
                QCOMPARE(base().value(QStringLiteral("SELECT %1 FROM t_udobra WHERE id_udobra = ?").arg(field),
                                      {fertilizers.fieldByName(QStringLiteral("id_udobra"))->value()}),
                         value);
            } else {
                QVERIFY2(error.contains(field), qPrintable(error));
                QCOMPARE(fertilizers.state(), inserting ? DataSetState::Insert : DataSetState::Edit);
                QCOMPARE(base().sql().rows(QStringLiteral("SELECT * FROM t_udobra")), before);
                fertilizers.cancel();
                QCOMPARE(fertilizers.fieldByName(QStringLiteral("id_udobra"))->asLargeInt(), id);
            }
        }
    }

    void emptyIsDistinctFromZeroFalseAndBlank() {
        base().insert(QStringLiteral("T_element"), {{QStringLiteral("Smallname_element"), QStringLiteral("N")}});
        auto elements = table(QStringLiteral("T_Element"), QStringLiteral("T_element"));
        elements->open();
        Field* oxide = elements->fieldByName(QStringLiteral("kof"));
        Field* coefficient = elements->fieldByName(QStringLiteral("id_kof"));
        Field* full = elements->fieldByName(QStringLiteral("fullname_element"));
        QVERIFY(oxide->isNull() && coefficient->isNull() && full->isNull());
        QCOMPARE(oxide->asBoolean(), false);
        QCOMPARE(coefficient->asInteger(), 0);
        QCOMPARE(coefficient->asFloat(), 0.0);
        QCOMPARE(full->asString(), QString());

        elements->edit();
        oxide->setAsBoolean(false);
        coefficient->setAsInteger(0);
        full->setAsString(QString());
        elements->post();
        const auto stored =
            base().sql().rows(QStringLiteral("SELECT kof IS NULL, id_kof IS NULL, fullname_element IS NULL, kof, "
                                             "id_kof, fullname_element FROM T_element"));
        QCOMPARE(stored[0][0].toInt(), 0);
        QCOMPARE(stored[0][1].toInt(), 0);
        QCOMPARE(stored[0][2].toInt(), 0);
        QCOMPARE(stored[0][3].toInt(), 0);
        QCOMPARE(stored[0][4].toInt(), 0);

        elements->edit();
        oxide->clear();
        coefficient->clear();
        elements->post();
        QCOMPARE(base().value(QStringLiteral("SELECT kof IS NULL AND id_kof IS NULL FROM T_element")).toInt(), 1);
    }

    void doublesRoundTripExactly() {
        auto lines = table(QStringLiteral("T_rachet"), QStringLiteral("t_rachet"));
        lines->open();
        const double amounts[] = {0.1 + 0.2, 1.0 / 3.0, 1e-300, 123456789.123456789, -0.0001};
        for (double amount : amounts) {
            lines->append();
            lines->fieldByName(QStringLiteral("kol"))->setAsFloat(amount);
            lines->post();
        }
        lines->close();
        lines->open();
        int i = 0;
        for (lines->first(); !lines->eof(); lines->next())
            QCOMPARE(lines->fieldByName(QStringLiteral("kol"))->asFloat(), amounts[i++]);
        QCOMPARE(i, 5);
    }

    void eachSetHoldsItsOwnSnapshot() {
        auto crops = fourCrops();
        auto other = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        other->open();
        crops->edit();
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Баклажан"));
        crops->post();
        crops->append();
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Лук"));
        crops->post();
        crops->setRecNo(3);
        crops->deleteRecord();

        QCOMPARE(ColumnValues(*other, QStringLiteral("name_kult")), QStringList({"Томат", "Огурец", "Перец", "Салат"}));
        other->close();
        other->open();
        QCOMPARE(ColumnValues(*other, QStringLiteral("name_kult")),
                 QStringList({"Баклажан", "Огурец", "Салат", "Лук"}));
        // Nor does another program's change reach an open set.
        addCrop(QStringLiteral("Чеснок"));
        QCOMPARE(other->recordCount(), 4);
    }

    // ------------------------------------------------------------ master and detail

    void theDetailFollowsEveryMoveOfTheMaster() {
        const long long tomato = addCrop(QStringLiteral("Томат"));
        const long long cucumber = addCrop(QStringLiteral("Огурец"));
        addCrop(QStringLiteral("Перец"));
        addTarget(tomato, 10);
        addTarget(cucumber, 20);
        addTarget(tomato, 11);
        addTarget(cucumber, 21);
        addTarget(cucumber, 22);
        auto crops = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        DataSource cropSource(crops.get());
        auto targets = table(QStringLiteral("ADOTable2"), QStringLiteral("t_konc"));
        targets->setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));

        // The detail opened before its master shows nothing until the master opens.
        targets->open();
        QCOMPARE(targets->recordCount(), 0);
        crops->open();
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList({"10", "11"}));

        targets->next();
        crops->next();
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList({"20", "21", "22"}));
        QCOMPARE(targets->recNo(), 1);
        targets->last();
        crops->next();
        QCOMPARE(targets->recordCount(), 0);
        QVERIFY(targets->bof() && targets->eof());
        crops->first();
        QCOMPARE(targets->recordCount(), 2);
        crops->last();
        QCOMPARE(targets->recordCount(), 0);
        crops->setRecNo(2);
        QCOMPARE(targets->recordCount(), 3);
        crops->setFilter(QStringLiteral("name_kult like т%"));
        crops->setFiltered(true);
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList({"10", "11"}));
        crops->setFiltered(false);
        crops->setSort(QStringLiteral("name_kult"));
        crops->first(); // Огурец
        QCOMPARE(targets->recordCount(), 3);
        const Bookmark cucumberRow = crops->bookmark();
        crops->last();
        crops->gotoBookmark(cucumberRow);
        QCOMPARE(targets->recordCount(), 3);
        crops->deleteRecord(); // Перец follows
        QCOMPARE(targets->recordCount(), 0);
        crops->close();
        QCOMPARE(targets->recordCount(), 0);
        // The deleted crop's targets stay where they are.
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_konc")).toInt(), 5);
    }

    void anAppendedDetailRowHoldsTheMasterKeyFirst() {
        addCrop(QStringLiteral("Томат"));
        const long long cucumber = addCrop(QStringLiteral("Огурец"));
        auto crops = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        DataSource cropSource(crops.get());
        auto heads = table(QStringLiteral("T_HEAD_RAR"), QStringLiteral("t_head_rar"));
        heads->setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_konc"));
        DataSource headSource(heads.get());
        Field* link = heads->fieldByName(QStringLiteral("id_konc"));
        QVariantList seenByCalc, seenByControls;
        heads->addCalculatedField(QStringLiteral("label"), ColumnType::Text, 20);
        heads->onCalcFields = [&](DataSet&) { seenByCalc << link->value(); };
        Recorder controls;
        controls.onEvent = [&](DataEvent event) {
            if (event == DataEvent::Inserted)
                seenByControls << link->value();
        };
        controls.attach(headSource);
        crops->open();
        heads->open();
        crops->next();

        seenByCalc.clear();
        heads->append();
        QCOMPARE(seenByCalc.value(0), QVariant(cucumber));
        QCOMPARE(seenByControls, QVariantList({QVariant(cucumber)}));
        QVERIFY(!heads->isModified());
        heads->fieldByName(QStringLiteral("name_rar"))->setAsString(QStringLiteral("Рассада"));
        heads->post();
        QCOMPARE(base().value(QStringLiteral("SELECT id_konc FROM t_head_rar")), QVariant(cucumber));
        QCOMPARE(heads->recordCount(), 1);
        crops->first();
        QCOMPARE(heads->recordCount(), 0);
    }

    void aMasterWithoutAKeyGivesNoRows() {
        const long long tomato = addCrop(QStringLiteral("Томат"));
        addTarget(tomato, 10);
        base().insert(QStringLiteral("t_konc"), {{QStringLiteral("vega"), 99.0}}); // no crop
        auto crops = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        DataSource cropSource(crops.get());
        auto targets = table(QStringLiteral("ADOTable2"), QStringLiteral("t_konc"));
        targets->setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
        crops->open();
        targets->open();
        QCOMPARE(targets->recordCount(), 1);

        crops->append();
        QCOMPARE(targets->recordCount(), 0);
        crops->cancel();
        QCOMPARE(targets->recordCount(), 1);

        crops->deleteRecord();
        QVERIFY(crops->isEmpty());
        QCOMPARE(targets->recordCount(), 0);
        targets->append();
        QVERIFY(targets->fieldByName(QStringLiteral("id_kult"))->isNull());
        targets->fieldByName(QStringLiteral("vega"))->setAsFloat(5);
        targets->post();
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult IS NULL")).toInt(), 2);
    }

    void theDetailSettlesItsChangeWhenTheMasterMoves() {
        const long long tomato = addCrop(QStringLiteral("Томат"));
        const long long cucumber = addCrop(QStringLiteral("Огурец"));
        addTarget(tomato, 10);
        addTarget(cucumber, 20);
        auto crops = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        DataSource cropSource(crops.get());
        auto targets = table(QStringLiteral("ADOTable2"), QStringLiteral("t_konc"));
        targets->setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_kult"));
        Field* vega = targets->fieldByName(QStringLiteral("vega"));
        crops->open();
        targets->open();

        targets->edit();
        vega->setAsFloat(15);
        crops->next();
        QCOMPARE(targets->state(), DataSetState::Browse);
        QCOMPARE(base().value(QStringLiteral("SELECT vega FROM t_konc WHERE id_kult = ?"), {tomato}), QVariant(15.0));
        QCOMPARE(vega->asFloat(), 20.0);

        targets->append();
        crops->first();
        QCOMPARE(targets->state(), DataSetState::Browse);
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_konc")).toInt(), 2);
        QCOMPARE(targets->recordCount(), 1);

        targets->append();
        vega->setAsFloat(12);
        crops->next();
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM t_konc WHERE id_kult = ?"), {tomato}).toInt(), 2);
        crops->first();
        QCOMPARE(ColumnValues(*targets, QStringLiteral("vega")), QStringList({"15", "12"}));
    }

    void aPostedNewMasterRowReselectsItsDetail() {
        base().insert(QStringLiteral("t_udobra"), {{QStringLiteral("name_udobra"), QStringLiteral("Мочевина")}});
        base().insert(QStringLiteral("T_sostav_udobra"), {{QStringLiteral("id_udobra"), 1},
                                                          {QStringLiteral("id_element"), 1},
                                                          {QStringLiteral("kol_element"), 46.0}});
        DataSet fertilizers(connection(), QStringLiteral("T_Udobra"));
        fertilizers.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"),
                             QStringLiteral("t_udobra"));
        DataSource fertilizerSource(&fertilizers);
        DataSet content(connection(), QStringLiteral("T_Sostav_Udobra"));
        content.setTable(QStringLiteral("T_sostav_udobra"));
        content.setMaster(&fertilizerSource, QStringLiteral("id_udobra"), QStringLiteral("id_udobra"));
        fertilizers.open();
        content.open();
        QCOMPARE(content.recordCount(), 1);

        fertilizers.append();
        QCOMPARE(content.recordCount(), 0);
        content.append(); // the user clicks into the empty content grid
        QCOMPARE(content.state(), DataSetState::Insert);
        fertilizers.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Селитра"));
        fertilizers.post();

        QCOMPARE(content.state(), DataSetState::Browse);
        QCOMPARE(content.recordCount(), 0);
        QCOMPARE(base().value(QStringLiteral("SELECT count(*) FROM T_sostav_udobra")).toInt(), 1);
        // The new fertilizer's content now gets its key.
        content.append();
        QCOMPARE(content.fieldByName(QStringLiteral("id_udobra"))->value(),
                 fertilizers.fieldByName(QStringLiteral("id_udobra"))->value());
        content.fieldByName(QStringLiteral("kol_element"))->setAsFloat(13);
        content.post();
        fertilizers.first();
        QCOMPARE(content.recordCount(), 1);
        fertilizers.last();
        QCOMPARE(ColumnValues(content, QStringLiteral("kol_element")), QStringList({"13"}));
    }

    void masterDetailChainsFollowThroughEveryLevel() {
        // Crops -> saved solutions of the crop -> lines of the solution.
        const long long tomato = addCrop(QStringLiteral("Томат"));
        const long long cucumber = addCrop(QStringLiteral("Огурец"));
        const auto head = [&](long long crop, const char* name) {
            return base().insert(QStringLiteral("t_head_rar"), {{QStringLiteral("id_konc"), crop},
                                                                {QStringLiteral("name_rar"), QString::fromUtf8(name)}});
        };
        const long long seedlings = head(tomato, "Рассада");
        const long long flowering = head(tomato, "Цветение");
        const long long growth = head(cucumber, "Рост");
        for (const auto& [h, kol] : std::vector<std::pair<long long, double>>{
                 {seedlings, 1}, {seedlings, 2}, {flowering, 3}, {growth, 4}, {growth, 5}, {growth, 6}})
            base().insert(QStringLiteral("t_save_rar"),
                          {{QStringLiteral("id_head_rar"), h}, {QStringLiteral("kol"), kol}});
        auto crops = table(QStringLiteral("ADOTable3"), QStringLiteral("T_kult"));
        DataSource cropSource(crops.get());
        auto heads = table(QStringLiteral("T_HEAD_RAR"), QStringLiteral("t_head_rar"));
        heads->setMaster(&cropSource, QStringLiteral("id_kult"), QStringLiteral("id_konc"));
        DataSource headSource(heads.get());
        auto lines = table(QStringLiteral("T_save_rar"), QStringLiteral("t_save_rar"));
        lines->setMaster(&headSource, QStringLiteral("id_head_rar"), QStringLiteral("id_head_rar"));
        crops->open();
        heads->open();
        lines->open();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol")), QStringList({"1", "2"}));
        heads->next();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol")), QStringList({"3"}));
        crops->next();
        QCOMPARE(text(*heads, QStringLiteral("name_rar")), QStringLiteral("Рост"));
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol")), QStringList({"4", "5", "6"}));
        // A crop without solutions empties both levels; a new solution has no lines.
        crops->append();
        QCOMPARE(heads->recordCount(), 0);
        QCOMPARE(lines->recordCount(), 0);
        crops->cancel();
        heads->append();
        QCOMPARE(heads->fieldByName(QStringLiteral("id_konc"))->value(), QVariant(cucumber));
        QCOMPARE(lines->recordCount(), 0);
        heads->fieldByName(QStringLiteral("name_rar"))->setAsString(QStringLiteral("Плоды"));
        heads->post();
        lines->append();
        QCOMPARE(lines->fieldByName(QStringLiteral("id_head_rar"))->value(),
                 heads->fieldByName(QStringLiteral("id_head_rar"))->value());
        lines->cancel();
        heads->first();
        QCOMPARE(lines->recordCount(), 3);
    }

    void deleteInEditDropsTheChangeAndDeletesTheRow() {
        auto crops = fourCrops();
        crops->edit();
        crops->fieldByName(QStringLiteral("name_kult"))->setAsString(QStringLiteral("Баклажан"));
        crops->deleteRecord();
        QCOMPARE(crops->state(), DataSetState::Browse);
        QCOMPARE(text(*crops, QStringLiteral("name_kult")), QStringLiteral("Огурец"));
        QCOMPARE(base().value(QStringLiteral("SELECT group_concat(name_kult) FROM T_kult")).toString(),
                 QStringLiteral("Огурец,Перец,Салат"));
    }

    // ------------------------------------------------------------ lookups and calculated fields

    void aLookupSeesTheWholeSnapshotOfItsSource() {
        base().insert(QStringLiteral("t_udobra"),
                      {{QStringLiteral("name_udobra"), QStringLiteral("Мочевина")}, {QStringLiteral("ppm"), 460}});
        base().insert(QStringLiteral("t_udobra"),
                      {{QStringLiteral("name_udobra"), QStringLiteral("Селитра")}, {QStringLiteral("ppm"), 700}});
        base().insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 2}, {QStringLiteral("kol"), 1.0}});
        base().insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 1}, {QStringLiteral("kol"), 2.0}});
        base().insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 9}, {QStringLiteral("kol"), 3.0}});
        DataSet fertilizers(connection(), QStringLiteral("T_Udobra"));
        fertilizers.setQuery(QStringLiteral("select id_udobra, name_udobra, ppm from t_udobra"),
                             QStringLiteral("t_udobra"));
        auto lines = table(QStringLiteral("T_rachet"), QStringLiteral("t_rachet"));
        Field* name = lines->addLookupField(QStringLiteral("name"), ColumnType::Text, 80, QStringLiteral("id_udobra"),
                                            &fertilizers, QStringLiteral("id_udobra"), QStringLiteral("name_udobra"));
        Field* ppm = lines->addLookupField(QStringLiteral("ppm"), ColumnType::Integer, 0, QStringLiteral("id_udobra"),
                                           &fertilizers, QStringLiteral("id_udobra"), QStringLiteral("ppm"));
        QVERIFY(name->isReadOnly());
        fertilizers.open();
        fertilizers.setFilter(QStringLiteral("id_udobra=1"));
        fertilizers.setFiltered(true);
        lines->open();

        QCOMPARE(ColumnValues(*lines, QStringLiteral("name")), QStringList({"Селитра", "Мочевина", "-"}));
        QCOMPARE(ppm->asInteger(), 700);
        lines->last();
        QVERIFY(name->isNull());
        QCOMPARE(name->asString(), QString());
        QCOMPARE(ppm->asInteger(), 0);
        // Looking up never moved the source.
        QCOMPARE(fertilizers.recordCount(), 1);
        QCOMPARE(fertilizers.fieldByName(QStringLiteral("name_udobra"))->asString(), QStringLiteral("Мочевина"));

        // A changed key finds its row at once.
        lines->edit();
        lines->fieldByName(QStringLiteral("id_udobra"))->setAsInteger(2);
        QCOMPARE(name->asString(), QStringLiteral("Селитра"));
        lines->post();

        // A change posted through the source shows; a closed source gives nothing.
        fertilizers.edit();
        fertilizers.fieldByName(QStringLiteral("name_udobra"))->setAsString(QStringLiteral("Карбамид"));
        fertilizers.post();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("name")), QStringList({"Селитра", "Карбамид", "Селитра"}));
        fertilizers.close();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("name")), QStringList({"-", "-", "-"}));
        fertilizers.open();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("name")), QStringList({"Селитра", "Карбамид", "Селитра"}));
    }

    void lookupsChainThroughOtherLookups() {
        // Elements with their coefficients: K2O converts to K by 0.83.
        base().insert(QStringLiteral("T_element"), {{QStringLiteral("Smallname_element"), QStringLiteral("K")}});
        base().insert(QStringLiteral("T_element"), {{QStringLiteral("Smallname_element"), QStringLiteral("K2O")},
                                                    {QStringLiteral("kof"), 1},
                                                    {QStringLiteral("id_kof"), 1}});
        base().insert(QStringLiteral("t_kof"),
                      {{QStringLiteral("name_kof"), QStringLiteral("Оксид калия в калий, массовая доля")},
                       {QStringLiteral("kof"), 0.83},
                       {QStringLiteral("id_element"), 1}});
        base().insert(QStringLiteral("T_sostav_udobra"), {{QStringLiteral("id_udobra"), 1},
                                                          {QStringLiteral("id_element"), 2},
                                                          {QStringLiteral("kol_element"), 50.0}});
        base().insert(QStringLiteral("T_sostav_udobra"), {{QStringLiteral("id_udobra"), 1},
                                                          {QStringLiteral("id_element"), 1},
                                                          {QStringLiteral("kol_element"), 10.0}});

        auto coefficients = table(QStringLiteral("T_KOF"), QStringLiteral("t_kof"));
        auto elements = table(QStringLiteral("T_Element"), QStringLiteral("T_element"));
        const QString id = QStringLiteral("id_kof");
        Field* coefficientName = elements->addLookupField(QStringLiteral("name_k"), ColumnType::Text, 20, id,
                                                          coefficients.get(), id, QStringLiteral("name_kof"));
        elements->addLookupField(QStringLiteral("val"), ColumnType::Double, 0, id, coefficients.get(), id,
                                 QStringLiteral("kof"));
        // The value is a lookup of the source.
        auto content = table(QStringLiteral("T_Sostav_Udobra"), QStringLiteral("T_sostav_udobra"));
        Field* val = content->addLookupField(QStringLiteral("val"), ColumnType::Double, 0, QStringLiteral("id_element"),
                                             elements.get(), QStringLiteral("id_element"), QStringLiteral("val"));
        // The key is a lookup of this set.
        auto components = table(QStringLiteral("T_SOS"), QStringLiteral("T_sostav_udobra"));
        components->addLookupField(QStringLiteral("id_kof"), ColumnType::Integer, 0, QStringLiteral("id_element"),
                                   elements.get(), QStringLiteral("id_element"), QStringLiteral("id_kof"));
        Field* factor =
            components->addLookupField(QStringLiteral("kof"), ColumnType::Double, 0, QStringLiteral("id_kof"),
                                       coefficients.get(), id, QStringLiteral("kof"));
        Field* yields =
            components->addLookupField(QStringLiteral("id_el"), ColumnType::Integer, 0, QStringLiteral("id_kof"),
                                       coefficients.get(), id, QStringLiteral("id_element"));
        coefficients->open();
        elements->open();
        content->open();
        components->open();

        elements->last();
        QCOMPARE(coefficientName->asString(), QStringLiteral("Оксид калия в калий,"));
        QCOMPARE(coefficientName->asString().size(), 20);
        QCOMPARE(val->asFloat(), 0.83);
        QCOMPARE(factor->asFloat(), 0.83);
        QCOMPARE(yields->asInteger(), 1);
        components->next(); // K itself has no coefficient
        QVERIFY(factor->isNull() && yields->isNull());
        QCOMPARE(ColumnValues(*content, QStringLiteral("val")), QStringList({"0.83", "-"}));

        // A change two sets away reaches the end of the chain.
        coefficients->edit();
        coefficients->fieldByName(QStringLiteral("kof"))->setAsFloat(0.8301);
        coefficients->post();
        content->first();
        QCOMPARE(val->asFloat(), 0.8301);
        components->first();
        QCOMPARE(factor->asFloat(), 0.8301);
    }

    void calculatedFieldsFollowTheirInputs() {
        base().insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 1}, {QStringLiteral("kol"), 2.0}});
        base().insert(QStringLiteral("t_rachet"), {{QStringLiteral("id_udobra"), 2}, {QStringLiteral("kol"), 3.0}});
        auto lines = table(QStringLiteral("T_rachet"), QStringLiteral("t_rachet"));
        Field* scaled = lines->addCalculatedField(QStringLiteral("kol_pr"), ColumnType::Double);
        Field* amount = lines->fieldByName(QStringLiteral("kol"));
        double strength = 1.0;
        lines->onCalcFields = [&](DataSet&) { scaled->setAsFloat(amount->asFloat() * strength); };
        lines->open();
        // On read, for every row.
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol_pr")), QStringList({"2", "3"}));
        QCOMPARE(scaled->asFloat(), 2.0);

        // On change, at once.
        lines->edit();
        amount->setAsFloat(4);
        QCOMPARE(scaled->asFloat(), 4.0);
        lines->cancel();
        QCOMPARE(scaled->asFloat(), 2.0);

        // Something outside the row changed: stale until refreshed or invalidated.
        strength = 0.5;
        lines->refresh();
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol_pr")), QStringList({"1", "1.5"}));
        strength = 2;
        lines->invalidateCalculated();
        QCOMPARE(scaled->asFloat(), 4.0);
        QCOMPARE(ColumnValues(*lines, QStringLiteral("kol_pr")), QStringList({"4", "6"}));

        // Only calculated fields are the handler's to assign; a calculated field
        // is never stored.
        QVERIFY(!ErrorOf([&] { scaled->setAsFloat(1); }).isEmpty());
        lines->edit();
        QVERIFY(!ErrorOf([&] { scaled->setAsFloat(1); }).isEmpty());
        lines->cancel();
        lines->edit();
        lines->onCalcFields = [&](DataSet&) { amount->setAsFloat(0); };
        lines->invalidateCalculated();
        QVERIFY(!ErrorOf([&] { scaled->asFloat(); }).isEmpty());
        lines->onCalcFields = nullptr;
        lines->cancel();
        QCOMPARE(base().value(QStringLiteral("SELECT sum(kol) FROM t_rachet")).toDouble(), 5.0);
        QVERIFY(!lines->isModified());
    }

    // ------------------------------------------------------------ data sources

    void aSourceRelaysTheSetsChanges() {
        auto crops = table(QStringLiteral("T_KULT"), QStringLiteral("T_kult"));
        for (const char* name : {"Томат", "Огурец"})
            addCrop(QString::fromUtf8(name));
        DataSource source(crops.get());
        Recorder controls;
        controls.attach(source);
        QStringList dataChanges;
        int stateChanges = 0;
        source.onDataChange = [&](Field* field) { dataChanges << (field ? field->name() : QStringLiteral("*")); };
        source.onStateChange = [&] { ++stateChanges; };

        crops->open();
        QCOMPARE(controls.count(DataEvent::Opened), 1);
        crops->next();
        QCOMPARE(controls.count(DataEvent::Scrolled), 1);
        crops->edit();
        QCOMPARE(controls.count(DataEvent::StateChanged), 1);
        crops->fieldByName(QStringLiteral("ph"))->setAsString(QStringLiteral("6"));
        QCOMPARE(controls.events.back(), DataEvent::FieldChanged);
        QCOMPARE(controls.fields.last(), QStringLiteral("ph"));
        QCOMPARE(dataChanges.last(), QStringLiteral("ph"));
        crops->post();
        QCOMPARE(controls.count(DataEvent::UpdateRecord), 1); // editors write their text first
        QCOMPARE(controls.count(DataEvent::Posted), 1);
        crops->append();
        QCOMPARE(controls.count(DataEvent::Inserted), 1);
        crops->cancel();
        QCOMPARE(controls.count(DataEvent::Cancelled), 1);
        crops->deleteRecord();
        QCOMPARE(controls.count(DataEvent::Deleted), 1);
        crops->setFilter(QStringLiteral("id_kult>0"));
        crops->setFiltered(true);
        QCOMPARE(controls.count(DataEvent::FilterChanged), 1);
        crops->setSort(QStringLiteral("name_kult DESC"));
        QCOMPARE(controls.count(DataEvent::SortChanged), 1);
        crops->refresh();
        QCOMPARE(controls.count(DataEvent::Refreshed), 1);
        const int changesBeforeClose = static_cast<int>(dataChanges.size());
        crops->close();
        QCOMPARE(controls.count(DataEvent::Closed), 1);
        QCOMPARE(dataChanges.size(), changesBeforeClose);
        // Opened, edit, post, append, cancel, close.
        QVERIFY(stateChanges >= 6);

        source.removeLink(&controls);
        crops->open();
        QCOMPARE(controls.count(DataEvent::Opened), 1);
    }

    void aDisabledSourceRelaysNothingUntilEnabledAgain() {
        auto crops = fourCrops();
        DataSource source(crops.get());
        Recorder controls;
        controls.attach(source);
        int dataChanges = 0;
        source.onDataChange = [&](Field*) { ++dataChanges; };

        source.disable();
        source.disable();
        QVERIFY(!source.isEnabled());
        crops->next();
        crops->edit();
        crops->fieldByName(QStringLiteral("ph"))->setAsString(QStringLiteral("6"));
        crops->post();
        source.enable();
        QVERIFY(!source.isEnabled());
        crops->next();
        QVERIFY(controls.events.empty());
        QCOMPARE(dataChanges, 0);

        source.enable();
        QVERIFY(source.isEnabled());
        QCOMPARE(controls.events, std::vector<DataEvent>({DataEvent::DataSetChanged}));
        QCOMPARE(dataChanges, 1);
        // An extra enable is harmless, and the source works as before.
        source.enable();
        QCOMPARE(controls.events.size(), size_t(1));
        source.setEnabled(false);
        source.setEnabled(true);
        QCOMPARE(controls.events.size(), size_t(2));
        crops->prior();
        QCOMPARE(controls.events.back(), DataEvent::Scrolled);
        QCOMPARE(dataChanges, 3);
    }
};

QTEST_GUILESS_MAIN(DataSetTest)
#include "test_dataset.moc"
