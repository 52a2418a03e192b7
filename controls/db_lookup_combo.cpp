#include "controls/db_lookup_combo.h"

#include "controls/db_grid_model.h"
#include "controls/handler_guard.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/field.h"

namespace solvane {

namespace {

bool sameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return false;
    bool okA = false, okB = false;
    const double da = a.toDouble(&okA), db = b.toDouble(&okB);
    if (okA && okB)
        return da == db;
    return a.toString() == b.toString();
}

} // namespace

// Follows two sources: the bound field's (which entry is current) and the
// list's (which entries there are).
class DBLookupCombo::Link {
public:
    explicit Link(DBLookupCombo& combo) : combo_(combo), data_(*this, false), list_(*this, true) {}
    ~Link() {
        if (source_)
            source_->removeLink(&data_);
        if (listSource_)
            listSource_->removeLink(&list_);
    }

    struct Side : DataLink {
        Side(Link& link, bool list) : link(link), list(list) {}
        void dataEvent(DataEvent event, Field* field) override {
            if (list)
                link.listEvent(event);
            else
                link.dataEvent(event, field);
        }
        void dataSourceDestroyed(DataSource* source) override { link.sourceDestroyed(source); }
        Link& link;
        bool list;
    };

    void setSource(DataSource* source, const QString& fieldName) {
        if (source_)
            source_->removeLink(&data_);
        source_ = source;
        fieldName_ = fieldName;
        if (source_)
            source_->addLink(&data_);
        showCurrent();
    }

    void setList(DataSource* listSource, const QString& keyField, const QString& listField) {
        if (listSource_)
            listSource_->removeLink(&list_);
        listSource_ = listSource;
        listKeyField_ = keyField;
        listField_ = listField;
        if (listSource_)
            listSource_->addLink(&list_);
        fillList();
    }

    Field* field() const {
        DataSet* ds = source_ ? source_->dataSet() : nullptr;
        return ds && ds->isActive() ? ds->findField(fieldName_) : nullptr;
    }

    void dataEvent(DataEvent event, Field* field) {
        if (event == DataEvent::UpdateRecord || event == DataEvent::StateChanged)
            return;
        if (event == DataEvent::FieldChanged && field && field != this->field())
            return;
        showCurrent();
    }

    void listEvent(DataEvent event) {
        switch (event) {
        case DataEvent::Scrolled:
        case DataEvent::StateChanged:
        case DataEvent::UpdateRecord:
        case DataEvent::FieldChanged:
            return;
        default:
            fillList();
        }
    }

    void sourceDestroyed(DataSource* source) {
        if (source == source_)
            source_ = nullptr;
        if (source == listSource_) {
            listSource_ = nullptr;
            keys_.clear();
            const Quiet quiet(*this);
            combo_.clear();
        }
    }

    // Lists the list source's visible rows, keeping the current entry.
    void fillList() {
        const Quiet quiet(*this);
        combo_.clear();
        keys_.clear();
        DataSet* list = listSource_ ? listSource_->dataSet() : nullptr;
        if (list && list->isActive()) {
            const Field* shown = list->findField(listField_);
            const Field* key = list->findField(listKeyField_);
            if (shown && key) {
                const int rows = list->recordCount();
                for (int i = 0; i < rows; ++i) {
                    combo_.addItem(DBGridModel::displayText(list->valueAt(i, shown)));
                    keys_.push_back(list->valueAt(i, key));
                }
            }
        }
        showCurrent();
    }

    // Shows the entry of the current row's key (none when empty or not listed).
    void showCurrent() {
        const Quiet quiet(*this);
        const Field* f = field();
        int found = -1;
        if (f) {
            const QVariant key = f->value();
            for (size_t i = 0; i < keys_.size() && found < 0; ++i)
                if (sameKey(keys_[i], key))
                    found = static_cast<int>(i);
        }
        combo_.setCurrentIndex(found);
    }

    // The user chose an entry: its key goes into the field.
    void chosen(int index) {
        if (quiet_ || index < 0 || index >= static_cast<int>(keys_.size()))
            return;
        const QVariant key = keys_[static_cast<size_t>(index)];
        const bool ok = combo_.guard_.run(&combo_, [this, &key] {
            DataSet* ds = source_ ? source_->dataSet() : nullptr;
            if (!ds)
                return;
            Field* f = ds->fieldByName(fieldName_);
            ds->edit();
            f->setValue(key);
        });
        if (!ok)
            showCurrent();
    }

private:
    struct Quiet {
        explicit Quiet(Link& link) : link(link), saved(link.quiet_) { link.quiet_ = true; }
        ~Quiet() { link.quiet_ = saved; }
        Link& link;
        bool saved;
    };

    DBLookupCombo& combo_;
    Side data_;
    Side list_;
    DataSource* source_ = nullptr;
    QString fieldName_;
    DataSource* listSource_ = nullptr;
    QString listKeyField_;
    QString listField_;
    std::vector<QVariant> keys_;
    bool quiet_ = false;
};

DBLookupCombo::DBLookupCombo(HandlerGuard& guard, QWidget* parent)
    : QComboBox(parent), guard_(guard), link_(std::make_unique<Link>(*this)) {
    setAccessibleName(QStringLiteral("Список выбора"));
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) { link_->chosen(index); });
}

DBLookupCombo::~DBLookupCombo() = default;

void DBLookupCombo::setDataSource(DataSource* source, const QString& fieldName) {
    link_->setSource(source, fieldName);
}

void DBLookupCombo::setListSource(DataSource* listSource, const QString& listKeyField, const QString& listField) {
    link_->setList(listSource, listKeyField, listField);
}

} // namespace solvane
