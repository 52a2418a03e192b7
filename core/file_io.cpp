// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace solvane {

QString SystemErrorText(int code) {
    switch (code) {
    case 0:
        return QString();
    case ENOSPC:
        return QStringLiteral("недостаточно места на диске");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
#endif
    case EFBIG:
        return QStringLiteral("превышен допустимый размер файла");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case ENOENT:
        return QStringLiteral("файл или папка не найдены");
    case EISDIR:
        return QStringLiteral("на месте файла находится папка");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case EEXIST:
        return QStringLiteral("файл уже существует");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

QString FileErrorReason(const QFileDevice& file) {
    int code = errno;
    if (code == 0 && QFileInfo(file.fileName()).isDir())
        code = EISDIR;
    QString reason = SystemErrorText(code);
    if (reason.isEmpty())
        reason = file.errorString();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason.isEmpty() ? QStringLiteral("причина неизвестна") : reason;
}

QString WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return FileErrorReason(file);
    // Flushed here and checked: a commit would put a file whose last bytes
    // could not be written in the old one's place.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush())
        return FileErrorReason(file);
    errno = 0;
    if (!file.commit())
        return FileErrorReason(file);
    return QString();
}

} // namespace solvane
