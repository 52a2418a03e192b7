#include "controls/handler_guard.h"

#include "controls/message_service.h"
#include "store/connection.h"
#include "store/error.h"

#include <exception>

namespace solvane {

bool HandlerGuard::run(QWidget* parent, const std::function<void()>& handler) noexcept {
    QString failure;
    bool failed = false;
    Connection* connection = connection_;
    try {
        if (connection)
            connection->beginAction();
        try {
            handler();
        } catch (const Error& e) {
            failed = true;
            failure = e.message();
        } catch (const std::exception& e) {
            failed = true;
            failure = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failed = true;
            failure = QStringLiteral("Неизвестная ошибка");
        }
        if (connection)
            connection->endAction();
    } catch (const Error& e) {
        if (!failed) {
            failed = true;
            failure = e.message();
        }
    } catch (...) {
        failed = true;
    }
    if (failed) {
        try {
            messages_.showError(parent, failure);
        } catch (...) {
        }
    }
    return !failed;
}

} // namespace solvane
