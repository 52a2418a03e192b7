// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/access_start.h"

#include "controls/message_service.h"
#include "store/access_header.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace solvane {

namespace {

const QString kBase = QStringLiteral("base.mdb");

bool Taken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString KeptAccessName(const QString& directory) {
    const QDir dir(directory);
    QString name = QStringLiteral("base-access.mdb");
    for (int n = 2; Taken(dir.filePath(name)); ++n)
        name = QStringLiteral("base-access-%1.mdb").arg(n);
    return name;
}

QString NewbasePath() {
    const QString chosen = qEnvironmentVariable("SOLVANE_NEWBASE");
    if (!chosen.isEmpty())
        return chosen;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("solvane-newbase"));
}

AccessStart OfferAccessConversion(MessageService& messages, const QString& maker, int timeoutMs) {
    if (!IsAccessDatabase(kBase))
        return AccessStart::NotAccess;
    const QString kept = KeptAccessName(QDir::currentPath());
    const QString question = QStringLiteral("Файл «base.mdb» — база данных Access. Перевести её в формат Solvane? "
                                            "Исходный файл останется рядом под именем «%1».")
                                 .arg(kept);
    if (messages.show(nullptr, MessageKind::Confirmation, QStringLiteral("подтверждение"), question,
                      MessageButtons::YesNo) != MessageAnswer::Yes)
        return AccessStart::Declined;
    const auto fail = [&](const QString& text) {
        messages.showError(nullptr, text);
        return AccessStart::Failed;
    };
    if (!QFileInfo(maker).isExecutable() || QFileInfo(maker).isDir())
        return fail(QStringLiteral("Не найдена программа перевода «%1». Файл «base.mdb» не изменён.")
                        .arg(QDir::toNativeSeparators(maker)));
    QFile original(kBase);
    if (!original.rename(kept))
        return fail(QStringLiteral("Не удалось переименовать «base.mdb» в «%1»: %2. Файл «base.mdb» не изменён.")
                        .arg(kept, original.errorString()));

    // What the maker may write and is not there now: removed if it fails.
    QStringList written;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (!Taken(kBase + QString::fromLatin1(suffix)))
            written << kBase + QString::fromLatin1(suffix);

    QProcess process;
    process.start(maker, {QStringLiteral("--from"), kept, kBase});
    QString reason;
    if (!process.waitForStarted(-1)) {
        reason = QStringLiteral("Не удалось запустить программу перевода «%1»: %2.")
                     .arg(QDir::toNativeSeparators(maker), process.errorString());
    } else if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
        reason = QStringLiteral("Перевод файла «base.mdb» в формат Solvane не закончился за %1 с и остановлен.")
                     .arg(timeoutMs / 1000);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        reason = QStringLiteral("Программа перевода «%1» завершилась аварийно.").arg(QFileInfo(maker).fileName());
    } else if (process.exitCode() != 0) {
        reason = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (reason.isEmpty())
            reason = QStringLiteral("Программа перевода «%1» завершилась с кодом %2.")
                         .arg(QFileInfo(maker).fileName())
                         .arg(process.exitCode());
    } else if (!QFileInfo(kBase).isFile()) {
        reason = QStringLiteral("Программа перевода «%1» не создала файл «base.mdb».").arg(QFileInfo(maker).fileName());
    }
    if (reason.isEmpty())
        return AccessStart::Converted;

    for (const QString& name : written)
        if (Taken(name))
            QFile::remove(name);
    QFile keptFile(kept);
    if (keptFile.rename(kBase))
        reason += QStringLiteral(" Исходный файл возвращён под именем «base.mdb».");
    else
        reason += QStringLiteral(" Исходный файл остался под именем «%1».").arg(kept);
    return fail(reason);
}

} // namespace solvane
