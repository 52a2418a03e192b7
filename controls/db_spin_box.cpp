// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_spin_box.h"

#include "controls/handler_guard.h"
#include "store/data_source.h"
#include "store/dataset.h"
#include "store/field.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace solvane {

class DBSpinBox::Link : public DataLink {
public:
    explicit Link(DBSpinBox& box) : box_(box) {}
    ~Link() override { FollowSource(source_, nullptr, this); }

    void setSource(DataSource* source, const QString& fieldName) {
        fieldName_ = fieldName;
        FollowSource(source_, source, this);
        show();
    }

    DataSet* dataSet() const { return source_ ? source_->dataSet() : nullptr; }

    Field* field() const {
        DataSet* ds = dataSet();
        return ds && ds->isActive() ? ds->findField(fieldName_) : nullptr;
    }

    void dataEvent(DataEvent event, Field* field) override {
        switch (event) {
        case DataEvent::UpdateRecord:
        case DataEvent::StateChanged:
            return;
        case DataEvent::FieldChanged:
            // The box's own write must not retype what the user is typing.
            if (writing_ || (field && field != this->field()))
                return;
            break;
        default:
            break;
        }
        show();
    }

    void dataSourceDestroyed(DataSource* source) override {
        // The window is going away with its data sets: the box forgets the
        // source and empties quietly, without telling its handler (which
        // would reach data sets already destroyed).
        if (source == source_) {
            source_ = nullptr;
            const QScopedValueRollback<bool> quiet(quiet_, true);
            show();
        }
    }

    // Shows the current row's value.
    void show() {
        const Field* f = field();
        {
            const QScopedValueRollback<bool> loading(loading_, true);
            box_.setNumber(f ? f->value() : QVariant());
        }
        box_.setReadOnly(!f || f->isReadOnly() || f->kind() != FieldKind::Data);
    }

    // The box's value changed: a user's change goes into the field; then onChange.
    void changed() {
        if (!loading_) {
            const QVariant value = box_.number();
            const bool ok = box_.guard_.run(&box_, [this, &value] {
                DataSet* ds = dataSet();
                if (!ds)
                    return;
                Field* f = ds->fieldByName(fieldName_);
                const QVariant current = f->value();
                const QVariant next = f->coerce(value);
                if (current.isNull() == next.isNull() && (current.isNull() || current == next))
                    return;
                ds->edit();
                const QScopedValueRollback<bool> writing(writing_, true);
                f->setValue(next);
            });
            if (!ok) {
                show();
                return;
            }
        }
        if (box_.onChange && !quiet_)
            box_.guard_.run(&box_, box_.onChange);
    }

private:
    DBSpinBox& box_;
    DataSource* source_ = nullptr;
    QString fieldName_;
    bool loading_ = false;
    bool writing_ = false;
    bool quiet_ = false;
};

DBSpinBox::DBSpinBox(HandlerGuard& guard, QWidget* parent)
    : NumberSpinBox(parent), guard_(guard), link_(std::make_unique<Link>(*this)) {
    setAccessibleName(QStringLiteral("Числовое поле"));
    setNumber(QVariant());
    connect(this, &NumberSpinBox::numberChanged, this, [this] { link_->changed(); });
    onRefused = [this](const QString& refusal) { guard_.reportLater(this, refusal); };
}

DBSpinBox::~DBSpinBox() = default;

void DBSpinBox::setDataSource(DataSource* source, const QString& fieldName) {
    link_->setSource(source, fieldName);
}

QString DBSpinBox::valueText() const {
    return isEmpty() ? QString() : text();
}

void DBSpinBox::focusOutEvent(QFocusEvent* event) {
    NumberSpinBox::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    DataSet* ds = link_->dataSet();
    if (!ds || !ds->isActive() || !ds->isModified())
        return;
    guard_.run(this, [ds] {
        if (ds->isEditing())
            ds->post();
    });
}

} // namespace solvane
