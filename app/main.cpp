#include "app/application_setup.h"
#include "app/launcher_form.h"
#include "app/program.h"
#include "controls/message_service.h"
#include "store/error.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    solvane::SetUpApplication();
    try {
        solvane::Program program;
        program.Form1->show();
        return QApplication::exec();
    } catch (const solvane::Error& e) {
        solvane::MessageService messages;
        messages.showError(nullptr, e.message());
        return 1;
    }
}
