#include "store/error.h"
#include "tools/starter_database.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

// solvane-newbase [PATH]: writes a starter base.mdb (default: ./base.mdb), never
// over an existing file. Exits with 1 and the reason on standard error when the
// file cannot be written whole; nothing of it is then left.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
#ifdef SIGXFSZ
    // A file-size limit fails the write, which is reported and undone,
    // instead of ending the program half-way through the file.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
