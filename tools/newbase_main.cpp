// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "tools/access_import.h"
#include "store/new_database.h"
#include "store/open_base.h"
#include "store/starter_database.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>

namespace {

const char kHelp[] = "Использование:\n"
                     "  solvane-newbase [НОВЫЙ_ФАЙЛ]\n"
                     "      создаёт начальную базу Solvane (по умолчанию ./base.mdb).\n"
                     "  solvane-newbase --from ФАЙЛ_ACCESS [НОВЫЙ_ФАЙЛ]\n"
                     "      переводит базу Access (Jet) в формат Solvane:\n"
                     "      десять таблиц со всеми строками и ключами, значения без потерь;\n"
                     "      другие таблицы и столбцы не переносятся. Исходный файл не меняется.\n"
                     "  solvane-newbase --help\n"
                     "      показывает эту справку.\n"
                     "Существующий НОВЫЙ_ФАЙЛ никогда не перезаписывается. При ошибке программа\n"
                     "пишет одну строку с причиной, завершается с кодом 1 и не оставляет файла.\n";

void Print(FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

} // namespace

// solvane-newbase [PATH] writes a starter base.mdb; --from ACCESS [PATH]
// converts an Access base. Neither writes over an existing file; a failure
// exits with 1 and one line on standard error, and leaves nothing.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
#ifdef SIGXFSZ
    // A file-size limit fails the write, which is reported and undone,
    // instead of ending the program half-way through the file.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    QString from;
    if (!args.isEmpty() && args.front() == QStringLiteral("--from")) {
        if (args.size() < 2) {
            Print(stderr, QStringLiteral("Не указан файл Access после --from (см. solvane-newbase --help)."));
            return 2;
        }
        from = args.at(1);
        args = args.mid(2);
    }
    if (args.size() > 1 || (!args.isEmpty() && args.front().startsWith(QLatin1Char('-')))) {
        Print(
            stderr,
            QStringLiteral("Непонятные параметры: %1 (см. solvane-newbase --help).").arg(args.join(QLatin1Char(' '))));
        return 2;
    }
    const QString path = args.isEmpty() ? QStringLiteral("base.mdb") : args.front();
    try {
        if (from.isEmpty())
            solvane::CreateStarterDatabase(path);
        else
            solvane::ConvertAccessDatabase(from, path);
        // What was written passes the checks the program makes when it opens a base.
        try {
            solvane::CheckBase(path);
        } catch (const solvane::Error& e) {
            for (const QString& name : solvane::NewDatabase::files(path))
                QFile::remove(name);
            throw solvane::Error(e.message() + QStringLiteral(" Записанный файл удалён."));
        }
    } catch (const solvane::Error& e) {
        Print(stderr, e.message());
        return 1;
    }
    Print(stdout, from.isEmpty() ? QStringLiteral("Создан файл %1").arg(path)
                                 : QStringLiteral("Создан файл %1 из базы Access «%2»").arg(path, from));
    return 0;
}
