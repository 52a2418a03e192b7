// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/access_start.h"
#include "app/application_setup.h"
#include "app/launcher_window.h"
#include "app/program.h"
#include "controls/message_service.h"
#include "core/error.h"
#include "store/open_base.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    solvane::SetUpApplication();
    try {
        // base.mdb must be a regular file before anything reads it; an Access
        // one is then offered for conversion before anything else.
        solvane::RequireRegularBaseFile(QStringLiteral("base.mdb"));
        solvane::MessageService startMessages;
        switch (solvane::OfferAccessConversion(startMessages, solvane::NewbasePath())) {
        case solvane::AccessStart::Declined:
            return 0;
        case solvane::AccessStart::Failed:
            return 1;
        case solvane::AccessStart::NotAccess:
        case solvane::AccessStart::Converted:
            break;
        }
        solvane::Program program;
        program.launcher().show();
        return QApplication::exec();
    } catch (const solvane::Error& e) {
        solvane::MessageService messages;
        messages.showError(nullptr, e.message());
        return 1;
    }
}
