#include "store/error.h"
#include "tools/starter_database.h"

#include <QCoreApplication>
#include <cstdio>

// solvane-newbase [PATH]: writes a starter base.mdb (default: ./base.mdb).
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString path = args.size() > 1 ? args.at(1) : QStringLiteral("base.mdb");
    try {
        solvane::CreateStarterDatabase(path);
    } catch (const solvane::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", QStringLiteral("Создан файл %1").arg(path).toLocal8Bit().constData());
    return 0;
}
