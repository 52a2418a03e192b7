// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/handler_guard.h"

#include "controls/message_service.h"
#include "store/action_scope.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "core/error.h"

#include <QScopeGuard>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <exception>
#include <optional>
#include <utility>

namespace solvane {

namespace {

// A row that the failed action's own handlers began to edit or append (not
// one the user was typing before it) is dropped, so the next action starts
// clean instead of posting a half-made row.
void CancelHalfMadeRows(Connection& connection, unsigned long long action) {
    const std::vector<DataSet*> sets = connection.dataSets();
    for (DataSet* set : sets) {
        if (!set->isActive() || set->editSerial() < action)
            continue;
        try {
            set->cancel();
        } catch (...) {
            // A control that fails to show the cancelled row reports it itself.
        }
    }
}

} // namespace

bool HandlerGuard::run(QWidget* parent, const std::function<void()>& handler) noexcept {
    std::optional<QString> failure;
    bool nestedInLostAction = false;
    try {
        ActionScope action(connection_);
        try {
            handler();
        } catch (const Error& e) {
            failure = e.message();
        } catch (const std::exception& e) {
            failure = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failure = QStringLiteral("Неизвестная ошибка");
        }
        if (failure && connection_)
            CancelHalfMadeRows(*connection_, action.serial());
        nestedInLostAction = !action.outermost() && connection_ && connection_->actionLost();
        // Commits the action's writes; throws when the store lost them, after
        // the rollback and the new read of every open data set.
        action.finish();
    } catch (const Error& e) {
        failure = e.message();
    } catch (...) {
        if (!failure)
            failure = QStringLiteral("Неизвестная ошибка");
    }
    if (!failure)
        return true;
    // The action this one runs in is lost: its owner reports the failure once.
    if (nestedInLostAction)
        return false;
    try {
        messages_.showError(parent, *failure);
    } catch (...) {
        // The box could not be shown; the failure of the store is reported by
        // the action that owns it.
    }
    return false;
}

void HandlerGuard::reportLater(QWidget* parent, const QString& message) {
    static const char* const kPending = "solvaneReportPending";
    if (parent->property(kPending).toBool())
        return;
    parent->setProperty(kPending, true);
    QTimer::singleShot(0, parent, [this, parent, message] {
        parent->setProperty(kPending, false);
        run(parent, [&message] { throw Error(message); });
    });
}

void HandlerGuard::relay(const std::function<void()>& emission) {
    // A relay inside a receiver keeps its own failure apart from the one it runs in.
    const std::exception_ptr outer = std::exchange(carried_, nullptr);
    std::exception_ptr failure;
    {
        ++relaying_;
        const auto restore = qScopeGuard([this, &outer, &failure] {
            --relaying_;
            failure = std::exchange(carried_, outer);
        });
        emission();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void HandlerGuard::carry(const std::function<void()>& receiver) noexcept {
    if (relaying_ == 0) {
        run(nullptr, receiver);
        return;
    }
    if (carried_)
        return;
    try {
        receiver();
    } catch (...) {
        carried_ = std::current_exception();
    }
}

} // namespace solvane
