// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A fresh base.mdb in a temporary working directory, and the services a
// window would get from the program, for the tests of the controls.

#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "store/connection.h"
#include "support/locale_text.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QVariant>
#include <vector>

namespace solvane::test {

struct ControlsBase {
    WorkingDirectory dir;
    Connection connection;
    MessageService messages;
    HandlerGuard guard{messages};

    ControlsBase() {
        CreateEmptyDatabase(dir.file(QStringLiteral("base.mdb")));
        connection.open();
        messages.setMode(MessageService::Mode::Headless);
        messages.setConnection(&connection);
        guard.setConnection(&connection);
    }
    void exec(const char* sql, const std::vector<QVariant>& params = {}) {
        connection.write(QString::fromUtf8(sql), params);
    }
    QVariant scalar(const char* sql) {
        auto st = connection.read(QString::fromUtf8(sql));
        return st->step() ? st->column(0) : QVariant();
    }
};

} // namespace solvane::test
