// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_lookup_combo.h"

#include "controls/handler_guard.h"
#include "controls/lookup_list.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/field.h"

#include <QScopedValueRollback>

namespace solvane {

// Follows two sources: the bound field's (which entry is current) and the
// list's (which entries there are).
class DBLookupCombo::Link {
public:
    explicit Link(DBLookupCombo& combo) : combo_(combo), data_(*this, false), list_(*this, true) {}
    ~Link() {
        FollowSource(source_, nullptr, &data_);
        FollowSource(listSource_, nullptr, &list_);
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
        fieldName_ = fieldName;
        FollowSource(source_, source, &data_);
        showCurrent();
    }

    void setList(DataSource* listSource, const QString& keyField, const QString& listField) {
        listKeyField_ = keyField;
        listField_ = listField;
        FollowSource(listSource_, listSource, &list_);
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
            const QScopedValueRollback<bool> quiet(quiet_, true);
            combo_.clear();
        }
    }

    // Lists the list source's visible rows, keeping the current entry.
    void fillList() {
        const QScopedValueRollback<bool> quiet(quiet_, true);
        FillLookupList(combo_, listSource_ ? listSource_->dataSet() : nullptr, listKeyField_, listField_);
        showCurrent();
    }

    // Shows the entry of the current row's key (none when empty or not listed).
    void showCurrent() {
        const QScopedValueRollback<bool> quiet(quiet_, true);
        const Field* f = field();
        combo_.setCurrentIndex(f ? FindLookupEntry(combo_, f->value()) : -1);
    }

    // The user chose an entry: its key goes into the field.
    void chosen(int index) {
        if (quiet_ || index < 0 || index >= combo_.count())
            return;
        const QVariant key = combo_.itemData(index);
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
    DBLookupCombo& combo_;
    Side data_;
    Side list_;
    DataSource* source_ = nullptr;
    QString fieldName_;
    DataSource* listSource_ = nullptr;
    QString listKeyField_;
    QString listField_;
    // Set while the list or the current entry is shown: the combo's own
    // signals then are not a user's choice.
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
