// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_navigator.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "store/data_source.h"
#include "store/dataset.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace solvane {

namespace {

struct ButtonLook {
    const char* symbol;
    const char* name; // accessible name and default tooltip
};

ButtonLook lookOf(NavButton button) {
    switch (button) {
    case NavButton::First:
        return {"|◀", "Первая запись"};
    case NavButton::Prior:
        return {"◀", "Предыдущая запись"};
    case NavButton::Next:
        return {"▶", "Следующая запись"};
    case NavButton::Last:
        return {"▶|", "Последняя запись"};
    case NavButton::Insert:
        return {"+", "Добавить запись"};
    case NavButton::Delete:
        return {"−", "Удалить запись"};
    case NavButton::Edit:
        return {"▲", "Изменить запись"};
    case NavButton::Post:
        return {"✓", "Сохранить запись"};
    case NavButton::Cancel:
        return {"✕", "Отменить изменения"};
    case NavButton::Refresh:
        return {"↻", "Обновить данные"};
    }
    return {"?", "?"};
}

} // namespace

class DBNavigator::Link : public DataLink {
public:
    explicit Link(DBNavigator& navigator) : navigator_(navigator) {}
    void dataEvent(DataEvent event, Field*) override {
        if (event != DataEvent::UpdateRecord && event != DataEvent::FieldChanged)
            navigator_.updateButtons();
    }
    void dataSourceDestroyed(DataSource* source) override {
        if (navigator_.source_ == source) {
            navigator_.source_ = nullptr;
            navigator_.updateButtons();
        }
    }

private:
    DBNavigator& navigator_;
};

DBNavigator::DBNavigator(HandlerGuard& guard, QWidget* parent)
    : QWidget(parent), guard_(guard), link_(std::make_unique<Link>(*this)) {
    setAccessibleName(QStringLiteral("Панель навигации"));
    MakeRow(this, 0, 0);
    setButtons({NavButton::First, NavButton::Prior, NavButton::Next, NavButton::Last, NavButton::Insert,
                NavButton::Delete, NavButton::Edit, NavButton::Post, NavButton::Cancel, NavButton::Refresh});
}

DBNavigator::~DBNavigator() {
    FollowSource(source_, nullptr, link_.get());
}

void DBNavigator::setDataSource(DataSource* source) {
    if (source_ == source)
        return;
    FollowSource(source_, source, link_.get());
    updateButtons();
}

void DBNavigator::setButtons(const std::vector<NavButton>& buttons) {
    for (auto& [kind, button] : buttons_) {
        // The old set may be replaced from one of its own clicks.
        layout()->removeWidget(button);
        button->hide();
        button->deleteLater();
    }
    buttons_.clear();
    for (NavButton kind : buttons) {
        const ButtonLook look = lookOf(kind);
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(look.symbol));
        button->setAccessibleName(QString::fromUtf8(look.name));
        button->setToolTip(hintOf(kind));
        // Like a navigator's buttons, they never take the focus from the grid being edited.
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setMinimumWidth(20);
        connect(button, &QToolButton::clicked, this, [this, kind] { guard_.run(this, [this, kind] { press(kind); }); });
        layout()->addWidget(button);
        buttons_.emplace_back(kind, button);
    }
    updateButtons();
}

QString DBNavigator::hintOf(NavButton button) const {
    auto it = hints_.find(button);
    if (it != hints_.end() && !it->second.isEmpty())
        return it->second;
    return QString::fromUtf8(lookOf(button).name);
}

void DBNavigator::setHint(NavButton button, const QString& hint) {
    hints_[button] = hint;
    if (QToolButton* b = this->button(button))
        b->setToolTip(hintOf(button));
}

QToolButton* DBNavigator::button(NavButton button) const {
    for (const auto& [kind, b] : buttons_)
        if (kind == button)
            return b;
    return nullptr;
}

void DBNavigator::press(NavButton button) {
    DataSet* ds = source_ ? source_->dataSet() : nullptr;
    if (ds && ds->isActive()) {
        switch (button) {
        case NavButton::First:
            ds->first();
            break;
        case NavButton::Prior:
            ds->prior();
            break;
        case NavButton::Next:
            ds->next();
            break;
        case NavButton::Last:
            ds->last();
            break;
        case NavButton::Insert:
            ds->insert();
            break;
        case NavButton::Delete:
            if (deleteAction)
                deleteAction();
            else if (guard_.messages().confirmDelete(this))
                ds->deleteRecord();
            break;
        case NavButton::Edit:
            ds->edit();
            break;
        case NavButton::Post:
            ds->post();
            break;
        case NavButton::Cancel:
            ds->cancel();
            break;
        case NavButton::Refresh:
            ds->refresh();
            break;
        }
    }
    updateButtons();
    if (onClick)
        onClick(button);
    if (button == NavButton::Insert && ds && ds->isActive() && ds->state() == DataSetState::Insert)
        giveNewRowToGrid();
}

void DBNavigator::giveNewRowToGrid() {
    // The grid of this window that shows the same rows; the navigator's
    // buttons never take the focus themselves.
    for (DBGrid* grid : window()->findChildren<DBGrid*>())
        if (grid->dataSource() == source_ && grid->isVisible()) {
            grid->takeNewRow();
            return;
        }
}

void DBNavigator::updateButtons() {
    // A disabled source freezes its controls; enabling it sends a change.
    if (source_ && !source_->isEnabled())
        return;
    const DataSet* ds = source_ ? source_->dataSet() : nullptr;
    const bool active = ds && ds->isActive();
    const bool editing = active && ds->isEditing();
    const int row = active ? ds->recNo() : 0;
    const int rows = active ? ds->recordCount() : 0;
    for (auto& [kind, b] : buttons_) {
        bool enabled = false;
        switch (kind) {
        case NavButton::First:
        case NavButton::Prior:
            enabled = active && row > 1;
            break;
        case NavButton::Next:
        case NavButton::Last:
            enabled = active && row < rows;
            break;
        case NavButton::Insert:
        case NavButton::Refresh:
            enabled = active;
            break;
        case NavButton::Delete:
            enabled = active && rows > 0;
            break;
        case NavButton::Edit:
            enabled = active && !editing;
            break;
        case NavButton::Post:
        case NavButton::Cancel:
            enabled = editing;
            break;
        }
        b->setEnabled(enabled);
    }
}

} // namespace solvane
